// The page and its dialogs from the keyboard alone: Tab reaches every control a mouse can use,
// in reading order; Enter and Space press buttons; the function menu opens from its button,
// is walked with arrows and closes with Esc, giving the focus back.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "app/CMainWnd.h"
#include "app/MousePageWindow.h"
#include "ports/WindowMessages.h"
#include "tests/support/ModalActions.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "tests/ui/qt/RecordingSession.h"
#include "ui/page/CMS_1_Page.h"

namespace ms1::test {
namespace {

// A stop as the table names it: the control, or for an option of an exclusive group (one Tab
// stop, its options reached with the arrows) the group in brackets.
QString StopName(const QWidget* widget) {
    if (widget == nullptr)
        return QStringLiteral("(none)");
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    if (button != nullptr && button->autoExclusive() && button->isCheckable())
        return QStringLiteral("[%1]").arg(widget->parentWidget()->objectName());
    return widget->objectName();
}

// Presses Tab from `first` until the focus comes back to it, and names each stop on the way.
// A control that keeps the focus ends the walk there.
QStringList WalkTab(QWidget* first, int limit = 200) {
    QStringList stops;
    first->setFocus(Qt::TabFocusReason);
    QWidget* const start = QApplication::focusWidget();
    QWidget* at = start;
    while (at != nullptr && stops.size() < limit) {
        stops << StopName(at);
        QTest::keyClick(at, Qt::Key_Tab);
        QWidget* next = QApplication::focusWidget();
        if (next == start || next == at)
            break;
        at = next;
    }
    return stops;
}

void Deliver() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

QStringList Names(std::initializer_list<const char*> names) {
    QStringList list;
    for (const char* name : names)
        list << QString::fromLatin1(name);
    return list;
}

class KeyboardFocusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(temp_.isValid());
        auto session = std::make_unique<RecordingSession>();
        session->connected = true;
        session_ = session.get();
        page_ = std::make_unique<MousePageWindow>(std::filesystem::path(temp_.path().toStdString()),
                                                  std::move(session));
        window_ = std::make_unique<CMainWnd>(Skins(), Texts(),
                                             CMainWnd::Options{"", CMainWnd::Tray::Off});
        window_->RegisterPage(page_.get());
        ASSERT_TRUE(window_->Create());
        window_->Widget()->resize(1000, 700);
        window_->Widget()->show();
        QApplication::setActiveWindow(window_->Widget());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_->Widget()));
        Deliver();
        window_->Timers().KillTimer(TIMER_PAGE_DEFERRED);
    }
    void TearDown() override {
        window_->UnregisterPage();
        window_.reset();
        page_.reset();
    }
    void OpenEverySection() {
        for (QCheckBox* header : page_->PageWidget()->findChildren<QCheckBox*>()) {
            if (header->property("section").toBool() && !header->isChecked())
                header->click();
        }
        // Every lighting row, whichever the lighting mode shows.
        for (const char* panel :
             {"ms_1_ver_brightness", "ms_1_ver_breathspeed", "ms_1_hor_light_color"})
            window_->FindControl(panel)->show();
        Deliver();
    }
    // Chooses `item` of the function menu of `button`, as a click on the item would.
    void ChooseFromMenu(const char* button, const char* item) {
        Find<QAbstractButton>(button)->click();
        Deliver();
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        auto* action = menu->findChild<QAction*>(item);
        ASSERT_NE(action, nullptr) << item;
        menu->close();
        action->trigger();
        Deliver();
    }
    // An item of the title bar's menu, as the menu posts it.
    void MainMenu(const char* item) {
        window_->Messages().Post(Message{MSG_MENU_CLICK, 1, 0, QString::fromLatin1(item)});
        Deliver();
    }
    template <typename T = QWidget>
    T* Find(const char* name) const {
        return qobject_cast<T*>(window_->FindControl(name));
    }

    QTemporaryDir temp_;
    RecordingSession* session_ = nullptr;
    std::unique_ptr<MousePageWindow> page_;
    std::unique_ptr<CMainWnd> window_;
};

