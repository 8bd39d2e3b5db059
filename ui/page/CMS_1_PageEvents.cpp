// What the user does on the mouse page: clicks, options, sliders, the DPI fields, the
// colour dialogs, the button function menu and the macro editor.
#include <cstring>

#include "protocol/ApplyPlan.h"
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
    {pageui::kCheckButton, pageui::kHorButton, false},
    {pageui::kCheckProfile, pageui::kVerProfile, false},
    {pageui::kCheckPower, pageui::kVerPower, false},
    {pageui::kCheckDpi, pageui::kVerDpi, false},
    {pageui::kCheckLight, pageui::kVerLight, false},
    {pageui::kCheckPrate, pageui::kVerPrate, false},
    {pageui::kCheckMouseAttribute, pageui::kVerMouseAttribute, false},
    {pageui::kCheckPowerSetting, pageui::kVerPowerSetting, true},
    {pageui::kCheckLiftOfDistance, pageui::kHorLiftOfDistance, true},
    {pageui::kCheckKeyDebounce, pageui::kHorKeyDebounce, true},
    {pageui::kCheckRippleControl, pageui::kHorRippleControl, true},
    {pageui::kCheckAngleSnap, pageui::kHorAngleSnap, true},
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
    if (s == pageui::kProfileAddBtn)
        return AddProfile();
    if (s == pageui::kProfileDeleteBtn)
        return DeleteProfile();
    if (s == pageui::kProfileRenameBtn)
        return RenameProfile();
    if (s == pageui::kProfileImportBtn)
        return ImportProfile();
    if (s == pageui::kProfileExportBtn)
        return ExportProfile();
    if (s == pageui::kApplyBtn || s == pageui::kBtnApplyDpi) {
        if (NothingToSend())
            deps_.dialogs.ShowStatus("nothing_to_send_text", "");
        return deps_.apply.RequestApply();
    }
    if (s == pageui::kBtnResetDpi) {
        {
            auto lock = Lock();
            if (!working_)
                return;
            ResetDpiToDefaults(*working_);
            RefreshPage();
        }
        return deps_.apply.RequestApply();
    }
    if (s == pageui::kBtnMouseAttribute)
        return deps_.dialogs.OpenMouseSettings();
    if (s == pageui::kProfileResetBtn || s == pageui::kBtnReset)
        return ResetProfile();
    {
        auto lock = Lock();
        if (!working_)
            return;
    }
    if (s == pageui::kBtnLightColor)
        return ChooseColor(s, -1);
    if (s == pageui::kBtnMacro) {
        return OnMacroEditorClosed(deps_.dialogs.RunMacroEditor());
    }
    if (int stage = NumberAfter(s, pageui::kBtnDpiColorPrefix, kDpiStages))
        return ChooseColor(s, stage - 1);
    if (int button = NumberAfter(s, pageui::kBtnKeyPrefix, 12)) {
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
    if (int model = NumberAfter(s, pageui::kOptionMousePicPrefix, 6)) {
        WriteModel(deps_.dataFolder, model - 1);
        ShowModel(model - 1);
        return;
    }
    if (!working_)
        return;
    ProfileRecord& p = *working_;
    if (int n = NumberAfter(s, pageui::kOptionDpiStepPrefix, kDpiStages)) {
        if (!StageUsable(p, n - 1)) {
            // Kept off by the page; should a click get through, the active stage stays.
            deps_.controls.SelectOption(
                Numbered(pageui::kOptionDpiStepPrefix, kStageOptionRange.Shown(p.activeStage) + 1));
            return;
        }
        p.activeStage = n - 1;
    } else if (int rate = NumberAfter(s, pageui::kBtnPratePrefix, 4)) {
        p.pollingRate = rate - 1;
    } else if (int lift = NumberAfter(s, pageui::kOptionLiftOfDistancePrefix, 2)) {
        p.liftOffDistance = lift - 1;
    } else if (int ripple = NumberAfter(s, pageui::kOptionRippleControlPrefix, 2)) {
        p.rippleControl = ripple - 1;
    } else if (int snap = NumberAfter(s, pageui::kOptionAngleSnapPrefix, 2)) {
        p.angleSnap = snap - 1;
    } else {
        return;
    }
    deps_.apply.RequestApply();
}

