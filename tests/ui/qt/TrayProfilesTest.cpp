// The tray menu's "Profiles": the stored profiles as the page lists them, made anew each time
// the menu opens, the active one checked; choosing one is choosing it in the page's list.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>

#include "app/CMainWnd.h"
#include "app/MousePageWindow.h"
#include "ports/WindowMessages.h"
#include "tests/support/ModalActions.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "tests/ui/qt/RecordingSession.h"
#include "ui/page/CMS_1_Page.h"

namespace ms1::test {
namespace {

// What the tray's sub-menu shows: each item's caption, "*" before the checked one.
using Shown = std::vector<std::string>;

class TrayProfilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(temp_.isValid());
        auto session = std::make_unique<RecordingSession>();
        session_ = session.get();
        page_ = std::make_unique<MousePageWindow>(temp_.path().toStdString(), std::move(session));
        window_ = std::make_unique<CMainWnd>(Skins(), Texts(),
                                             CMainWnd::Options{"", CMainWnd::Tray::Off});
        window_->RegisterPage(page_.get());
        ASSERT_TRUE(window_->Create());
        Deliver();
    }
    void TearDown() override {
        window_->UnregisterPage();
        window_.reset();
        page_.reset();
    }
    static void Deliver() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    // A right click on the tray icon.
    QMenu* OpenTrayProfiles() {
        window_->Messages().Post(MSG_TRAY_ICON, 0, 517);
        Deliver();
        if (window_->TrayMenu() == nullptr)
            return nullptr;
        return window_->TrayMenu()->Menu()->findChild<QMenu*>("profiles");
    }
    Shown ShownProfiles() {
        QMenu* profiles = OpenTrayProfiles();
        if (profiles == nullptr)
            return {"no Profiles sub-menu"};
        Shown shown;
        for (QAction* action : profiles->actions()) {
            EXPECT_TRUE(action->isCheckable()) << action->text().toStdString();
            // Built as a QString: GCC 12's -O3 takes "*" + std::string for an overlapping copy.
            const QString mark = action->isChecked() ? QStringLiteral("*") : QString();
            shown.push_back((mark + action->text()).toStdString());
        }
        return shown;
    }
    void Choose(const QString& caption) {
        QMenu* profiles = OpenTrayProfiles();
        ASSERT_NE(profiles, nullptr);
        for (QAction* action : profiles->actions()) {
            if (action->text() == caption) {
                action->trigger();
                Deliver();
                return;
            }
        }
        FAIL() << "no tray item " << caption.toStdString();
    }
    // The page's own buttons, answering the name dialog or the question with OK.
    void PageButton(const char* button, const char* typedName = nullptr) {
        WhenModal([typedName](QWidget* dialog) {
            if (typedName != nullptr)
                dialog->findChild<QLineEdit*>("edit_name")->setText(typedName);
            Click(dialog, "btn_ok");
        });
        qobject_cast<QAbstractButton*>(window_->FindControl(button))->click();
        Deliver();
    }
    int ListRow() const {
        return qobject_cast<QListWidget*>(window_->FindControl("ms_1_list_profile"))->currentRow();
    }

    QTemporaryDir temp_;
    RecordingSession* session_ = nullptr;
    std::unique_ptr<MousePageWindow> page_;
    std::unique_ptr<CMainWnd> window_;
};

TEST_F(TrayProfilesTest, FollowsTheStoredProfilesAndChoosesLikeTheList) {
    EXPECT_EQ(window_->TrayMenu(), nullptr);
    EXPECT_EQ(ShownProfiles(), (Shown{"*Profile1"}));
    EXPECT_EQ(window_->TrayMenu()->ItemNames(),
              (QStringList{"configuration", "profile:Profile1", "autostart", "exit"}));

    // Added in the page: there at the next opening, and active. "&" is no shortcut mark.
    PageButton("ms_1_profile_add_btn", "R&D");
    EXPECT_EQ(ShownProfiles(), (Shown{"Profile1", "*R&&D"}));
    const int applies = session_->applies;

    // Chosen in the tray: the list, the page and the mouse follow as for a click in the list.
    Choose("Profile1");
    EXPECT_EQ(ListRow(), 0);
    EXPECT_EQ(page_->Page()->SelectedIndex(), 0);
    EXPECT_EQ(page_->Page()->Working().profileName.get(), u"Profile1");
    EXPECT_TRUE(page_->Page()->FullApplyPending());
    EXPECT_EQ(session_->applies, applies + 1);
    EXPECT_EQ(ShownProfiles(), (Shown{"*Profile1", "R&&D"}));

    // Renamed and deleted in the page: the next opening shows it.
    PageButton("ms_1_profile_rename_btn", "Everyday");
    EXPECT_EQ(ShownProfiles(), (Shown{"*Everyday", "R&&D"}));
    Choose("R&&D");
    EXPECT_EQ(ListRow(), 1);
    EXPECT_EQ(page_->Page()->Working().profileName.get(), u"R&D");
    PageButton("ms_1_profile_delete_btn");
    EXPECT_EQ(ShownProfiles(), (Shown{"*Everyday"}));
    EXPECT_EQ(ListRow(), 0);
}

}  // namespace
}  // namespace ms1::test
