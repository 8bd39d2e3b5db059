#include "ui/page/PageStatusView.h"

#include <string>
#include <utility>

#include "ui/page/PageNames.h"

namespace ms1 {
namespace {

constexpr int kChargeSweepStep = 2;

// The indicators of the links, in the order of StatusLink.
constexpr const char* kIndicators[] = {pageui::kWired, pageui::kWireless, pageui::kBle};

}  // namespace

void PageStatusView::ShowLink(StatusLink link, bool up) {
    controls_.SetVisible(kIndicators[static_cast<int>(link)], up);
}

void PageStatusView::ShowBatteryLevel(int level) {
    controls_.SetProgress(pageui::kProgressPower, level);
    controls_.SetPlainText(pageui::kLabelPower, std::to_string(level) + "%");
    controls_.ShowBattery(level, false);
}

void PageStatusView::ShowBatteryFull() {
    ShowBatteryUnreported();
    controls_.ShowBattery(100, false);
}

void PageStatusView::ShowBatteryCharging(int level, bool cableArrived) {
    if (cableArrived)
        chargeStep_ = 0;
    controls_.SetTextKey(pageui::kLabelPower, "charging_text");
    controls_.ShowBattery(level, true);
}

void PageStatusView::ShowBatteryUnreported() {
    controls_.SetProgress(pageui::kProgressPower, 100);
    controls_.SetPlainText(pageui::kLabelPower, "100%");
}

void PageStatusView::ClearBattery() {
    controls_.SetPlainText(pageui::kLabelPower, "");
}

void PageStatusView::ShowChargeFrame() {
    controls_.SetProgress(pageui::kProgressPower, chargeStep_);
    chargeStep_ += kChargeSweepStep;
    if (chargeStep_ > 100)
        chargeStep_ = 0;
}

void PageStatusView::ShowStage(int stage) {
    controls_.SelectOption(Numbered(pageui::kOptionDpiStepPrefix, stage));
}

void PageStatusView::ShowPollingRate(int rate) {
    controls_.SelectOption(Numbered(pageui::kBtnPratePrefix, rate + 1));
}

void PageStatusView::ShowLightMode(int mode) {
    controls_.SelectComboItem(pageui::kComboLight, mode);
    controls_.RefreshLightSections();
}

void PageStatusView::RefreshLightSections() {
    controls_.RefreshLightSections();
}

void PageStatusView::ShowRateAndDebounce(bool shown) {
    if (shown) {
        controls_.SetVisible(pageui::kCheckPrate, true);
        controls_.SetVisible(pageui::kCheckKeyDebounce, true);
        return;
    }
    const std::pair<const char*, const char*> sections[] = {
        {pageui::kCheckPrate, pageui::kVerPrate},
        {pageui::kCheckKeyDebounce, pageui::kHorKeyDebounce}};
    for (const auto& [header, panel] : sections) {
        if (controls_.IsChecked(header))
            controls_.SetChecked(header, false);
        controls_.SetVisible(header, false);
        if (controls_.IsVisible(panel))
            controls_.SetVisible(panel, false);
    }
}

}  // namespace ms1
