// Where the macro editor opens, and that it fits a small screen whole, with the real skin.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include "platform/keyboard/XkbKeyboardLayout.h"
#include "storage/MacroStore.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "ui/macro/qt/CMS_1_Macro.h"
#include "ui/macro/qt/EditorPlacement.h"

namespace ms1::test {
namespace {

TEST(EditorPlacement, FitsTheFreeAreaOverTheOwnerAndStaysOnIt) {
    const QSize wanted(800, 800);
    const QSize minimum(800, 560);
    struct Row {
        const char* what;
        QRect available;
        QPoint centre;
        QRect placed;
    };
    const Row rows[] = {
        {"room enough, over the owner", QRect(0, 0, 1920, 1050), QPoint(960, 525),
         QRect(561, 126, 800, 800)},
        {"1366 x 768 less a panel", QRect(0, 0, 1366, 740), QPoint(683, 370),
         QRect(284, 0, 800, 740)},
        {"1280 x 720, owner near the right edge", QRect(0, 0, 1280, 720), QPoint(1200, 300),
         QRect(480, 0, 800, 720)},
        {"a panel on the left and on top", QRect(48, 32, 1232, 688), QPoint(100, 100),
         QRect(48, 32, 800, 688)},
        {"second screen to the right", QRect(1920, 0, 1280, 720), QPoint(2560, 360),
         QRect(2161, 0, 800, 720)},
        // Smaller than the layout needs: the minimum, its top left corner on the area.
        {"smaller than the minimum", QRect(0, 0, 640, 480), QPoint(320, 240),
         QRect(0, 0, 800, 560)},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PlaceOnScreen(wanted, minimum, row.available, row.centre), row.placed)
            << row.what;
    }
}

// The editor on the screen this test runs on (1280 x 720 in its own run): the window is on
// the screen whole, and so are the buttons people need to finish.
TEST(EditorPlacement, TheEditorAndItsButtonsAreOnTheScreen) {
    TestApp();
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    const auto layout = XkbKeyboardLayout::FromNames("us");
    ASSERT_TRUE(layout);
    MacroStore store(data.path().toStdString());
    store.LoadMacroStore();
    const HookTable none;
    QWidget owner;
    owner.resize(400, 300);
    owner.show();
    CMS_1_Macro editor(Skins(), Texts(),
                       CMS_1_Macro::Deps{store, none, *layout, data.path().toStdString()});
    ASSERT_TRUE(editor.Create(&owner));
    editor.FitTo(&owner);
    QWidget* window = editor.Widget();
    window->show();
    const QRect available = owner.screen()->availableGeometry();
    SCOPED_TRACE(available.width());
    EXPECT_TRUE(available.contains(window->frameGeometry()))
        << window->frameGeometry().width() << "x" << window->frameGeometry().height();
    EXPECT_LE(window->minimumSizeHint().height(), 720 - 30) << "a 1280 x 720 screen with a panel";
    for (const char* name :
         {"ms_1_macro_save_btn", "ms_1_macro_cancel_btn", "ms_1_macro_import_btn",
          "ms_1_macro_export_btn", "btn_exit", "ms_1_macro_kept_note"}) {
        auto* control = window->findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name;
        const QRect inWindow(control->mapTo(window, QPoint(0, 0)), control->size());
        EXPECT_TRUE(window->rect().contains(inWindow)) << name;
    }
    // What the edit panel's buttons act on, in their words; and the line about keeping.
    EXPECT_EQ(window->findChild<QAbstractButton*>("ms_1_macro_save_btn")->text(),
              "Save this action");
    EXPECT_EQ(window->findChild<QAbstractButton*>("ms_1_macro_cancel_btn")->text(),
              "Revert this action");
    EXPECT_TRUE(window->findChild<QAbstractButton*>("ms_1_macro_cancel_btn")
                    ->toolTip()
                    .startsWith("Show the selected action as stored again"));
    EXPECT_EQ(window->findChild<QLabel*>("ms_1_macro_kept_note")->text(),
              "Every change is kept as soon as you make it: there is nothing to save before "
              "closing.");
}

}  // namespace
}  // namespace ms1::test