// Reading order: the title bar, the left column, the sections top to bottom, the bottom bar.
// Written out from the page as it looks, not from the skin.
TEST_F(KeyboardFocusTest, TabReachesEveryControlOfThePageInReadingOrder) {
    OpenEverySection();
    QStringList expected = Names(
        {"skin_btn", "main_menu_btn", "min_btn", "exit_btn", "[ms_1_hor_mouse_pic]",
         "ms_1_check_power", "ms_1_check_profile", "ms_1_list_profile", "ms_1_profile_add_btn",
         "ms_1_profile_rename_btn", "ms_1_profile_delete_btn", "ms_1_profile_import_btn",
         "ms_1_profile_export_btn", "ms_1_check_dpi", "[ms_1_grid_dpi]"});
    for (int stage = 1; stage <= 8; ++stage) {
        for (const char* kind : {"ms_1_btn_dpi_color_", "ms_1_slider_dpi_", "ms_1_edit_dpi_"})
            expected << QStringLiteral("%1%2").arg(kind).arg(stage);
    }
    expected << Names({"ms_1_btn_reset_dpi", "ms_1_btn_apply_dpi", "ms_1_check_light",
                       "ms_1_combo_light", "ms_1_slider_brightness", "ms_1_slider_breathspeed",
                       "ms_1_btn_light_color", "ms_1_check_move_close_light", "ms_1_check_prate",
                       "[ms_1_group_prate]", "ms_1_check_button"});
    for (int key = 1; key <= 18; ++key)
        expected << QStringLiteral("ms_1_btn_key_%1").arg(key);
    expected << Names({"ms_1_btn_macro", "ms_1_check_mouse_attribute", "ms_1_btn_mouse_attribute",
                       "ms_1_check_power_setting", "ms_1_slider_light_off",
                       "ms_1_slider_sleep_timer",
                       // The lift-off distance has no header: its options show at once.
                       "[ms_1_option_lift_of_distance_group]", "ms_1_check_key_debounce",
                       "ms_1_slider_key_debounce", "ms_1_check_ripple_control",
                       "[ms_1_option_ripple_control_group]", "ms_1_check_angle_snap",
                       "[ms_1_option_angle_snap_group]", "ms_1_btn_reset", "ms_1_apply_btn"});

    const QStringList stops = WalkTab(Find("skin_btn"));
    EXPECT_EQ(stops.join('\n').toStdString(), expected.join('\n').toStdString());
}

// The focus shows on every kind of control Tab reaches, in both styles: the control looks
// different with the focus than without it (a slider with an invisible focus once took an Up
// meant for the page and changed a stage's DPI).
TEST_F(KeyboardFocusTest, EveryKindOfControlShowsTheFocusInBothStyles) {
    OpenEverySection();
    const char* const kinds[] = {
        "skin_btn",                     // title-bar button
        "ms_1_option_mouse_pic_2",      // option of a group of pills
        "ms_1_check_dpi",               // section header
        "ms_1_option_dpi_step_2",       // stage option
        "ms_1_btn_dpi_color_2",         // colour dot
        "ms_1_slider_dpi_3",            // slider
        "ms_1_edit_dpi_3",              // field
        "ms_1_btn_prate_2",             // polling-rate option
        "ms_1_btn_key_1",               // button function
        "ms_1_check_move_close_light",  // check box
        "ms_1_list_profile",            // list
        "ms_1_combo_light",             // combo box
        "ms_1_profile_add_btn",         // small button
        "ms_1_apply_btn",               // primary button
    };
    for (Theme theme : {Theme::Light, Theme::Dark}) {
        if (window_->CurrentTheme() != theme)
            Find<QAbstractButton>("skin_btn")->click();
        ASSERT_EQ(window_->CurrentTheme(), theme);
        Deliver();
        for (const char* name : kinds) {
            QWidget* control = Find(name);
            ASSERT_NE(control, nullptr) << name;
            Find("ms_1_list_profile")->setFocus(Qt::TabFocusReason);
            if (control == Find("ms_1_list_profile"))
                Find("skin_btn")->setFocus(Qt::TabFocusReason);
            Deliver();
            ASSERT_FALSE(control->hasFocus()) << name;
            const QImage without = control->grab().toImage();
            control->setFocus(Qt::TabFocusReason);
            Deliver();
            ASSERT_TRUE(control->hasFocus()) << name;
            const QImage with = control->grab().toImage();
            EXPECT_NE(with, without) << name << (theme == Theme::Dark ? " (dark)" : " (light)");
        }
    }
}

