#include "ui/MousePage.h"

#include <cstdio>
#include <cstring>

#include "protocol/Reports.h"
#include "storage/ProfileFile.h"
#include "storage/SettingsFile.h"
#include "storage/Utf16Text.h"
#include "ui/ButtonFunctions.h"

namespace ms1 {
namespace {

constexpr const char* kProfileList = "ms_1_list_profile";
constexpr int kPageDeferredTimer = 514;
constexpr int kBannerInTimer = 50;
constexpr int kBannerOutTimer = 51;

std::string Numbered(std::string_view prefix, int n) {
    return std::string(prefix) + std::to_string(n);
}

// "prefix%d" with %d in [1, count]: the number, or 0 when the name is not of that form.
int NumberAfter(const std::string& name, std::string_view prefix, int count) {
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

struct Section {
    const char* header;
    const char* panel;
    bool scrollAfterOpening;
};

constexpr Section kSections[] = {
    {"ms_1_check_button", "ms_1_hor_button", false},
    {"ms_1_check_profile", "ms_1_ver_profile", false},
    {"ms_1_check_power", "ms_1_ver_power", false},
    {"ms_1_check_dpi", "ms_1_ver_dpi", false},
    {"ms_1_check_light", "ms_1_ver_light", false},
    {"ms_1_check_prate", "ms_1_ver_prate", false},
    {"ms_1_check_mouse_attribute", "ms_1_ver_mouse_attribute", false},
    {"ms_1_check_power_setting", "ms_1_ver_power_setting", true},
    {"ms_1_check_lift_of_distance", "ms_1_hor_lift_of_distance", true},
    {"ms_1_check_key_debounce", "ms_1_hor_key_debounce", true},
    {"ms_1_check_ripple_control", "ms_1_hor_ripple_control", true},
    {"ms_1_check_angle_snap", "ms_1_hor_angle_snap", true},
};

}  // namespace

CMS_1_Page::CMS_1_Page(MousePageDeps deps)
    : deps_(std::move(deps)), snapshot_(MakeZeroedProfile()) {}

std::unique_lock<std::recursive_mutex> CMS_1_Page::Lock() {
    return std::unique_lock<std::recursive_mutex>(mutex_);
}

ProfileRecord& CMS_1_Page::Working() {
    return working_ ? *working_ : *snapshot_;
}

bool CMS_1_Page::SaveProfiles() {
    auto lock = Lock();
    auto access = deps_.profiles.Lock();
    access.SetSelectedIndex(selected_);
    return access.SaveProfileStore().ok;
}

std::string CMS_1_Page::Tr(std::string_view key) const {
    return ToUtf8(deps_.texts.Text(key));
}

void CMS_1_Page::InitPage() {
    auto& c = deps_.controls;
    c.SetVisible("ms_1_check_lift_of_distance", false);
    c.SetVisible("ms_1_ver_light", false);
    ShowModel(ReadModel(deps_.dataFolder));
}

void CMS_1_Page::ShowModel(int model) {
    deps_.controls.SelectOption(Numbered("ms_1_option_mouse_pic_", model + 1));
    deps_.controls.SetBackgroundImage("ms_1_container_mouse_pic",
                                      "skins/ms_1/mouse_" + std::to_string(model + 1) + ".png");
}

void CMS_1_Page::LoadProfiles() {
    auto lock = Lock();
    fullApplyPending_ = true;
    deps_.profiles.LoadProfileStore(deps_.texts.Text("add_profile_text"));
    deps_.macros.LoadMacroStore();
    {
        auto access = deps_.profiles.Lock();
        for (const auto& profile : access.Profiles()) {
            deps_.controls.ListAppend(kProfileList, ToUtf8(profile->profileName.get()));
        }
        int count = static_cast<int>(access.Profiles().size());
        selected_ = access.SelectedIndex();
        if (selected_ < 0 || selected_ >= count)
            selected_ = 0;
        access.SetSelectedIndex(selected_);
        working_ = count > 0 ? access.Profiles()[selected_].get() : nullptr;
        deps_.controls.ListSelect(kProfileList, selected_);
    }
    if (working_)
        std::memcpy(snapshot_.get(), working_, sizeof(ProfileRecord));
    // Our list raises no notification while it is filled, so there is no selection of the
    // loading to swallow: the user's first choice counts.
    skipFirstProfileSelect_ = false;
    RefreshPage();
}

void CMS_1_Page::RefreshPage() {
    auto lock = Lock();
    if (refreshLinkSections_)
        refreshLinkSections_();
    if (!working_)
        return;
    const ProfileRecord& p = *working_;
    auto& c = deps_.controls;
    c.SelectOption(Numbered("ms_1_option_dpi_step_", p.activeStage + 1));
    for (int i = 1; i <= kDpiStages; ++i) {
        const int step = p.dpiValue[i - 1];
        const std::string shown = std::to_string(DpiStepToDisplay(step));
        c.SetValue(Numbered("ms_1_slider_dpi_", i), step);
        c.SetPlainText(Numbered("ms_1_label_dpi_", i), shown);
        c.SetPlainText(Numbered("ms_1_edit_dpi_", i), shown);
        c.SetBackgroundColor(Numbered("ms_1_btn_dpi_color_", i),
                             ColorToDisplay(p.stageColor[i - 1]));
    }
    c.SelectComboItem("ms_1_combo_light", p.lightMode);
    c.SetValue("ms_1_slider_brightness", p.brightness);
    c.SetValue("ms_1_slider_breathspeed", p.breathSpeed);
    c.SetBackgroundColor("ms_1_btn_light_color", ColorToDisplay(p.lightColor));
    RefreshLightSections();
    c.SelectOption(Numbered("ms_1_btn_prate_", p.pollingRate + 1));
    c.SelectOption(Numbered("ms_1_option_lift_of_distance_", p.liftOffDistance + 1));
    c.SelectOption(Numbered("ms_1_option_ripple_control_", p.rippleControl + 1));
    c.SelectOption(Numbered("ms_1_option_angle_snap_", p.angleSnap + 1));
    c.SetValue("ms_1_slider_light_off", p.lightOffTimer);
    UpdateLightOffLabel();
    c.SetValue("ms_1_slider_sleep_timer", p.sleepTimer);
    UpdateSleepLabel();
    c.SetValue("ms_1_slider_key_debounce", p.keyDebounce);
    UpdateDebounceLabel();
    c.SetChecked("ms_1_check_move_close_light", p.moveCloseLight == 1);
    for (int k = 0; k < kPageButtons; ++k)
        DrawButtonLabel(k);
}

void CMS_1_Page::RefreshLightSections() {
    auto& c = deps_.controls;
    c.SetVisible("ms_1_ver_brightness", false);
    c.SetVisible("ms_1_ver_breathspeed", false);
    c.SetVisible("ms_1_hor_light_color", false);
    if (!working_)
        return;
    const int mode = working_->lightMode;
    if (mode == 1) {
        c.SetVisible("ms_1_ver_brightness", true);
        c.SetVisible("ms_1_hor_light_color", true);
    } else if (mode == 2) {
        c.SetVisible("ms_1_ver_breathspeed", true);
        c.SetVisible("ms_1_hor_light_color", true);
    } else if (mode >= 3 && mode <= 11) {
        c.SetVisible("ms_1_ver_breathspeed", true);
    }
}

void CMS_1_Page::UpdateSleepLabel() {
    if (!working_)
        return;
    deps_.controls.SetPlainText("ms_1_label_sleep_timer", Tr("sleep_timer_3_text") +
                                                              std::to_string(working_->sleepTimer) +
                                                              " " + Tr("sleep_timer_2_text"));
}

void CMS_1_Page::UpdateLightOffLabel() {
    if (!working_)
        return;
    char number[32];
    std::snprintf(number, sizeof number, "%.1f", working_->lightOffTimer * 0.5);
    deps_.controls.SetPlainText("ms_1_label_light_off",
                                Tr("sleep_timer_1_text") + number + " " + Tr("sleep_timer_2_text"));
}

void CMS_1_Page::UpdateDebounceLabel() {
    if (!working_)
        return;
    deps_.controls.SetPlainText("ms_1_label_key_debounce",
                                std::to_string(2 * working_->keyDebounce) + " MS");
}

void CMS_1_Page::DrawButtonLabel(int button) {
    if (!working_ || button < 0 || button >= kPageButtons)
        return;
    ButtonLabel label = ComposeButtonLabel(working_->button[button], deps_.layout, deps_.texts);
    const std::string control = Numbered("ms_1_btn_key_", button + 1);
    if (label.resourceText) {
        deps_.controls.SetTextKey(control, ToUtf8(label.text));
    } else {
        deps_.controls.SetPlainText(control, ToUtf8(label.text));
    }
}

void CMS_1_Page::SwitchToProfile(int index) {
    auto lock = Lock();
    {
        auto access = deps_.profiles.Lock();
        if (index < 0 || index >= static_cast<int>(access.Profiles().size()))
            return;
        selected_ = index;
        access.SetSelectedIndex(index);
        working_ = access.Profiles()[index].get();
    }
    RefreshPage();
    fullApplyPending_ = true;
    deps_.apply.RequestApply();
}

void CMS_1_Page::AddProfile() {
    auto lock = Lock();
    std::optional<std::u16string> name;
    {
        auto access = deps_.profiles.Lock();
        name = deps_.dialogs.AskProfileName("profile_name_1_text", access.Profiles());
    }
    if (!name)
        return;
    int index = 0;
    {
        auto access = deps_.profiles.Lock();
        auto profile = MakeZeroedProfile();
        ResetProfileToDefaults(*profile);
        profile->profileName.set(*name);
        access.Profiles().push_back(std::move(profile));
        index = static_cast<int>(access.Profiles().size()) - 1;
    }
    deps_.controls.ListAppend(kProfileList, ToUtf8(*name));
    deps_.controls.ListSelect(kProfileList, index);
    SwitchToProfile(index);
}

void CMS_1_Page::DeleteProfile() {
    auto lock = Lock();
    int count = 0;
    {
        auto access = deps_.profiles.Lock();
        count = static_cast<int>(access.Profiles().size());
    }
    if (count < 2) {
        deps_.dialogs.MessageBox("warning_title_text", "one_profile_text");
        return;
    }
    if (!deps_.dialogs.MessageBox("warning_title_text", "delete_profile_text"))
        return;
    const int removed = selected_;
    {
        auto access = deps_.profiles.Lock();
        auto& list = access.Profiles();
        list.erase(list.begin() + removed);
        selected_ = removed < static_cast<int>(list.size()) ? removed : removed - 1;
        access.SetSelectedIndex(selected_);
        working_ = list[selected_].get();
    }
    deps_.controls.ListRemove(kProfileList, removed);
    deps_.controls.ListSelect(kProfileList, selected_);
    SwitchToProfile(selected_);
}

void CMS_1_Page::RenameProfile() {
    auto lock = Lock();
    if (!working_)
        return;
    std::optional<std::u16string> name;
    {
        auto access = deps_.profiles.Lock();
        name = deps_.dialogs.AskProfileName("profile_name_2_text", access.Profiles());
    }
    if (!name)
        return;
    working_->profileName.set(*name);
    deps_.controls.ListSetText(kProfileList, selected_, ToUtf8(working_->profileName.get()));
    if (!SaveProfiles()) {
        deps_.dialogs.ShowProblem("warning_title_text", "The profiles could not be saved.");
    }
}

void CMS_1_Page::ResetProfile() {
    auto lock = Lock();
    if (!working_)
        return;
    if (!deps_.dialogs.MessageBox("warning_title_text", "restore_text"))
        return;
    ResetProfileToDefaults(*working_);
    RefreshPage();
    fullApplyPending_ = true;
    deps_.apply.RequestApply();
}

void CMS_1_Page::ExportProfile() {
    auto lock = Lock();
    if (!working_)
        return;
    std::optional<std::filesystem::path> file = deps_.dialogs.AskProfileFileToSave();
    if (!file)
        return;
    AtomicFileWriter writer;
    WriteResult written = ms1::ExportProfile(*working_, *file, writer);
    if (!written)
        deps_.dialogs.ShowProblem("warning_title_text", written.reason);
}

void CMS_1_Page::ImportProfile() {
    auto lock = Lock();
    std::optional<std::filesystem::path> file = deps_.dialogs.AskProfileFileToOpen();
    if (!file)
        return;
    ProfileImport imported;
    {
        auto profiles = deps_.profiles.Lock();
        auto macros = deps_.macros.Lock();
        imported = ImportProfileFile(*file, profiles, macros);
    }
    if (imported.refused) {
        deps_.dialogs.ShowProblem("warning_title_text",
                                  file->filename().string() + ": " + *imported.refused);
        return;
    }
    if (!imported.macroNames.empty() && !imported.macroSave) {
        deps_.dialogs.ShowProblem("warning_title_text", imported.macroSave.reason);
    }
    const int index = static_cast<int>(imported.index);
    deps_.controls.ListAppend(kProfileList, ToUtf8(imported.name));
    deps_.controls.ListSelect(kProfileList, index);
    SwitchToProfile(index);
}

void CMS_1_Page::SaveStores() {
    auto lock = Lock();
    SaveProfiles();
    deps_.macros.SaveMacroStore();
}

void CMS_1_Page::Notify(const PageNotification& n) {
    if (n.type == "click") {
        OnPageClick(n.sender);
    } else if (n.type == "selectchanged") {
        OnOptionChanged(n.sender);
    } else if (n.type == "itemselect") {
        OnItemSelect(n);
    } else if (n.type == "checkclick") {
        OnCheckClick(n);
    } else if (n.type == "killfocus" || n.type == "return") {
        OnDpiEditCommit(n.sender);
    } else if (n.type == "timer") {
        OnPageTimer(n.value);
    } else if (n.type == "valuechanged") {
        OnSliderChanged(n);
    } else if (n.type == "textchanged") {
        OnDpiEditText(n.sender);
    }
}

void CMS_1_Page::OnPageClick(const std::string& s) {
    auto lock = Lock();
    if (s == "ms_1_profile_add_btn")
        return AddProfile();
    if (s == "ms_1_profile_delete_btn")
        return DeleteProfile();
    if (s == "ms_1_profile_rename_btn")
        return RenameProfile();
    if (s == "ms_1_profile_import_btn")
        return ImportProfile();
    if (s == "ms_1_profile_export_btn")
        return ExportProfile();
    if (s == "ms_1_apply_btn" || s == "ms_1_btn_apply_dpi")
        return deps_.apply.RequestApply();
    if (s == "ms_1_btn_reset_dpi") {
        if (!working_)
            return;
        ResetDpiToDefaults(*working_);
        RefreshPage();
        return deps_.apply.RequestApply();
    }
    if (s == "ms_1_btn_mouse_attribute")
        return deps_.dialogs.OpenMouseSettings();
    if (s == "ms_1_profile_reset_btn" || s == "ms_1_btn_reset")
        return ResetProfile();
    if (!working_)
        return;
    if (s == "ms_1_btn_light_color")
        return ChooseColor(s, working_->lightColor);
    if (s == "ms_1_btn_macro") {
        deps_.dialogs.RunMacroEditor();
        bool touched = false;
        {
            auto profiles = deps_.profiles.Lock();
            auto macros = deps_.macros.Lock();
            touched = ResyncMacroButtons(profiles.Profiles(), macros.Macros(), working_);
        }
        if (touched) {
            for (int k = 0; k < kPageButtons; ++k)
                DrawButtonLabel(k);
            deps_.apply.RequestApply();
        }
        return;
    }
    if (int stage = NumberAfter(s, "ms_1_btn_dpi_color_", kDpiStages)) {
        return ChooseColor(s, working_->stageColor[stage - 1]);
    }
    if (int button = NumberAfter(s, "ms_1_btn_key_", 12)) {
        menuButton_ = button - 1;
        deps_.dialogs.OpenFunctionMenu(s);
    }
}

void CMS_1_Page::ChooseColor(const std::string& control, RgbColor& field) {
    std::optional<std::uint32_t> chosen = deps_.dialogs.ChooseColor(control, ColorToDisplay(field));
    if (!chosen)
        return;
    field = DisplayToColor(*chosen);
    deps_.controls.SetBackgroundColor(control, ColorToDisplay(field));
    deps_.apply.RequestApply();
}

void CMS_1_Page::OnOptionChanged(const std::string& s) {
    auto lock = Lock();
    if (int model = NumberAfter(s, "ms_1_option_mouse_pic_", 6)) {
        WriteModel(deps_.dataFolder, model - 1);
        ShowModel(model - 1);
        return;
    }
    if (!working_)
        return;
    ProfileRecord& p = *working_;
    if (int n = NumberAfter(s, "ms_1_option_dpi_step_", kDpiStages)) {
        p.activeStage = n - 1;
    } else if (int rate = NumberAfter(s, "ms_1_btn_prate_", 4)) {
        p.pollingRate = rate - 1;
    } else if (int lift = NumberAfter(s, "ms_1_option_lift_of_distance_", 2)) {
        p.liftOffDistance = lift - 1;
    } else if (int ripple = NumberAfter(s, "ms_1_option_ripple_control_", 2)) {
        p.rippleControl = ripple - 1;
    } else if (int snap = NumberAfter(s, "ms_1_option_angle_snap_", 2)) {
        p.angleSnap = snap - 1;
    } else {
        return;
    }
    deps_.apply.RequestApply();
}

void CMS_1_Page::OnItemSelect(const PageNotification& n) {
    auto lock = Lock();
    if (n.sender == "ms_1_combo_light") {
        if (!working_ || n.index < 0)
            return;
        working_->lightMode = n.index;
        RefreshLightSections();
        deps_.apply.RequestApplyDelayed(200);
    } else if (n.sender == kProfileList) {
        if (!skipFirstProfileSelect_)
            SwitchToProfile(n.index);
        skipFirstProfileSelect_ = false;
    }
}

void CMS_1_Page::OnCheckClick(const PageNotification& n) {
    auto lock = Lock();
    for (const Section& section : kSections) {
        if (n.sender != section.header)
            continue;
        deps_.controls.SetVisible(section.panel, n.checked);
        if (n.checked && section.scrollAfterOpening) {
            deps_.timers.StartTimer(kPageDeferredTimer, 10);
        }
        return;
    }
    if (n.sender == "ms_1_check_move_close_light" && working_) {
        working_->moveCloseLight = n.checked ? 1 : 0;
        deps_.apply.RequestApply();
    }
}

void CMS_1_Page::OnDeferredScroll() {
    deps_.controls.ScrollToEnd("ms_1_ver_setting");
}

void CMS_1_Page::OnSliderChanged(const PageNotification& n) {
    auto lock = Lock();
    if (!working_)
        return;
    ProfileRecord& p = *working_;
    const std::string& s = n.sender;
    if (int stage = NumberAfter(s, "ms_1_slider_dpi_", kDpiStages)) {
        p.dpiValue[stage - 1] = n.value;
        const std::string shown = std::to_string(DpiStepToDisplay(n.value));
        deps_.controls.SetPlainText(Numbered("ms_1_label_dpi_", stage), shown);
        deps_.controls.SetPlainText(Numbered("ms_1_edit_dpi_", stage), shown);
        return;
    }
    if (s == "ms_1_slider_brightness") {
        p.brightness = n.value;
    } else if (s == "ms_1_slider_breathspeed") {
        p.breathSpeed = n.value;
    } else if (s == "ms_1_slider_sleep_timer") {
        p.sleepTimer = n.value;
        UpdateSleepLabel();
    } else if (s == "ms_1_slider_light_off") {
        p.lightOffTimer = n.value;
        UpdateLightOffLabel();
    } else if (s == "ms_1_slider_key_debounce") {
        p.keyDebounce = n.value;
        UpdateDebounceLabel();
    } else {
        return;
    }
    deps_.apply.RequestApplyDelayed(500);
}

void CMS_1_Page::OnDpiEditCommit(const std::string& s) {
    auto lock = Lock();
    int stage = NumberAfter(s, "ms_1_edit_dpi_", kDpiStages);
    if (!stage || !working_)
        return;
    const std::string text = deps_.controls.Text(s);
    long long n = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9')
            break;
        if (n < 1'000'000'000)
            n = n * 10 + (ch - '0');  // large enough to mean "the most"
    }
    const int step = DisplayToDpiStep(n);
    working_->dpiValue[stage - 1] = step;
    deps_.controls.SetValue(Numbered("ms_1_slider_dpi_", stage), step);
    const std::string shown = std::to_string(DpiStepToDisplay(step));
    deps_.controls.SetPlainText(s, shown);
    deps_.controls.SetPlainText(Numbered("ms_1_label_dpi_", stage), shown);
}

void CMS_1_Page::OnDpiEditText(const std::string& s) {
    if (!NumberAfter(s, "ms_1_edit_dpi_", kDpiStages))
        return;
    const std::string text = deps_.controls.Text(s);
    std::string digits;
    for (char ch : text) {
        if (ch >= '0' && ch <= '9')
            digits.push_back(ch);
    }
    if (digits == text)
        return;
    deps_.controls.SetPlainText(s, digits);
    deps_.controls.SetCaretToEnd(s);
}

void CMS_1_Page::OnPageTimer(int timerId) {
    if (timerId != kBannerInTimer && timerId != kBannerOutTimer)
        return;
    bannerOffset_ += timerId == kBannerInTimer ? 2 : -2;
    deps_.controls.SetAttribute("ms_1_low_power_label", "padding",
                                std::to_string(bannerOffset_) + ",-82,0,0");
    if (timerId == kBannerInTimer && bannerOffset_ >= 0)
        bannerOffset_ = -212;
    if (timerId == kBannerOutTimer && bannerOffset_ < -211)
        bannerOffset_ = 0;
}

void CMS_1_Page::OnMenuItem(std::string_view itemName) {
    auto lock = Lock();
    if (!working_)
        return;
    MacroList macros;
    {
        auto access = deps_.macros.Lock();
        macros = access.Macros();
    }
    OnFunctionChosen(*working_, menuButton_, itemName, macros, *this);
}

void CMS_1_Page::ShowWarning(std::string_view messageKey) {
    deps_.dialogs.MessageBox("warning_title_text", messageKey);
}

std::optional<ShortcutChoice> CMS_1_Page::RunShortcutDialog(const ShortcutChoice& initial) {
    return shortcutDialog ? shortcutDialog(initial) : std::nullopt;
}

std::optional<MacroChoice> CMS_1_Page::RunMacroDialog(const MacroList& macros,
                                                      const MacroChoice& initial) {
    return macroDialog ? macroDialog(macros, initial) : std::nullopt;
}

}  // namespace ms1
