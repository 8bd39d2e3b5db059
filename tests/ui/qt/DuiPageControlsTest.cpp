// The page's control operations on the real skin: quiet changes, lists, language texts.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <memory>
#include <string>
#include <vector>

#include "platform/dui/NotifyBridge.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "ui/page/qt/DuiPageControls.h"

namespace ms1::test {
namespace {

class DuiPageControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        texts_ = Texts();
        page_.reset(Skins()->Load("MS/MS_1/ms_1_page.xml", nullptr));
        ASSERT_NE(page_, nullptr);
        bridge_ = std::make_unique<dui::NotifyBridge>([this](const dui::TNotify& n) {
            raised_.push_back(n.type.toStdString() + " " + n.sender.toStdString());
        });
        bridge_->Attach(page_.get());
        controls_ = std::make_unique<DuiPageControls>(page_.get(), texts_.get(), "/res");
    }
    template <typename T>
    T* Find(const char* name) const {
        return page_->findChild<T*>(name);
    }

    std::shared_ptr<dui::LanguageTexts> texts_;
    std::unique_ptr<QWidget> page_;
    std::unique_ptr<dui::NotifyBridge> bridge_;
    std::unique_ptr<DuiPageControls> controls_;
    std::vector<std::string> raised_;
};

TEST_F(DuiPageControlsTest, ChangesRaiseNoNotifications) {
    controls_->SelectOption("ms_1_option_dpi_step_5");
    controls_->SelectOption("ms_1_btn_prate_2");
    controls_->SelectComboItem("ms_1_combo_light", 9);
    controls_->SetValue("ms_1_slider_dpi_3", 64);
    controls_->SetChecked("ms_1_check_move_close_light", true);
    controls_->SetProgress("ms_1_progress_power", 55);
    controls_->SetPlainText("ms_1_edit_dpi_2", "1600");
    EXPECT_TRUE(raised_.empty()) << raised_.front();

    EXPECT_TRUE(Find<QAbstractButton>("ms_1_option_dpi_step_5")->isChecked());
    EXPECT_FALSE(Find<QAbstractButton>("ms_1_option_dpi_step_1")->isChecked());
    EXPECT_EQ(Find<QComboBox>("ms_1_combo_light")->currentIndex(), 9);
    EXPECT_EQ(controls_->Value("ms_1_slider_dpi_3"), 64);
    EXPECT_TRUE(controls_->IsChecked("ms_1_check_move_close_light"));
    EXPECT_EQ(controls_->Value("ms_1_progress_power"), 55);
    EXPECT_EQ(controls_->Text("ms_1_edit_dpi_2"), "1600");

    // The user's own change still notifies.
    Find<QAbstractButton>("ms_1_option_dpi_step_2")->click();
    EXPECT_EQ(raised_, std::vector<std::string>{"selectchanged ms_1_option_dpi_step_2"});
}

TEST_F(DuiPageControlsTest, ListLinesAreAddedRenamedSelectedAndRemovedQuietly) {
    auto* list = Find<QListWidget>("ms_1_list_profile");
    controls_->ListAppend("ms_1_list_profile", "Profile");
    controls_->ListAppend("ms_1_list_profile", "Zürich ✓");
    controls_->ListAppend("ms_1_list_profile", "Third");
    controls_->ListSelect("ms_1_list_profile", 2);
    controls_->ListSetText("ms_1_list_profile", 1, "Renamed");
    controls_->ListRemove("ms_1_list_profile", 0);
    EXPECT_TRUE(raised_.empty());
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "Renamed");
    EXPECT_EQ(list->item(1)->text(), "Third");
    EXPECT_EQ(list->item(0)->sizeHint().height(), 22);
    EXPECT_EQ(list->currentRow(), 1);

    list->setCurrentRow(0);  // as a click would
    EXPECT_EQ(raised_, std::vector<std::string>{"itemselect ms_1_list_profile"});
}