// Enter or Space on a button-function button opens the menu; the arrows walk it, Enter
// chooses and Esc closes it (a sub-menu first), the focus back on the button each time.
TEST_F(KeyboardFocusTest, TheFunctionMenuWorksFromTheKeyboard) {
    OpenEverySection();
    struct Row {
        const char* button;
        Qt::Key opens;
        std::vector<Qt::Key> keys;  // in the menu, after it opened
        const char* text;           // the button's caption afterwards
    };
    const Row rows[] = {
        // Down to "DPI and lighting", into it, Enter on its first item.
        {"ms_1_btn_key_5",
         Qt::Key_Return,
         {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return, Qt::Key_Return},
         "DPI cycle"},
        {"ms_1_btn_key_5",
         Qt::Key_Space,
         {Qt::Key_Down, Qt::Key_Right, Qt::Key_Down, Qt::Key_Return},
         "Right click"},
        // Into a sub-menu and out again: nothing chosen.
        {"ms_1_btn_key_5",
         Qt::Key_Enter,
         {Qt::Key_Down, Qt::Key_Right, Qt::Key_Escape, Qt::Key_Escape},
         "Right click"},
        {"ms_1_btn_key_5", Qt::Key_Space, {Qt::Key_Escape}, "Right click"},
    };
    for (const Row& row : rows) {
        auto* button = Find<QAbstractButton>(row.button);
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, row.opens);
        Deliver();
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << row.text;
        for (Qt::Key key : row.keys) {
            QWidget* open = QApplication::activePopupWidget();
            ASSERT_NE(open, nullptr) << row.text << ": closed before key " << key;
            QTest::keyClick(open, key);
            Deliver();
        }
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << row.text;
        Deliver();
        EXPECT_EQ(button->text(), row.text);
        EXPECT_EQ(QApplication::focusWidget(), button) << row.text;
    }
}

// The keys people expect on the page's buttons, options, check boxes and sliders.
TEST_F(KeyboardFocusTest, KeysActOnTheFocusedControl) {
    OpenEverySection();
    auto checked = [this](const char* name) { return Find<QAbstractButton>(name)->isChecked(); };
    auto value = [this](const char* name) { return Find<QSlider>(name)->value(); };
    struct Row {
        const char* control;
        Qt::Key key;
        const char* focusAfter;  // where the focus is afterwards
        std::function<bool()> done;
    };
    const int brightness = value("ms_1_slider_brightness");
    const bool moveClose = checked("ms_1_check_move_close_light");
    const Row rows[] = {
        {"ms_1_btn_prate_2", Qt::Key_Return, "ms_1_btn_prate_2",
         [&] { return checked("ms_1_btn_prate_2"); }},
        {"ms_1_btn_prate_2", Qt::Key_Right, "ms_1_btn_prate_3",
         [&] { return checked("ms_1_btn_prate_3"); }},
        {"ms_1_btn_prate_3", Qt::Key_Left, "ms_1_btn_prate_2",
         [&] { return checked("ms_1_btn_prate_2"); }},
        {"ms_1_option_dpi_step_1", Qt::Key_Down, "ms_1_option_dpi_step_2",
         [&] { return checked("ms_1_option_dpi_step_2"); }},
        {"ms_1_option_ripple_control_1", Qt::Key_Right, "ms_1_option_ripple_control_2",
         [&] { return checked("ms_1_option_ripple_control_2"); }},
        {"ms_1_option_mouse_pic_1", Qt::Key_Space, "ms_1_option_mouse_pic_1",
         [&] { return checked("ms_1_option_mouse_pic_1"); }},
        {"ms_1_check_move_close_light", Qt::Key_Return, "ms_1_check_move_close_light",
         [&] { return checked("ms_1_check_move_close_light") != moveClose; }},
        {"ms_1_check_move_close_light", Qt::Key_Space, "ms_1_check_move_close_light",
         [&] { return checked("ms_1_check_move_close_light") == moveClose; }},
        {"ms_1_check_key_debounce", Qt::Key_Space, "ms_1_check_key_debounce",
         [&] { return !checked("ms_1_check_key_debounce"); }},
        {"ms_1_check_key_debounce", Qt::Key_Return, "ms_1_check_key_debounce",
         [&] { return checked("ms_1_check_key_debounce"); }},
        {"ms_1_slider_brightness", Qt::Key_Right, "ms_1_slider_brightness",
         [&] { return value("ms_1_slider_brightness") == brightness + 1; }},
        {"ms_1_slider_brightness", Qt::Key_Left, "ms_1_slider_brightness",
         [&] { return value("ms_1_slider_brightness") == brightness; }},
    };
    for (const Row& row : rows) {
        QWidget* control = Find(row.control);
        ASSERT_NE(control, nullptr) << row.control;
        control->setFocus(Qt::TabFocusReason);
        QTest::keyClick(control, row.key);
        Deliver();
        EXPECT_TRUE(row.done()) << row.control << " key " << row.key;
        EXPECT_EQ(StopName(QApplication::focusWidget()).toStdString(),
                  StopName(Find(row.focusAfter)).toStdString())
            << row.control << " key " << row.key;
        EXPECT_EQ(QApplication::focusWidget(), Find(row.focusAfter)) << row.control;
    }
}

