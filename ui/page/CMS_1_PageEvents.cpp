// What the user does on the mouse page: clicks, options, sliders, the DPI fields, the
// colour dialogs, the button function menu and the macro editor.
#include <cstring>

#include "protocol/Reports.h"
#include "storage/SettingsFile.h"
#include "ui/ButtonFunctions.h"
#include "ui/page/CMS_1_Page.h"
#include "ui/page/PageNames.h"
#include "ui/page/PageRanges.h"

namespace ms1 {
namespace {

constexpr int kPageDeferredTimer = 514;
constexpr int kBannerInTimer = 50;
constexpr int kBannerOutTimer = 51;

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

// A function choice runs on a copy of the working profile, so that its dialogs run without a
// lock; it only notes whether the button's entry was assigned.
class ChoiceOnCopy final : public FunctionChoiceUi {
  public:
    ChoiceOnCopy(PageDialogs& dialogs, CMS_1_Page& page) : dialogs_(dialogs), page_(page) {}

    void ShowWarning(std::string_view messageKey) override {
        dialogs_.MessageBox("warning_title_text", messageKey);
    }
    std::optional<ShortcutChoice> RunShortcutDialog(const ShortcutChoice& initial) override {
        return page_.shortcutDialog ? page_.shortcutDialog(initial) : std::nullopt;
    }
    std::optional<MacroChoice> RunMacroDialog(const MacroList& macros,
                                              const MacroChoice& initial) override {
        return page_.macroDialog ? page_.macroDialog(macros, initial) : std::nullopt;
    }
    void RequestApply() override { assigned = true; }
    void DrawButtonLabel(int) override { assigned = true; }

    bool assigned = false;

  private:
    PageDialogs& dialogs_;
    CMS_1_Page& page_;
};

}  // namespace

void CMS_1_Page::Notify(const PageNotification& n) {
    // Buttons and options never take the focus, so a DPI box keeps it while another control is
    // clicked: what was typed there is taken first, for the profile it was typed in.
    if (n.type == "click" || n.type == "selectchanged" || n.type == "itemselect" ||
        n.type == "checkclick" || n.type == "valuechanged") {
        CommitTypedDpiValues();
    }
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
    // Every branch that opens a dialog takes the locks only around what it changes.
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
        {
            auto lock = Lock();
            if (!working_)
                return;
            ResetDpiToDefaults(*working_);
            RefreshPage();
        }
        return deps_.apply.RequestApply();
    }
    if (s == "ms_1_btn_mouse_attribute")
        return deps_.dialogs.OpenMouseSettings();
    if (s == "ms_1_profile_reset_btn" || s == "ms_1_btn_reset")
        return ResetProfile();
    {
        auto lock = Lock();
        if (!working_)
            return;
    }
    if (s == "ms_1_btn_light_color")
        return ChooseColor(s, -1);
    if (s == "ms_1_btn_macro") {
        return OnMacroEditorClosed(deps_.dialogs.RunMacroEditor());
    }
    if (int stage = NumberAfter(s, "ms_1_btn_dpi_color_", kDpiStages))
        return ChooseColor(s, stage - 1);
    if (int button = NumberAfter(s, "ms_1_btn_key_", 12)) {
        menuButton_ = button - 1;
        deps_.dialogs.OpenFunctionMenu(s);
    }
}

void CMS_1_Page::OnMacroEditorClosed(const MacroNameChanges& changes) {
    MacroResync resync;
    {
        auto lock = Lock();
        auto profiles = deps_.profiles.Lock();
        auto macros = deps_.macros.Lock();
        resync = ResyncMacroButtons(profiles.Profiles(), macros.Macros(), working_, changes);
        if (resync.workingChanged) {
            for (int k = 0; k < kPageButtons; ++k)
                DrawButtonLabel(k);
        }
    }
    // Nothing the mouse holds changed: nothing to send. Other profiles are only stored.
    if (resync.workingChanged) {
        deps_.apply.RequestApply();
    } else if (resync.anyChanged) {
        SaveProfiles();
    }
}

void CMS_1_Page::ChooseColor(const std::string& control, int stage) {
    auto field = [stage](ProfileRecord& p) -> RgbColor& {
        return stage < 0 ? p.lightColor : p.stageColor[stage];
    };
    std::uint32_t shown = 0;
    {
        auto lock = Lock();
        if (!working_)
            return;
        shown = ColorToDisplay(field(*working_));
    }
    std::optional<std::uint32_t> chosen = deps_.dialogs.ChooseColor(control, shown);
    if (!chosen)
        return;
    {
        auto lock = Lock();
        if (!working_)
            return;
        RgbColor& colour = field(*working_);
        colour = DisplayToColor(*chosen);
        deps_.controls.SetBackgroundColor(control, ColorToDisplay(colour));
    }
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
        if (!StageUsable(p, n - 1)) {
            // Kept off by the page; should a click get through, the active stage stays.
            deps_.controls.SelectOption(
                Numbered("ms_1_option_dpi_step_", kStageOptionRange.Shown(p.activeStage) + 1));
            return;
        }
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

void CMS_1_Page::CommitTypedDpiValues() {
    auto lock = Lock();
    if (!working_)
        return;
    for (int stage = 1; stage <= kDpiStages; ++stage) {
        const std::string edit = Numbered("ms_1_edit_dpi_", stage);
        const std::string shown = std::to_string(DpiStepToDisplay(working_->dpiValue[stage - 1]));
        const std::string typed = deps_.controls.Text(edit);
        // An empty box is no value yet (and a skin without the box gives no text).
        if (!typed.empty() && typed != shown)
            OnDpiEditCommit(edit);
    }
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
    if (timerId == kBannerInTimer && bannerOffset_ >= 0) {
        bannerOffset_ = -212;
        deps_.controls.KillControlTimer("ms_1_low_power_label", kBannerInTimer);
    }
    if (timerId == kBannerOutTimer && bannerOffset_ < -211) {
        bannerOffset_ = 0;
        deps_.controls.KillControlTimer("ms_1_low_power_label", kBannerOutTimer);
        // Slid out: gone from the page's layout too.
        deps_.controls.SetVisible("ms_1_low_power_label", false);
    }
}

void CMS_1_Page::OnMenuItem(std::string_view itemName) {
    auto copy = MakeZeroedProfile();
    const ProfileRecord* chosenFor = nullptr;
    int button = 0;
    MacroList macros;
    {
        auto lock = Lock();
        if (!working_)
            return;
        std::memcpy(copy.get(), working_, sizeof(ProfileRecord));
        chosenFor = working_;
        button = menuButton_;
        auto access = deps_.macros.Lock();
        macros = access.Macros();
    }
    ChoiceOnCopy choice(deps_.dialogs, *this);
    OnFunctionChosen(*copy, button, itemName, macros, choice);
    if (!choice.assigned || button < 0 || button >= kPageButtons)
        return;
    {
        auto lock = Lock();
        // The choice belongs to the profile it was made for.
        if (working_ != chosenFor)
            return;
        std::memcpy(&working_->button[button], &copy->button[button], sizeof(ButtonEntry));
        DrawButtonLabel(button);
    }
    deps_.apply.RequestApply();
}

}  // namespace ms1
