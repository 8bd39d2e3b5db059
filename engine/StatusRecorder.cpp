#include "engine/StatusRecorder.h"

namespace ms1 {

void StatusRecorder::ShowLink(StatusLink link, bool up) {
    Pass([&](StatusView& shown) { shown.ShowLink(link, up); });
    Changed();
}

void StatusRecorder::ShowBatteryLevel(int level) {
    Pass([&](StatusView& shown) { shown.ShowBatteryLevel(level); });
    ShowBattery(std::to_string(level) + "%", true);
}

void StatusRecorder::ShowBatteryFull() {
    Pass([](StatusView& shown) { shown.ShowBatteryFull(); });
    ShowBattery("100%", true);
}

void StatusRecorder::ShowBatteryCharging(int level, bool cableArrived) {
    Pass([&](StatusView& shown) { shown.ShowBatteryCharging(level, cableArrived); });
    ShowBattery("charging", true);
}

void StatusRecorder::ShowBatteryUnreported() {
    Pass([](StatusView& shown) { shown.ShowBatteryUnreported(); });
    // The full bar of a fresh Bluetooth connection is no report.
    ShowBattery("100%", false);
}

void StatusRecorder::ClearBattery() {
    Pass([](StatusView& shown) { shown.ClearBattery(); });
    ShowBattery("", false);
}

void StatusRecorder::ShowChargeFrame() {
    Pass([](StatusView& shown) { shown.ShowChargeFrame(); });
}

void StatusRecorder::ShowStage(int stage) {
    Pass([&](StatusView& shown) { shown.ShowStage(stage); });
    stageReported_ = true;
    Changed();
}

void StatusRecorder::ShowPollingRate(int rate) {
    Pass([&](StatusView& shown) { shown.ShowPollingRate(rate); });
    rateReported_ = true;
    Changed();
}

void StatusRecorder::ShowLightMode(int mode) {
    Pass([&](StatusView& shown) { shown.ShowLightMode(mode); });
}

void StatusRecorder::RefreshLightSections() {
    Pass([](StatusView& shown) { shown.RefreshLightSections(); });
}

void StatusRecorder::ShowRateAndDebounce(bool show) {
    Pass([&](StatusView& shown) { shown.ShowRateAndDebounce(show); });
    Changed();
}

std::optional<std::string> StatusRecorder::Battery() const {
    if (!batteryReported_ || battery_.empty())
        return std::nullopt;
    return battery_;
}

void StatusRecorder::ShowBattery(std::string label, bool reported) {
    battery_ = std::move(label);
    batteryReported_ = batteryReported_ || reported;
    Changed();
}

void StatusRecorder::Changed() {
    if (onChange_)
        onChange_();
}

}  // namespace ms1