TEST_F(DuiPageControlsTest, TextKeyShowsTheLanguageTextUntilPlainTextReplacesIt) {
    controls_->SetTextKey("ms_1_label_power", "charging_text");
    EXPECT_EQ(controls_->Text("ms_1_label_power"), "Charging");
    controls_->SetPlainText("ms_1_label_power", "charging_text");
    EXPECT_EQ(controls_->Text("ms_1_label_power"), "charging_text");
    controls_->SetPlainText("ms_1_label_power", "80%");
    EXPECT_EQ(controls_->Text("ms_1_label_power"), "80%");
}

TEST_F(DuiPageControlsTest, VisibilityColoursImagesAndMissingControls) {
    controls_->SetVisible("ms_1_wireless", true);
    EXPECT_TRUE(controls_->IsVisible("ms_1_wireless"));
    controls_->SetVisible("ms_1_wireless", false);
    EXPECT_FALSE(controls_->IsVisible("ms_1_wireless"));

    controls_->SetBackgroundColor("ms_1_btn_dpi_color_1", 0xFF1EB40A);
    EXPECT_EQ(Find<QWidget>("ms_1_btn_dpi_color_1")->property("bkcolor").value<QColor>(),
              QColor(0x1E, 0xB4, 0x0A));
    controls_->SetBackgroundImage("ms_1_container_mouse_pic", "skins/ms_1/mouse_4.png");
    EXPECT_EQ(Find<QWidget>("ms_1_container_mouse_pic")->property("bkimage").toString(),
              "skins/ms_1/mouse_4.png");

    // A name the skin lacks is skipped everywhere.
    controls_->SetVisible("ms_1_no_such_control", true);
    controls_->SetPlainText("ms_1_no_such_control", "x");
    controls_->ListAppend("ms_1_no_such_control", "x");
    EXPECT_FALSE(controls_->IsVisible("ms_1_no_such_control"));
    EXPECT_EQ(controls_->Value("ms_1_no_such_control"), 0);
    EXPECT_EQ(controls_->Text("ms_1_no_such_control"), "");
}

TEST_F(DuiPageControlsTest, BatteryColoursTheBarAndSlidesTheLowBatteryBannerInAndOut) {
    std::vector<std::string> timers;
    controls_->SetControlTimers(
        [&](QWidget* c, int id, int ms) {
            timers.push_back("start " + c->objectName().toStdString() + " " + std::to_string(id) +
                             " " + std::to_string(ms));
        },
        [&](QWidget* c, int id) {
            timers.push_back("kill " + c->objectName().toStdString() + " " + std::to_string(id));
        });
    struct Row {
        int level;
        bool charging;
        const char* barLevel;
        std::vector<std::string> timers;  // what the report starts and kills
    };
    const Row rows[] = {
        {100, false, "", {}},
        {21, false, "", {}},
        {20, false, "low", {}},
        {11, false, "low", {}},
        {10,
         false,
         "critical",
         {"kill ms_1_low_power_label 51", "start ms_1_low_power_label 50 5"}},
        {3, false, "critical", {}},  // in already
        {3, true, "", {"kill ms_1_low_power_label 50", "start ms_1_low_power_label 51 5"}},
        {50, true, "", {}},
        {9, false, "critical", {"kill ms_1_low_power_label 51", "start ms_1_low_power_label 50 5"}},
        {100, false, "", {"kill ms_1_low_power_label 50", "start ms_1_low_power_label 51 5"}},
    };
    auto* banner = Find<QWidget>("ms_1_low_power_label");
    EXPECT_TRUE(banner->isHidden());
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.level) + (row.charging ? " charging" : ""));
        timers.clear();
        controls_->ShowBattery(row.level, row.charging);
        EXPECT_EQ(Find<QWidget>("ms_1_progress_power")->property("level").toString(), row.barLevel);
        EXPECT_EQ(timers, row.timers);
        if (row.level <= 10 && !row.charging) {
            EXPECT_FALSE(banner->isHidden());
        }
    }
    EXPECT_TRUE(raised_.empty());
}

