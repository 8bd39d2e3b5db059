// The skins and the language file installed beside the program hold what the program uses.
#include <gtest/gtest.h>

#include <QDir>
#include <QWidget>
#include <memory>

#include "TestResources.h"
#include "platform/MessageHub.h"
#include "platform/dui/MenuWindow.h"
#include "platform/dui/SkinLoader.h"
#include "tests/support/QtTestApp.h"

namespace ms1 {
namespace {

// What Qt says while a skin is built; a property the loader cannot read is said with
// "Designer:" and silently left at its default.
QStringList* loaderSaid = nullptr;
void KeepMessage(QtMsgType, const QMessageLogContext&, const QString& text) {
    if (loaderSaid != nullptr)
        loaderSaid->append(text);
}

// Every window skin builds whole: each control it names is made, each property it sets is
// read.
TEST(SkinContractTest, EverySkinIsReadWhole) {
    TestApp();
    const dui::SkinLoader skins(QDir(ProgramFolder()).filePath("res"));
    for (const char* file :
         {"main.xml", "about.xml", "appprofiles.xml", "DpiColorDialog.xml", "keylistitem.xml",
          "msg.xml", "shortcut.xml", "MS/MS_1/ms_1_page.xml", "MS/MS_1/ms_1_macropage.xml",
          "MS/MS_1/profilename.xml", "MS/MS_1/selectmacro.xml"}) {
        SCOPED_TRACE(file);
        QStringList said;
        loaderSaid = &said;
        const QtMessageHandler before = qInstallMessageHandler(KeepMessage);
        const std::unique_ptr<QWidget> built(skins.Load(QString::fromLatin1(file), nullptr));
        qInstallMessageHandler(before);
        loaderSaid = nullptr;
        EXPECT_NE(built, nullptr);
        EXPECT_TRUE(said.filter(QStringLiteral("Designer")).isEmpty())
            << said.join('\n').toStdString();
    }
}

TEST(SkinContractTest, LanguageFileHoldsEveryKeyTheProgramUses) {
    TestApp();
    dui::LanguageTexts texts;
    ASSERT_TRUE(texts.Load(QDir(ProgramFolder()).filePath("res/lan.xml")));
    const char* keys[] = {
        // windows and dialogs
        "mouse_name_text",
        "warning_title_text",
        "delete_macro_text",
        "delete_profile_text",
        "one_profile_text",
        "restore_text",
        "one_click_text",
        "warn_name_1_text",
        "warn_name_2_text",
        "profile_name_1_text",
        "profile_name_2_text",
        "add_profile_text",
        "add_macro_text",
        "assign_macro_text",
        "start_recording_text",
        "stop_recording_text",
        "sleep_timer_1_text",
        "sleep_timer_2_text",
        "sleep_timer_3_text",
        "charging_text",
        // button functions
        "left_click_text",
        "right_click_text",
        "wheel_click_text",
        "backward_text",
        "forward_text",
        "double_click_text",
        "fire_button_text",
        "scroll_up_text",
        "scroll_down_text",
        "titl_left_text",
        "titl_right_text",
        "button_off_text",
        "dpi_up_text",
        "dpi_down_text",
        "dpi_cycle_text",
        "easy_aim_text",
        "led_loop_text",
        "profile_up_text",
        "profile_down_text",
        "profile_cycle_text",
        "keyboard_ctrl_text",
        "keyboard_shift_text",
        "keyboard_alt_text",
        "keyboard_win_text",
        // media, browser, office
        "media_player_text",
        "play_pause_text",
        "media_stop_text",
        "previous_track_text",
        "next_track_text",
        "volume_up_text",
        "volume_down_text",
        "mute_text",
        "browser_home_text",
        "browser_backward_text",
        "browser_forward_text",
        "browser_refresh_text",
        "browser_stop_text",
        "browser_search_text",
        "browser_favorites_text",
        "email_text",
        "calculator_text",
        "my_computer_text",
        "copy_text",
        "cut_text",
        "paste_text",
        "undo_text",
        "redo_text",
        "select_all_text",
        "find_text",
        "open_text",
        "save_text",
        "print_text",
        "close_window_text",
        "swap_windows_text",
        "show_desktop_text",
        "task_view_text",
        "lock_pc_text",
        "run_command_text",
        "screen_capture_text",
        // our own skins
        "tray_configuration_text",
        "tray_exit_text",
        "tray_profiles_text",
        "ok_text",
        "cancel_text",
        "no_device_text",
        "no_device_hint_text",
        "applying_text",
        "mouse_silent_text",
        "mouse_silent_hint_text",
        "about_text",
        "about_version_text",
        "about_licence_text",
        "about_data_folder_text",
        "about_open_folder_text",
        "macro_editor_title_text",
        "dpi_color_title_text",
        "export_done_text",
        "import_done_text",
        "shortcut_title_text",
        "select_macro_title_text",
        "macro_name_empty_text",
        "macro_name_too_long_text",
        "macro_name_in_use_text",
    };
    for (const char* key : keys) {
        EXPECT_TRUE(texts.Contains(key)) << key;
        EXPECT_FALSE(texts.Text(key).trimmed().isEmpty()) << key;
    }
}

TEST(SkinContractTest, TrayMenuHasConfigurationAutostartAndExit) {
    TestApp();
    MessageHub owner;
    dui::MenuWindow menu(owner, nullptr);
    ASSERT_TRUE(menu.LoadFile(QDir(ProgramFolder()).filePath("res/traymenu.xml")));
    EXPECT_EQ(menu.ItemNames(), (QStringList{"configuration", "autostart", "exit"}));
}

TEST(SkinContractTest, MainMenuHasAppProfilesAboutAutostartNotificationsAndExit) {
    TestApp();
    MessageHub owner;
    dui::MenuWindow menu(owner, nullptr);
    ASSERT_TRUE(menu.LoadFile(QDir(ProgramFolder()).filePath("res/mainmenu.xml")));
    EXPECT_EQ(menu.ItemNames(), (QStringList{"app_profiles", "about", "autostart", "notifications",
                                             "rule_notifications", "exit"}));
}

}  // namespace
}  // namespace ms1