// Every dialog the page opens: Tab reaches each control in reading order, starting with the
// first, and Esc closes it. The title bar's close button is the window frame's, as Esc is.
TEST_F(KeyboardFocusTest, TabReachesEveryControlOfEachDialogAndEscClosesIt) {
    OpenEverySection();
    QStringList colours;
    for (int i = 1; i <= 16; ++i)
        colours << QStringLiteral("mouse_dpi_color_%1").arg(i);
    struct Row {
        const char* dialog;
        std::function<void()> open;
        QStringList stops;
    };
    const Row rows[] = {
        {"profile_name_wnd", [this] { Find<QAbstractButton>("ms_1_profile_add_btn")->click(); },
         Names({"edit_name", "btn_cancel", "btn_ok"})},
        {"dpi_color_wnd", [this] { Find<QAbstractButton>("ms_1_btn_dpi_color_2")->click(); },
         colours + Names({"r_edit", "g_edit", "b_edit", "cancel_btn", "confirm_btn"})},
        {"msg_wnd", [this] { Find<QAbstractButton>("ms_1_btn_reset")->click(); },
         Names({"btn_cancel", "btn_ok"})},
        {"select_macro_wnd", [this] { ChooseFromMenu("ms_1_btn_key_5", "ms_1_select_macro"); },
         Names({"list_macro", "[select_macro_wnd]", "edit_loop_time", "btn_cancel", "btn_ok"})},
        {"ms_1_macro_wnd", [this] { Find<QAbstractButton>("ms_1_btn_macro")->click(); },
         // Recording is greyed out: no hook library here.
         Names({"ms_1_macro_list", "ms_1_macro_add_btn", "ms_1_macro_delete_btn",
                "ms_1_macro_import_btn", "ms_1_macro_export_btn", "ms_1_macro_name_edit",
                "ms_1_macro_insert_mouse_btn", "ms_1_macro_action_list", "ms_1_macro_up_btn",
                "ms_1_macro_down_btn", "ms_1_macro_delete_action_btn",
                "ms_1_macro_clear_action_btn", "[ms_1_macro_row_delays]", "ms_1_default_delay_edit",
                "ms_1_macro_action_edit_check", "ms_1_macro_save_btn", "ms_1_macro_cancel_btn"})},
        // "Open the folder" is greyed out here: this window was given no data folder.
        {"about_wnd", [this] { MainMenu("about"); }, Names({"btn_ok"})},
        {"app_profiles_wnd", [this] { MainMenu("app_profiles"); },
         // No rule to remove and no open windows to offer here: those controls are greyed out.
         Names({"app_profiles_switch", "app_profiles_list", "app_profiles_profile",
                "app_profiles_typed", "app_profiles_add_typed_btn", "btn_ok"})},
    };
    for (const Row& row : rows) {
        QStringList stops;
        QString shown;  // the dialog's name; the dialog is gone once it closed
        bool stillOpen = true;
        WhenModal([&](QWidget* modal) {
            shown = modal->objectName();
            if (modal->objectName() != row.dialog)
                return;
            QApplication::setActiveWindow(modal);
            QWidget* first = modal->findChild<QWidget*>(row.stops.front());
            stops = WalkTab(first != nullptr ? first : modal);
            QWidget* focused = QApplication::focusWidget();
            QTest::keyClick(focused != nullptr ? focused : modal, Qt::Key_Escape);
            stillOpen = modal->isVisible();
            if (stillOpen)
                qobject_cast<QDialog*>(modal)->reject();
        });
        row.open();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.isEmpty(); }, 5000))
            << row.dialog << " did not open";
        EXPECT_EQ(shown.toStdString(), row.dialog);
        EXPECT_EQ(stops.join('\n').toStdString(), row.stops.join('\n').toStdString()) << row.dialog;
        EXPECT_FALSE(stillOpen) << row.dialog << " stayed open on Esc";
    }
}

}  // namespace
}  // namespace ms1::test