void CMS_1_Page::OnItemSelect(const PageNotification& n) {
    auto lock = Lock();
    if (n.sender == pageui::kComboLight) {
        if (!working_ || n.index < 0)
            return;
        working_->lightMode = n.index;
        RefreshLightSections();
        deps_.apply.RequestApplyDelayed(200);
    } else if (n.sender == kProfileList) {
        if (!skipFirstProfileSelect_) {
            ShowActiveReason({});
            SwitchToProfile(n.index);
        }
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
    if (n.sender == pageui::kCheckMoveCloseLight && working_) {
        working_->moveCloseLight = n.checked ? 1 : 0;
        deps_.apply.RequestApply();
    }
}

bool CMS_1_Page::NothingToSend() {
    // The snapshot is what the mouse confirmed; a group it did not confirm keeps its old
    // bytes there, so it counts as a difference.
    auto lock = Lock();
    return working_ && !fullApplyPending_ && ComputeChanges(*working_, *snapshot_) == ChangeSet{};
}

void CMS_1_Page::OnDeferredScroll() {
    deps_.controls.ScrollToEnd(pageui::kVerSetting);
}

void CMS_1_Page::OnSliderChanged(const PageNotification& n) {
    auto lock = Lock();
    if (!working_)
        return;
    ProfileRecord& p = *working_;
    const std::string& s = n.sender;
    if (int stage = NumberAfter(s, pageui::kSliderDpiPrefix, kDpiStages)) {
        p.dpiValue[stage - 1] = n.value;
        const std::string shown = std::to_string(DpiStepToDisplay(n.value));
        deps_.controls.SetPlainText(Numbered(pageui::kLabelDpiPrefix, stage), shown);
        deps_.controls.SetPlainText(Numbered(pageui::kEditDpiPrefix, stage), shown);
        return;
    }
    if (s == pageui::kSliderBrightness) {
        p.brightness = n.value;
    } else if (s == pageui::kSliderBreathspeed) {
        p.breathSpeed = n.value;
    } else if (s == pageui::kSliderSleepTimer) {
        p.sleepTimer = n.value;
        UpdateSleepLabel();
    } else if (s == pageui::kSliderLightOff) {
        p.lightOffTimer = n.value;
        UpdateLightOffLabel();
    } else if (s == pageui::kSliderKeyDebounce) {
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
        const std::string edit = Numbered(pageui::kEditDpiPrefix, stage);
        const std::string shown = std::to_string(DpiStepToDisplay(working_->dpiValue[stage - 1]));
        const std::string typed = deps_.controls.Text(edit);
        // An empty box is no value yet (and a skin without the box gives no text).
        if (!typed.empty() && typed != shown)
            OnDpiEditCommit(edit);
    }
}

void CMS_1_Page::OnDpiEditCommit(const std::string& s) {
    auto lock = Lock();
    int stage = NumberAfter(s, pageui::kEditDpiPrefix, kDpiStages);
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
    deps_.controls.SetValue(Numbered(pageui::kSliderDpiPrefix, stage), step);
    const std::string shown = std::to_string(DpiStepToDisplay(step));
    deps_.controls.SetPlainText(s, shown);
    deps_.controls.SetPlainText(Numbered(pageui::kLabelDpiPrefix, stage), shown);
}

void CMS_1_Page::OnDpiEditText(const std::string& s) {
    if (!NumberAfter(s, pageui::kEditDpiPrefix, kDpiStages))
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
    deps_.controls.SetAttribute(pageui::kLowPowerLabel, "padding",
                                std::to_string(bannerOffset_) + ",-82,0,0");
    if (timerId == kBannerInTimer && bannerOffset_ >= 0) {
        bannerOffset_ = -212;
        deps_.controls.KillControlTimer(pageui::kLowPowerLabel, kBannerInTimer);
    }
    if (timerId == kBannerOutTimer && bannerOffset_ < -211) {
        bannerOffset_ = 0;
        deps_.controls.KillControlTimer(pageui::kLowPowerLabel, kBannerOutTimer);
        // Slid out: gone from the page's layout too.
        deps_.controls.SetVisible(pageui::kLowPowerLabel, false);
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