TEST_F(DuiPageControlsTest, CaretGoesToTheEndOfTheEdit) {
    auto* edit = Find<QLineEdit>("ms_1_edit_dpi_1");
    controls_->SetPlainText("ms_1_edit_dpi_1", "12345");
    edit->setCursorPosition(1);
    controls_->SetCaretToEnd("ms_1_edit_dpi_1");
    EXPECT_EQ(edit->cursorPosition(), 5);
}

// A macro's name longer than its button: the button shows its beginning and "…", and the
// whole name in its tooltip; a name that fits shows whole with the button's own tooltip.
TEST_F(DuiPageControlsTest, LongNamesOnTheButtonsAreElidedWithTheWholeNameAsTooltip) {
    page_->resize(800, 488);
    page_->show();
    auto* button = Find<QAbstractButton>("ms_1_btn_key_5");
    ASSERT_NE(button, nullptr);
    const QString ownTip = button->toolTip();
    const std::string longName = "Macro: Reload, crouch and throw the grenade twice";
    controls_->SetPlainText("ms_1_btn_key_5", longName);
    EXPECT_TRUE(button->text().endsWith(QChar(0x2026))) << button->text().toStdString();
    EXPECT_LT(button->fontMetrics().horizontalAdvance(button->text()), button->width());
    EXPECT_TRUE(button->toolTip().startsWith(QString::fromStdString(longName)));
    EXPECT_EQ(controls_->Text("ms_1_btn_key_5"), longName);

    // Wider, it shows more; a short name shows whole, with the button's own tooltip.
    const QString narrow = button->text();
    page_->resize(1400, 488);
    QCoreApplication::processEvents();
    EXPECT_GT(button->text().size(), narrow.size());
    controls_->SetPlainText("ms_1_btn_key_5", "Back");
    EXPECT_EQ(button->text(), "Back");
    EXPECT_EQ(button->toolTip(), ownTip);
}

// Collapsing a section leaves the others where they were: the left column keeps its rows'
// heights (the link badges do not grow into the room the profiles leave), and collapsing the
// battery leaves the profile buttons on show.
TEST_F(DuiPageControlsTest, CollapsingASectionLeavesTheRestInPlace) {
    page_->resize(800, 488);
    controls_->SetVisible("ms_1_wireless", true);
    page_->show();
    QCoreApplication::processEvents();
    auto* links = Find<QWidget>("ms_1_hor_links");
    auto* badge = Find<QWidget>("ms_1_wireless");
    const int linksHeight = links->height();
    const int badgeHeight = badge->height();
    const QPoint profileHeader = Find<QWidget>("ms_1_check_profile")->pos();

    controls_->SetVisible("ms_1_ver_profile", false);
    QCoreApplication::processEvents();
    EXPECT_EQ(links->height(), linksHeight);
    EXPECT_EQ(badge->height(), badgeHeight);
    EXPECT_EQ(Find<QWidget>("ms_1_check_profile")->pos(), profileHeader);

    controls_->SetVisible("ms_1_ver_profile", true);
    controls_->SetVisible("ms_1_ver_power", false);
    QCoreApplication::processEvents();
    EXPECT_EQ(links->height(), linksHeight);
    auto* add = Find<QWidget>("ms_1_profile_add_btn");
    EXPECT_TRUE(add->isVisible());
    EXPECT_TRUE(page_->rect().contains(QRect(add->mapTo(page_.get(), QPoint(0, 0)), add->size())));
}

// The buttons that had no words say what they do, in the user's language; one button restores
// the defaults, and it says what it does.
TEST_F(DuiPageControlsTest, TheModelButtonsAndRestoreDefaultsHaveTooltips) {
    for (int i = 1; i <= 6; ++i) {
        const QString name = QString("ms_1_option_mouse_pic_%1").arg(i);
        EXPECT_EQ(page_->findChild<QWidget*>(name)->toolTip(),
                  QString("Show mouse model %1 in the picture").arg(i));
    }
    EXPECT_TRUE(Find<QWidget>("ms_1_btn_reset")
                    ->toolTip()
                    .startsWith("Put every setting of the selected profile back to its default"));
    EXPECT_TRUE(Find<QWidget>("ms_1_profile_reset_btn")->isHidden());
}

}  // namespace
}  // namespace ms1::test
