#pragma once

#include <string>
#include <string_view>

namespace ms1 {

// Numbered control names of the page skin: "ms_1_btn_key_" + 3 -> "ms_1_btn_key_3". The
// number is 64-bit so that one made from a stored value plus one never overflows.
inline std::string Numbered(std::string_view prefix, long long n) {
    return std::string(prefix) + std::to_string(n);
}

// "prefix%d" with %d in [1, count]: the number, or 0 when the name is not of that form.
inline int NumberAfter(const std::string& name, std::string_view prefix, int count) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return 0;
    int n = 0;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || n > count)
            return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n >= 1 && n <= count ? n : 0;
}

inline constexpr const char* kProfileList = "ms_1_list_profile";
// Under the profile list: why the active profile is active ("by rule: firefox"), hidden when the
// user chose it.
inline constexpr const char* kActiveReasonLabel = "ms_1_label_active_reason";

// Control names of the page skin, in one place. A name ending in "_" is the prefix of a
// numbered family (see Numbered above).
namespace pageui {
inline constexpr const char* kVerBreathspeed = "ms_1_ver_breathspeed";
inline constexpr const char* kVerBrightness = "ms_1_ver_brightness";
inline constexpr const char* kVerDpi = "ms_1_ver_dpi";
inline constexpr const char* kVerLight = "ms_1_ver_light";
inline constexpr const char* kVerMouseAttribute = "ms_1_ver_mouse_attribute";
inline constexpr const char* kVerPower = "ms_1_ver_power";
inline constexpr const char* kVerPowerSetting = "ms_1_ver_power_setting";
inline constexpr const char* kVerPrate = "ms_1_ver_prate";
inline constexpr const char* kVerProfile = "ms_1_ver_profile";
inline constexpr const char* kVerSetting = "ms_1_ver_setting";
inline constexpr const char* kHorAngleSnap = "ms_1_hor_angle_snap";
inline constexpr const char* kHorButton = "ms_1_hor_button";
inline constexpr const char* kHorKeyDebounce = "ms_1_hor_key_debounce";
inline constexpr const char* kHorLiftOfDistance = "ms_1_hor_lift_of_distance";
inline constexpr const char* kHorLightColor = "ms_1_hor_light_color";
inline constexpr const char* kHorRippleControl = "ms_1_hor_ripple_control";
inline constexpr const char* kCheckAngleSnap = "ms_1_check_angle_snap";
inline constexpr const char* kCheckButton = "ms_1_check_button";
inline constexpr const char* kCheckDpi = "ms_1_check_dpi";
inline constexpr const char* kCheckKeyDebounce = "ms_1_check_key_debounce";
inline constexpr const char* kCheckLiftOfDistance = "ms_1_check_lift_of_distance";
inline constexpr const char* kCheckLight = "ms_1_check_light";
inline constexpr const char* kCheckMouseAttribute = "ms_1_check_mouse_attribute";
inline constexpr const char* kCheckMoveCloseLight = "ms_1_check_move_close_light";
inline constexpr const char* kCheckPower = "ms_1_check_power";
inline constexpr const char* kCheckPowerSetting = "ms_1_check_power_setting";
inline constexpr const char* kCheckPrate = "ms_1_check_prate";
inline constexpr const char* kCheckProfile = "ms_1_check_profile";
inline constexpr const char* kCheckRippleControl = "ms_1_check_ripple_control";
inline constexpr const char* kOptionAngleSnapPrefix = "ms_1_option_angle_snap_";
inline constexpr const char* kOptionDpiStepPrefix = "ms_1_option_dpi_step_";
inline constexpr const char* kOptionLiftOfDistancePrefix = "ms_1_option_lift_of_distance_";
inline constexpr const char* kOptionMousePicPrefix = "ms_1_option_mouse_pic_";
inline constexpr const char* kOptionRippleControlPrefix = "ms_1_option_ripple_control_";
inline constexpr const char* kBtnApplyDpi = "ms_1_btn_apply_dpi";
inline constexpr const char* kBtnDpiColorPrefix = "ms_1_btn_dpi_color_";
inline constexpr const char* kBtnKeyPrefix = "ms_1_btn_key_";
inline constexpr const char* kBtnLightColor = "ms_1_btn_light_color";
inline constexpr const char* kBtnMacro = "ms_1_btn_macro";
inline constexpr const char* kBtnMouseAttribute = "ms_1_btn_mouse_attribute";
inline constexpr const char* kBtnPratePrefix = "ms_1_btn_prate_";
inline constexpr const char* kBtnReset = "ms_1_btn_reset";
inline constexpr const char* kBtnResetDpi = "ms_1_btn_reset_dpi";
inline constexpr const char* kSliderBreathspeed = "ms_1_slider_breathspeed";
inline constexpr const char* kSliderBrightness = "ms_1_slider_brightness";
inline constexpr const char* kSliderDpiPrefix = "ms_1_slider_dpi_";
inline constexpr const char* kSliderKeyDebounce = "ms_1_slider_key_debounce";
inline constexpr const char* kSliderLightOff = "ms_1_slider_light_off";
inline constexpr const char* kSliderSleepTimer = "ms_1_slider_sleep_timer";
inline constexpr const char* kEditDpiPrefix = "ms_1_edit_dpi_";
inline constexpr const char* kLabelDpiPrefix = "ms_1_label_dpi_";
inline constexpr const char* kLabelKeyDebounce = "ms_1_label_key_debounce";
inline constexpr const char* kLabelLightOff = "ms_1_label_light_off";
inline constexpr const char* kLabelSleepTimer = "ms_1_label_sleep_timer";
inline constexpr const char* kComboLight = "ms_1_combo_light";
inline constexpr const char* kProgressPower = "ms_1_progress_power";
inline constexpr const char* kLabelPower = "ms_1_label_power";
inline constexpr const char* kWired = "ms_1_wired";
inline constexpr const char* kWireless = "ms_1_wireless";
inline constexpr const char* kBle = "ms_1_BLE";
inline constexpr const char* kContainerMousePic = "ms_1_container_mouse_pic";
inline constexpr const char* kLowPowerLabel = "ms_1_low_power_label";
inline constexpr const char* kProfileAddBtn = "ms_1_profile_add_btn";
inline constexpr const char* kProfileDeleteBtn = "ms_1_profile_delete_btn";
inline constexpr const char* kProfileExportBtn = "ms_1_profile_export_btn";
inline constexpr const char* kProfileImportBtn = "ms_1_profile_import_btn";
inline constexpr const char* kProfileRenameBtn = "ms_1_profile_rename_btn";
inline constexpr const char* kProfileResetBtn = "ms_1_profile_reset_btn";
inline constexpr const char* kApplyBtn = "ms_1_apply_btn";
}  // namespace pageui

}  // namespace ms1
