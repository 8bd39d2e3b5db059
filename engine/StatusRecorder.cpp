#include "engine/StatusRecorder.h"

namespace ms1 {
namespace {

constexpr std::string_view kPowerLabel = "ms_1_label_power";

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

void StatusRecorder::SetVisible(std::string_view control, bool visible) {
    if (shown_)
        shown_->SetVisible(control, visible);
    if (visible) {
        visible_.emplace(control);
    } else if (auto it = visible_.find(control); it != visible_.end()) {
        visible_.erase(it);
    }
    Changed();
}

bool StatusRecorder::IsVisible(std::string_view control) const {
    if (shown_)
        return shown_->IsVisible(control);
    return visible_.find(control) != visible_.end();
}

void StatusRecorder::SetChecked(std::string_view control, bool checked) {
    if (shown_)
        shown_->SetChecked(control, checked);
    if (checked) {
        checked_.emplace(control);
    } else if (auto it = checked_.find(control); it != checked_.end()) {
        checked_.erase(it);
    }
}

bool StatusRecorder::IsChecked(std::string_view control) const {
    if (shown_)
        return shown_->IsChecked(control);
    return checked_.find(control) != checked_.end();
}

void StatusRecorder::SelectOption(std::string_view control) {
    if (shown_)
        shown_->SelectOption(control);
    // The decoding selects a stage option or a rate option when the mouse reports one.
    if (StartsWith(control, "ms_1_option_dpi_step_"))
        stageReported_ = true;
    if (StartsWith(control, "ms_1_btn_prate_"))
        rateReported_ = true;
    Changed();
}

void StatusRecorder::SelectComboItem(std::string_view control, int index) {
    if (shown_)
        shown_->SelectComboItem(control, index);
}

void StatusRecorder::SetProgress(std::string_view control, int value) {
    if (shown_)
        shown_->SetProgress(control, value);
}

void StatusRecorder::ShowBattery(int level, bool charging) {
    if (shown_)
        shown_->ShowBattery(level, charging);
    batteryReported_ = true;
    Changed();
}

void StatusRecorder::RefreshLightSections() {
    if (shown_)
        shown_->RefreshLightSections();
}

void StatusRecorder::SetPlainText(std::string_view control, std::string_view text) {
    if (shown_)
        shown_->SetPlainText(control, text);
    plainText_[std::string(control)] = std::string(text);
    textKey_.erase(std::string(control));
    Changed();
}

void StatusRecorder::SetTextKey(std::string_view control, std::string_view key) {
    if (shown_)
        shown_->SetTextKey(control, key);
    textKey_[std::string(control)] = std::string(key);
    plainText_.erase(std::string(control));
    Changed();
}

std::optional<std::string> StatusRecorder::Battery() const {
    // The label's "100%" of a fresh Bluetooth connection is no report.
    if (!batteryReported_)
        return std::nullopt;
    if (auto key = textKey_.find(kPowerLabel); key != textKey_.end()) {
        if (key->second == "charging_text")
            return std::string("charging");
    }
    if (auto text = plainText_.find(kPowerLabel); text != plainText_.end() && !text->second.empty())
        return text->second;
    return std::nullopt;
}

void StatusRecorder::Changed() {
    if (onChange_)
        onChange_();
}

}  // namespace ms1
