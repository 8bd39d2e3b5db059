#pragma once

// The skin control names of the dialog windows, one table for each window.
namespace ms1 {

// The buttons every dialog skin names alike: OK, Cancel and the title bar's close.
struct DialogButtonNames {
    const char* ok = "btn_ok";
    const char* cancel = "btn_cancel";
    const char* exit = "btn_exit";
};
inline constexpr DialogButtonNames kDialogButtons{};

// The DPI colour dialog (CDpiColorWnd). The palette takes the place of the skin's control of
// that name; the preset swatches are "mouse_dpi_color_1" ... "mouse_dpi_color_<n>". It has
// buttons of its own, not the common ones.
struct ColorDialogNames {
    const char* palette = "ColorPallet";
    const char* swatchPrefix = "mouse_dpi_color_";
    const char* colorShow = "color_show_control";
    const char* channelEdits[3] = {"r_edit", "g_edit", "b_edit"};
    const char* confirm = "confirm_btn";
    const char* cancel = "cancel_btn";
};
inline constexpr ColorDialogNames kColorDialog{};

// The profile name dialog (CMS_1_ProfileName), with the common buttons.
struct ProfileNameDialogNames {
    const char* title = "title_string";
    const char* nameEdit = "edit_name";
};
inline constexpr ProfileNameDialogNames kProfileNameDialog{};

// The macro selection dialog (CMS_1_SelectMacro), with the common buttons. The repeat options
// are "repeat_1" ... "repeat_3".
struct SelectMacroDialogNames {
    const char* repeatOptionPrefix = "repeat_";
    const char* macroList = "list_macro";
    const char* loopRow = "hor_loop_time";
    const char* loopEdit = "edit_loop_time";
};
inline constexpr SelectMacroDialogNames kSelectMacroDialog{};

// The message box (CMsgWnd), with the common buttons.
struct MessageBoxNames {
    const char* title = "warning_title";
    const char* message = "warning";
};
inline constexpr MessageBoxNames kMessageBox{};

// The shortcut dialog (CShortcutWnd), with the common buttons: the four modifier checks and
// the key field.
struct ShortcutDialogNames {
    const char* modifierChecks[4] = {"check_flag_1", "check_flag_2", "check_flag_3",
                                     "check_flag_4"};
    const char* keyEdit = "edit_key";
};
inline constexpr ShortcutDialogNames kShortcutDialog{};

// The application profiles dialog (CAppProfilesWnd): its "btn_ok" closes it.
struct AppProfilesDialogNames {
    const char* switchCheck = "app_profiles_switch";
    const char* unavailable = "app_profiles_unavailable";
    const char* ruleList = "app_profiles_list";
    const char* profileCombo = "app_profiles_profile";
    const char* removeButton = "app_profiles_remove_btn";
    const char* openCombo = "app_profiles_open";
    const char* addOpenButton = "app_profiles_add_open_btn";
    const char* typedEdit = "app_profiles_typed";
    const char* addTypedButton = "app_profiles_add_typed_btn";
    const char* problem = "app_profiles_problem";
};
inline constexpr AppProfilesDialogNames kAppProfilesDialog{};

}  // namespace ms1
