#include "ui/dialogs/qt/CMsgWnd.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <functional>

#include "TestResources.h"
#include "app/CMainWnd.h"
#include "tests/support/QtTestApp.h"

namespace ms1 {
namespace {

// Acts on the box once it runs modally; records what the box showed.
struct BoxUser {
    QString shownTitle;
    QString shownMessage;
    QPoint shownCentre;
    void ActOnceShown(std::function<void(QDialog&)> act) {
        QTimer::singleShot(0, [this, act] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                ADD_FAILURE() << "no modal box is running";
                return;
            }
            if (auto* title = box->findChild<QLabel*>("warning_title")) {
                shownTitle = title->text();
            }
            if (auto* message = box->findChild<QLabel*>("warning")) {
                shownMessage = message->text();
            }
            shownCentre = box->frameGeometry().center();
            act(*box);
        });
    }
};

void Click(QDialog& box, const char* name) {
    auto* button = box.findChild<QAbstractButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

class MsgWndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        owner_ =
            std::make_unique<CMainWnd>(ProgramSkins(), ProgramTexts(),
                                       CMainWnd::Options{ProgramFolder(), CMainWnd::Tray::Off});
        ASSERT_TRUE(owner_->Create());
        owner_->Widget()->move(40, 30);
        owner_->Widget()->show();
    }
    std::unique_ptr<CMainWnd> owner_;
};

TEST_F(MsgWndTest, OkGivesOneAndCancelZeroWithTheLanguageTextsShown) {
    BoxUser user;
    user.ActOnceShown([](QDialog& box) { Click(box, "btn_ok"); });
    EXPECT_EQ(ShowMessageBox(*owner_, "warning_title_text", "one_click_text"), 1);
    EXPECT_EQ(user.shownTitle, "Warning");
    EXPECT_EQ(user.shownMessage, "At least one button must keep the left click.");
    // Centred over its owner.
    EXPECT_LE((user.shownCentre - owner_->Widget()->frameGeometry().center()).manhattanLength(), 2);

    // A second box right after the first starts afresh.
    BoxUser second;
    second.ActOnceShown([](QDialog& box) { Click(box, "btn_cancel"); });
    EXPECT_EQ(ShowMessageBox(*owner_, "restore_title_text", "delete_profile_title_text"), 0);
    EXPECT_EQ(second.shownTitle, "Restore defaults");
}

TEST_F(MsgWndTest, AnyOtherCloseIsARefusal) {
    BoxUser escape;
    escape.ActOnceShown([](QDialog& box) { box.reject(); });  // Esc
    EXPECT_EQ(ShowMessageBox(*owner_, "warning_title_text", "delete_macro_text"), 0);

    BoxUser windowManager;
    windowManager.ActOnceShown([](QDialog& box) { box.close(); });
    EXPECT_EQ(ShowMessageBox(*owner_, "warning_title_text", "one_profile_text"), 0);

    // Accepting the dialog by other means than the OK button is no OK either.
    BoxUser accepted;
    accepted.ActOnceShown([](QDialog& box) { box.done(7); });
    EXPECT_EQ(ShowMessageBox(*owner_, "warning_title_text", "one_click_text"), 0);
}

TEST_F(MsgWndTest, NoticesHaveOkOnlyAndConfirmationsKeepCancel) {
    struct Row {
        const char* messageKey;
        bool asks;  // OK and Cancel
    };
    const Row rows[] = {
        {"one_profile_text", false}, {"one_click_text", false},     {"warn_name_1_text", false},
        {"warn_name_2_text", false}, {"delete_profile_text", true}, {"delete_macro_text", true},
        {"restore_text", true},      {"a key nobody knows", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.messageKey);
        EXPECT_EQ(KindOfMessage(row.messageKey),
                  row.asks ? MessageKind::Confirmation : MessageKind::Notice);
        bool cancelShown = !row.asks;
        BoxUser user;
        user.ActOnceShown([&](QDialog& box) {
            cancelShown = box.findChild<QWidget*>("btn_cancel")->isVisible();
            EXPECT_TRUE(box.findChild<QWidget*>("btn_ok")->isVisible());
            Click(box, "btn_ok");
        });
        // OK gives 1 either way: what the callers expect stays.
        EXPECT_EQ(ShowMessageBox(*owner_, "warning_title_text", row.messageKey,
                                 KindOfMessage(row.messageKey)),
                  1);
        EXPECT_EQ(cancelShown, row.asks);
    }
}

TEST_F(MsgWndTest, AMissingSkinRefusesWithoutShowingAnything) {
    auto noSkins = std::make_shared<dui::SkinLoader>(QStringLiteral("/nonexistent/res"));
    CMainWnd owner(ProgramSkins(), ProgramTexts(),
                   CMainWnd::Options{ProgramFolder(), CMainWnd::Tray::Off});
    ASSERT_TRUE(owner.Create());
    CMsgWnd box(noSkins, ProgramTexts(), "warning_title_text", "restore_text");
    EXPECT_FALSE(box.Create(owner.Widget()));
    EXPECT_EQ(box.ShowModal(), 0);
}

}  // namespace
}  // namespace ms1
