#include "ui/page/CMS_1_Page.h"

#include <cstdio>
#include <cstring>

#include "core/Utf16Text.h"
#include "protocol/Reports.h"
#include "storage/AppProfileRules.h"
#include "storage/ProfileFile.h"
#include "storage/SettingsFile.h"
#include "ui/ButtonFunctions.h"
#include "ui/page/PageNames.h"
#include "ui/page/PageRanges.h"

namespace ms1 {

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
    // ms1ctl hands its changes to this program, so the file holds what was last written
    // here: only a change needs writing.
    return access.SaveProfileStoreIfChanged().ok();
}

void CMS_1_Page::SaveStores() {
    auto lock = Lock();
    SaveProfiles();
    deps_.macros.SaveMacroStoreIfChanged();
}

void CMS_1_Page::NoteLoad(const std::filesystem::path& file, const StoreLoadReport& report) {
    if (report.keptAside) {
        storeNotices_.push_back(Tr("store_kept_aside_text") + "\n" + file.string() + "\n-> " +
                                report.keptAs.string());
    } else if (report.keepAsideError) {
        storeNotices_.push_back(Tr("store_not_kept_aside_text") + "\n" + file.string() + "\n" +
                                *report.keepAsideError);
    }
}

void CMS_1_Page::ShowActiveReason(std::u16string_view ruleApp) {
    std::string text;
    if (!ruleApp.empty()) {
        text = Tr("active_by_rule_text");
        const std::size_t at = text.find("%s");
        if (at != std::string::npos)
            text.replace(at, 2, ToUtf8(ruleApp));
    }
    deps_.controls.SetPlainText(kActiveReasonLabel, text);
    deps_.controls.SetVisible(kActiveReasonLabel, !text.empty());
}

void CMS_1_Page::ShowStoreNotices() {
    std::vector<std::string> notices;
    {
        auto lock = Lock();
        notices.swap(storeNotices_);
    }
    for (const std::string& notice : notices)
        deps_.dialogs.ShowProblem("warning_title_text", notice);
}

std::string CMS_1_Page::Tr(std::string_view key) const {
    return ToUtf8(deps_.texts.Text(key));
}

void CMS_1_Page::InitPage() {
    auto& c = deps_.controls;
    c.SetVisible(pageui::kCheckLiftOfDistance, false);
    c.SetVisible(pageui::kVerLight, false);
    ShowModel(ReadModel(deps_.dataFolder));
}

void CMS_1_Page::ShowModel(int model) {
    deps_.controls.SelectOption(Numbered(pageui::kOptionMousePicPrefix, model + 1));
    deps_.controls.SetBackgroundImage(pageui::kContainerMousePic,
                                      "skins/ms_1/mouse_" + std::to_string(model + 1) + ".png");
}

