// The page's control operations on the real skin: quiet changes, lists, language texts.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <memory>
#include <string>
#include <vector>

#include "platform/dui/NotifyBridge.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "ui/DuiPageControls.h"

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

TEST_F(DuiPageControlsTest, CaretGoesToTheEndOfTheEdit) {
    auto* edit = Find<QLineEdit>("ms_1_edit_dpi_1");
    controls_->SetPlainText("ms_1_edit_dpi_1", "12345");
    edit->setCursorPosition(1);
    controls_->SetCaretToEnd("ms_1_edit_dpi_1");
    EXPECT_EQ(edit->cursorPosition(), 5);
}

}  // namespace
}  // namespace ms1::test
