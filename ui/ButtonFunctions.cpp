#include "ui/ButtonFunctions.h"

#include <array>

#include "core/Utf16Text.h"
#include "ui/KeyTables.h"

namespace ms1 {
namespace {

constexpr ButtonFunction kFunctions[] = {
    {0x00, "ms_1_button_off", "button_off_text"},
    {0x01, "ms_1_click", "left_click_text"},
    {0x02, "ms_1_menu", "right_click_text"},
    {0x03, "ms_1_scroll", "wheel_click_text"},
    {0x04, "ms_1_forward", "forward_text"},
    {0x05, "ms_1_backward", "backward_text"},
    {0x06, "ms_1_dpi_cycle", "dpi_cycle_text"},
    {0x07, "ms_1_dpi_up", "dpi_up_text"},
    {0x08, "ms_1_dpi_down", "dpi_down_text"},
    {0x09, "ms_1_double_click", "double_click_text"},
    {0x0A, "ms_1_fire_button", "fire_button_text"},
    {0x0B, "ms_1_scroll_up", "scroll_up_text"},
    {0x0C, "ms_1_scroll_down", "scroll_down_text"},
    {0x0D, "ms_1_titl_left", "titl_left_text"},
    {0x0E, "ms_1_titl_right", "titl_right_text"},
    {0x10, "ms_1_shortcut", ""},
    {0x11, "ms_1_select_macro", ""},
    {0x16, "ms_1_easy_aim", "easy_aim_text"},
    {0x17, "ms_1_led_loop", "led_loop_text"},
    {0x20, "ms_1_cut", "cut_text"},
    {0x21, "ms_1_copy", "copy_text"},
    {0x22, "ms_1_paste", "paste_text"},
    {0x23, "ms_1_open", "open_text"},
    {0x24, "ms_1_save", "save_text"},
    {0x25, "ms_1_find", "find_text"},
    {0x26, "ms_1_redo", "redo_text"},
    {0x27, "", "undo_text"},
    {0x28, "ms_1_select_all", "select_all_text"},
    {0x29, "ms_1_print", "print_text"},
    {0x2A, "ms_1_close_window", "close_window_text"},
    {0x2B, "ms_1_swap_windows", "swap_windows_text"},
    {0x2C, "ms_1_show_desktop", "show_desktop_text"},
    {0x2D, "ms_1_run_command", "run_command_text"},
    {0x2E, "ms_1_lock_pc", "lock_pc_text"},
    {0x32, "ms_1_screen_capture", "screen_capture_text"},
    {0x33, "", "task_view_text"},
    {0x36, "", "profile_cycle_text"},
    {0x37, "", "profile_up_text"},
    {0x38, "", "profile_down_text"},
    {0x40, "ms_1_media_player", "media_player_text"},
    {0x41, "ms_1_play_pause", "play_pause_text"},
    {0x42, "ms_1_media_stop", "media_stop_text"},
    {0x43, "ms_1_pre_track", "previous_track_text"},
    {0x44, "ms_1_next_track", "next_track_text"},
    {0x45, "ms_1_volume_up", "volume_up_text"},
    {0x46, "ms_1_volume_down", "volume_down_text"},
    {0x47, "ms_1_mute", "mute_text"},
    {0x50, "ms_1_browser_home", "browser_home_text"},
    {0x51, "ms_1_browser_favorites", "browser_favorites_text"},
    {0x52, "ms_1_browser_forward", "browser_forward_text"},
    {0x53, "ms_1_browser_backward", "browser_backward_text"},
    {0x54, "ms_1_browser_stop", "browser_stop_text"},
    {0x55, "ms_1_browser_refresh", "browser_refresh_text"},
    {0x56, "ms_1_browser_search", "browser_search_text"},
    {0x57, "ms_1_email", "email_text"},
    {0x58, "ms_1_calculator", "calculator_text"},
    {0x59, "ms_1_my_computer", "my_computer_text"},
};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

}  // namespace

std::span<const ButtonFunction> ButtonFunctionTable() {
    return kFunctions;
}

std::uint8_t FunctionCodeForMenuItem(std::string_view itemName) {
    for (const auto& function : kFunctions) {
        if (!function.menuItem.empty() && SameIgnoringCase(function.menuItem, itemName)) {
            return function.code;
        }
    }
    return kFunctionLeftClick;
}

ButtonLabel ComposeButtonLabel(const ButtonEntry& entry, const KeyboardLayout& layout,
                               const TextLookup& texts) {
    ButtonLabel label;
    if (entry.function == kFunctionKeyCombination) {
        static constexpr std::array<std::string_view, 4> kModifierKeys = {
            "keyboard_ctrl_text", "keyboard_shift_text", "keyboard_alt_text", "keyboard_win_text"};
        for (int bit = 0; bit < 4; ++bit) {
            if (entry.modifiers & (1u << bit))
                label.text += texts.Text(kModifierKeys[bit]) + u"+";
        }
        label.text += UsageToKeyName(entry.key, layout, texts);
        return label;
    }
    if (entry.function == kFunctionMacro) {
        label.text = texts.Text("assign_macro_text") + entry.macroName.get();
        return label;
    }
    label.resourceText = true;
    for (const auto& function : kFunctions) {
        if (function.code == entry.function) {
            label.text.assign(function.labelKey.begin(), function.labelKey.end());
            return label;
        }
    }
    label.resourceText = false;  // a code without a label shows nothing
    label.text.clear();
    return label;
}

bool KeepsALeftClick(const ProfileRecord& profile, int button, std::uint8_t newCode) {
    constexpr int kMappedButtons = 16;
    for (int k = 0; k < kMappedButtons; ++k) {
        std::uint8_t code = k == button ? newCode : profile.button[k].function;
        if (code == kFunctionLeftClick)
            return true;
    }
    return false;
}

}  // namespace ms1