void CMS_1_Page::LoadProfiles() {
    auto lock = Lock();
    fullApplyPending_ = true;
    const StoreLoadReport profilesLoad =
        deps_.profiles.LoadProfileStore(deps_.texts.Text("add_profile_text"));
    NoteLoad(deps_.profiles.FilePath(), profilesLoad);
    NoteLoad(deps_.macros.FilePath(), deps_.macros.LoadMacroStore());
    if (appRules_ != nullptr) {
        NoteLoad(appRules_->FilePath(), appRules_->Load());
        // Rules to profiles that were deleted while the program was not running go now. Not
        // after a damaged profile store started afresh: its profiles are in the file kept
        // aside, and the rules are kept for the day the user puts it back.
        if (!profilesLoad.unusableFile)
            (void)appRules_->KeepOnlyProfiles(ProfileNames());
    }
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
    c.SelectOption(
        Numbered(pageui::kOptionDpiStepPrefix, kStageOptionRange.Shown(p.activeStage) + 1));
    for (int i = 1; i <= kDpiStages; ++i) {
        const int step = p.dpiValue[i - 1];
        const std::string shown = std::to_string(DpiStepToDisplay(step));
        c.SetValue(Numbered(pageui::kSliderDpiPrefix, i), kDpiStepRange.Shown(step));
        c.SetPlainText(Numbered(pageui::kLabelDpiPrefix, i), shown);
        c.SetPlainText(Numbered(pageui::kEditDpiPrefix, i), shown);
        c.SetBackgroundColor(Numbered(pageui::kBtnDpiColorPrefix, i),
                             ColorToDisplay(p.stageColor[i - 1]));
        // The mouse cannot run on a stage that is off: its pointer would stop.
        const bool usable = StageUsable(p, i - 1);
        c.SetEnabled(Numbered(pageui::kOptionDpiStepPrefix, i), usable,
                     usable ? "" : "dpi_stage_off_tip");
    }
    c.SelectComboItem(pageui::kComboLight, kLightModeRange.Shown(p.lightMode));
    c.SetValue(pageui::kSliderBrightness, kBrightnessRange.Shown(p.brightness));
    c.SetValue(pageui::kSliderBreathspeed, kBreathSpeedRange.Shown(p.breathSpeed));
    c.SetBackgroundColor(pageui::kBtnLightColor, ColorToDisplay(p.lightColor));
    RefreshLightSections();
    c.SelectOption(
        Numbered(pageui::kBtnPratePrefix, kPollingRateOptionRange.Shown(p.pollingRate) + 1));
    c.SelectOption(Numbered(pageui::kOptionLiftOfDistancePrefix,
                            kTwoOptionRange.Shown(p.liftOffDistance) + 1));
    c.SelectOption(
        Numbered(pageui::kOptionRippleControlPrefix, kTwoOptionRange.Shown(p.rippleControl) + 1));
    c.SelectOption(
        Numbered(pageui::kOptionAngleSnapPrefix, kTwoOptionRange.Shown(p.angleSnap) + 1));
    c.SetValue(pageui::kSliderLightOff, kLightOffRange.Shown(p.lightOffTimer));
    UpdateLightOffLabel();
    c.SetValue(pageui::kSliderSleepTimer, kSleepTimerRange.Shown(p.sleepTimer));
    UpdateSleepLabel();
    c.SetValue(pageui::kSliderKeyDebounce, kDebounceRange.Shown(p.keyDebounce));
    UpdateDebounceLabel();
    c.SetChecked(pageui::kCheckMoveCloseLight, p.moveCloseLight == 1);
    for (int k = 0; k < kPageButtons; ++k)
        DrawButtonLabel(k);
}

void CMS_1_Page::RefreshLightSections() {
    auto& c = deps_.controls;
    c.SetVisible(pageui::kVerBrightness, false);
    c.SetVisible(pageui::kVerBreathspeed, false);
    c.SetVisible(pageui::kHorLightColor, false);
    if (!working_)
        return;
    const int mode = working_->lightMode;
    if (mode == 1) {
        c.SetVisible(pageui::kVerBrightness, true);
        c.SetVisible(pageui::kHorLightColor, true);
    } else if (mode == 2) {
        c.SetVisible(pageui::kVerBreathspeed, true);
        c.SetVisible(pageui::kHorLightColor, true);
    } else if (mode >= 3 && mode <= 11) {
        c.SetVisible(pageui::kVerBreathspeed, true);
    }
}

void CMS_1_Page::UpdateSleepLabel() {
    if (!working_)
        return;
    deps_.controls.SetPlainText(pageui::kLabelSleepTimer,
                                Tr("sleep_timer_3_text") +
                                    std::to_string(kSleepTimerRange.Shown(working_->sleepTimer)) +
                                    " " + Tr("sleep_timer_2_text"));
}

void CMS_1_Page::UpdateLightOffLabel() {
    if (!working_)
        return;
    char number[32];
    std::snprintf(number, sizeof number, "%.1f",
                  kLightOffRange.Shown(working_->lightOffTimer) * 0.5);
    deps_.controls.SetPlainText(pageui::kLabelLightOff,
                                Tr("sleep_timer_1_text") + number + " " + Tr("sleep_timer_2_text"));
}

void CMS_1_Page::UpdateDebounceLabel() {
    if (!working_)
        return;
    deps_.controls.SetPlainText(
        pageui::kLabelKeyDebounce,
        std::to_string(2 * kDebounceRange.Shown(working_->keyDebounce)) + " ms");
}

void CMS_1_Page::DrawButtonLabel(int button) {
    if (!working_ || button < 0 || button >= kPageButtons)
        return;
    ButtonLabel label = ComposeButtonLabel(working_->button[button], deps_.layout, deps_.texts);
    const std::string control = Numbered(pageui::kBtnKeyPrefix, button + 1);
    if (label.resourceText) {
        deps_.controls.SetTextKey(control, ToUtf8(label.text));
    } else {
        deps_.controls.SetPlainText(control, ToUtf8(label.text));
    }
}

}  // namespace ms1
