#pragma once

#include <functional>
#include <optional>
#include <string>

#include "protocol/StatusView.h"

namespace ms1 {

// Remembers what the status decoding showed (battery, whether the mouse reported its stage
// and rate), so a status command can print it: in ms1ctl in place of the page, in the
// program in front of it, passing every call on. Window thread only.
class StatusRecorder final : public StatusView {
  public:
    // `shown`: the page's view the calls go on to, or null; must outlive the recorder.
    explicit StatusRecorder(StatusView* shown = nullptr) : shown_(shown) {}

    // Called after every change, so a waiting command can look again.
    void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    void ShowLink(StatusLink link, bool up) override;
    void ShowBatteryLevel(int level) override;
    void ShowBatteryFull() override;
    void ShowBatteryCharging(int level, bool cableArrived) override;
    void ShowBatteryUnreported() override;
    void ClearBattery() override;
    void ShowChargeFrame() override;
    void ShowStage(int stage) override;
    void ShowPollingRate(int rate) override;
    void ShowLightMode(int mode) override;
    void RefreshLightSections() override;
    void ShowRateAndDebounce(bool show) override;

    // What the battery label shows: "75%", "charging", or nothing when the mouse has not
    // reported its battery (or the cable its charging) yet.
    std::optional<std::string> Battery() const;
    bool StageReported() const { return stageReported_; }
    bool RateReported() const { return rateReported_; }

  private:
    // Hands a call on to the shown view, if there is one.
    template <typename Call>
    void Pass(const Call& call) {
        if (shown_)
            call(*shown_);
    }
    void Changed();
    void ShowBattery(std::string label, bool reported);

    std::string battery_;           // the label: "75%", "charging" or empty
    bool batteryReported_ = false;  // the decoding showed a battery the mouse reported
    bool stageReported_ = false;
    bool rateReported_ = false;
    std::function<void()> onChange_;
    StatusView* shown_;
};

}  // namespace ms1
