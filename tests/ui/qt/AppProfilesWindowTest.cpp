// The application profiles dialog opened from the main window's menu, over the real page, skin
// and rules file, used with the keyboard as a person would.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <set>

#include "app/CMainWnd.h"
#include "app/MousePageWindow.h"
#include "platform/dui/MenuWindow.h"
#include "ports/OpenWindowApps.h"
#include "storage/AppProfileRules.h"
#include "tests/support/ModalActions.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "tests/ui/qt/RecordingSession.h"
#include "ui/page/CMS_1_Page.h"

namespace ms1::test {
namespace {

constexpr int kWaitMs = 5000;

class TwoWindows : public OpenWindowApps {
  public:
    std::vector<std::string> AppIds() override { return {"firefox", "Gimp"}; }
};

class AppProfilesWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(temp_.isValid());
        data_ = std::filesystem::path(temp_.path().toStdString());
        WriteText(data_ / "ms_1" / "appprofiles.txt", "rule\tkrita\tProfile1\n");
        page_ = std::make_unique<MousePageWindow>(data_, std::make_unique<RecordingSession>());
        page_->SetOpenWindowApps(&windows_);
        page_->SetAutoSwitchUnavailable("This desktop does not tell which window has the focus.");
        window_ = std::make_unique<CMainWnd>(Skins(), Texts(),
                                             CMainWnd::Options{"", CMainWnd::Tray::Off});
        window_->RegisterPage(page_.get());
        ASSERT_TRUE(window_->Create());
        window_->Widget()->show();
    }
    void TearDown() override {
        if (window_ != nullptr)
            window_->UnregisterPage();
        window_.reset();
        page_.reset();
    }
    QAction* MenuItem(const char* name) {
        window_->FindControlAs<QAbstractButton>("main_menu_btn")->click();
        if (window_->MainMenu() == nullptr)
            return nullptr;
        for (QAction* action : window_->MainMenu()->Menu()->actions()) {
            if (action->objectName() == name)
                return action;
        }
        return nullptr;
    }

    QTemporaryDir temp_;
    std::filesystem::path data_;
    TwoWindows windows_;
    std::unique_ptr<MousePageWindow> page_;
    std::unique_ptr<CMainWnd> window_;
};

// Tab reaches every control of the dialog; the keyboard adds a rule, gives it a profile and
// Esc closes the dialog. What was done is in the rules file at once.
TEST_F(AppProfilesWindowTest, OpensFromTheMenuAndWorksWithTheKeyboard) {
    QAction* item = MenuItem("app_profiles");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QString::fromUtf8("Application profiles\u2026"));

    std::set<QString> reached;
    QStringList rows;
    QString why;
    bool closed = false;
    WhenModal([&](QWidget* box) {
        // Tab moves the focus of the active window only.
        box->activateWindow();
        if (!QTest::qWaitForWindowActive(box)) {
            ADD_FAILURE() << "the dialog did not become the active window";
            box->close();
            return;
        }
        why = box->findChild<QLabel*>("app_profiles_unavailable")->text();
        auto* list = box->findChild<QListWidget*>("app_profiles_list");
        for (int i = 0; i < list->count(); ++i)
            rows << list->item(i)->text();
        for (int i = 0; i < 20; ++i) {
            QWidget* focus = QApplication::focusWidget();
            if (focus == nullptr)
                break;
            reached.insert(focus->objectName());
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        // Typed id and Enter: a rule with the shown profile.
        auto* typed = box->findChild<QLineEdit*>("app_profiles_typed");
        typed->setFocus();
        QTest::keyClicks(typed, "  Steam ");
        QTest::keyClick(typed, Qt::Key_Return);
        // The open window "Gimp" (firefox sorts first): Down in the list of open windows, then
        // Space on "Add".
        auto* open = box->findChild<QComboBox*>("app_profiles_open");
        open->setFocus();
        QTest::keyClick(open, Qt::Key_Down);
        auto* addOpen = box->findChild<QAbstractButton*>("app_profiles_add_open_btn");
        addOpen->setFocus();
        QTest::keyClick(addOpen, Qt::Key_Space);
        auto* check = box->findChild<QCheckBox*>("app_profiles_switch");
        check->setFocus();
        QTest::keyClick(check, Qt::Key_Space);
        QTest::keyClick(check, Qt::Key_Escape);
        closed = !box->isVisible();
    });
    item->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed; }, kWaitMs));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    EXPECT_EQ(rows, QStringList{QString::fromUtf8("krita  \u2192  Profile1")});
    EXPECT_EQ(why.toStdString(), "This desktop does not tell which window has the focus.");
    for (const char* control :
         {"app_profiles_switch", "app_profiles_list", "app_profiles_profile",
          "app_profiles_remove_btn", "app_profiles_open", "app_profiles_add_open_btn",
          "app_profiles_typed", "app_profiles_add_typed_btn", "btn_ok"})
        EXPECT_TRUE(reached.count(control)) << control << " is not reached with Tab";
    EXPECT_EQ(ReadText(data_ / "ms_1" / "appprofiles.txt"),
              "# ms1 application profiles: \"switch\" TAB on|off, then \"rule\" TAB application "
              "TAB profile\nswitch\toff\nrule\tkrita\tProfile1\nrule\tSteam\tProfile1\n"
              "rule\tGimp\tProfile1\n");
}

// A rule follows its profile when the page renames it, and goes when the page deletes it.
TEST_F(AppProfilesWindowTest, RulesFollowThePagesRenamesAndDeletes) {
    CMS_1_Page& page = *page_->Page();
    ASSERT_EQ(page.ProfileNames(), std::vector<std::u16string>{u"Profile1"});
    AppProfileRules& rules = *page_->AppRules();
    ASSERT_EQ(rules.ProfileFor("KRITA"), u"Profile1");

    WhenModal([](QWidget* box) {
        auto* edit = box->findChild<QLineEdit*>("edit_name");
        ASSERT_NE(edit, nullptr);
        edit->setText("Sketching");
        Click(box, "btn_ok");
    });
    window_->FindControlAs<QAbstractButton>("ms_1_profile_rename_btn")->click();
    EXPECT_EQ(rules.ProfileFor("krita"), u"Sketching");

    // A second profile, so that the first may be deleted.
    WhenModal([](QWidget* box) {
        box->findChild<QLineEdit*>("edit_name")->setText("Other");
        Click(box, "btn_ok");
    });
    window_->FindControlAs<QAbstractButton>("ms_1_profile_add_btn")->click();
    ASSERT_TRUE(rules.Set("gimp", u"Other"));
    page.ShowActiveReason(u"gimp");
    auto* reason = window_->FindControlAs<QLabel>("ms_1_label_active_reason");
    ASSERT_NE(reason, nullptr);
    EXPECT_EQ(reason->text(), "by rule: gimp");
    EXPECT_FALSE(reason->isHidden());

    // The user picks "Sketching" in the list: chosen by hand, and deleting it takes its rule.
    window_->FindControlAs<QListWidget>("ms_1_list_profile")->setCurrentRow(0);
    EXPECT_TRUE(reason->isHidden());
    WhenModal([](QWidget* box) { Click(box, "btn_ok"); });
    window_->FindControlAs<QAbstractButton>("ms_1_profile_delete_btn")->click();
    EXPECT_EQ(page.ProfileNames(), std::vector<std::u16string>{u"Other"});
    EXPECT_EQ(rules.ProfileFor("krita"), std::nullopt);
    EXPECT_EQ(rules.ProfileFor("gimp"), u"Other");
}

}  // namespace
}  // namespace ms1::test
