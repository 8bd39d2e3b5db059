#include "cli/HeadlessStatusView.h"

namespace ms1::cli {
namespace {

constexpr std::string_view kPowerLabel = "ms_1_label_power";

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

void HeadlessStatusView::SetVisible(std::string_view control, bool visible) {
    if (visible) {
        visible_.emplace(control);
    } else if (auto it = visible_.find(control); it != visible_.end()) {
        visible_.erase(it);
    }
    Changed();
}

bool HeadlessStatusView::IsVisible(std::string_view control) const {
    return visible_.find(control) != visible_.end();
}

void HeadlessStatusView::SetChecked(std::string_view control, bool checked) {
    if (checked) {
        checked_.emplace(control);
    } else if (auto it = checked_.find(control); it != checked_.end()) {
        checked_.erase(it);
    }
}

bool HeadlessStatusView::IsChecked(std::string_view control) const {
    return checked_.find(control) != checked_.end();
}

void HeadlessStatusView::SelectOption(std::string_view control) {
    // The decoding selects a stage option or a rate option when the mouse reports one.
    if (StartsWith(control, "ms_1_option_dpi_step_"))
        stageReported_ = true;
    if (StartsWith(control, "ms_1_btn_prate_"))
        rateReported_ = true;
    Changed();
}

void HeadlessStatusView::SelectComboItem(std::string_view, int) {}

void HeadlessStatusView::SetProgress(std::string_view, int) {}

void HeadlessStatusView::SetPlainText(std::string_view control, std::string_view text) {
    plainText_[std::string(control)] = std::string(text);
    textKey_.erase(std::string(control));
    Changed();
}

void HeadlessStatusView::SetTextKey(std::string_view control, std::string_view key) {
    textKey_[std::string(control)] = std::string(key);
    plainText_.erase(std::string(control));
    Changed();
}

std::optional<std::string> HeadlessStatusView::Battery() const {
    if (auto key = textKey_.find(kPowerLabel); key != textKey_.end()) {
        if (key->second == "charging_text")
            return std::string("charging");
    }
    if (auto text = plainText_.find(kPowerLabel); text != plainText_.end() && !text->second.empty())
        return text->second;
    return std::nullopt;
}

void HeadlessStatusView::Changed() {
    if (onChange_)
        onChange_();
}

}  // namespace ms1::cli
