// The confirmations of the page and of the macro editor, as the user sees them: titled with
// what they do and naming the profile or macro they act on.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <filesystem>
#include <functional>

#include "app/CMainWnd.h"
#include "tests/support/ModalActions.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "ui/macro/qt/DuiMacroDialogs.h"
#include "ui/page/qt/DuiPageControls.h"
#include "ui/page/qt/DuiPageDialogs.h"

namespace ms1::test {
namespace {

TEST(Confirmation, IsTitledAndNamesWhatItActsOn) {
    TestApp();
    CMainWnd owner(Skins(), Texts(), CMainWnd::Options{"", CMainWnd::Tray::Off});
    ASSERT_TRUE(owner.Create());
    owner.Widget()->show();
    DuiPageControls controls(owner.Widget(), nullptr, QString());
    DuiPageDialogs page(owner, controls);
    DuiMacroDialogs editor(owner, std::filesystem::temp_directory_path());
    struct Row {
        std::function<bool()> ask;
        bool ok;
        const char* title;
        const char* message;
    };
    const Row rows[] = {
        {[&] { return page.Confirm("delete_profile_title_text", "delete_profile_text", "Work"); },
         true, "Delete profile", "Delete the profile \"Work\"?"},
        {[&] { return page.Confirm("restore_title_text", "restore_text", "Büro 2"); }, false,
         "Restore defaults", "Restore the default settings of the profile \"Büro 2\"?"},
        {[&] { return editor.Confirm("delete_macro_title_text", "delete_macro_text", "Reload"); },
         true, "Delete macro", "Delete the macro \"Reload\"?"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title);
        QString title;
        QString message;
        WhenModal([&](QWidget* box) {
            title = box->findChild<QLabel*>("warning_title")->text();
            message = box->findChild<QLabel*>("warning")->text();
            box->findChild<QAbstractButton*>(row.ok ? "btn_ok" : "btn_cancel")->click();
        });
        EXPECT_EQ(row.ask(), row.ok);
        EXPECT_EQ(title, row.title);
        EXPECT_EQ(message, QString::fromUtf8(row.message));
    }
}

}  // namespace
}  // namespace ms1::test
