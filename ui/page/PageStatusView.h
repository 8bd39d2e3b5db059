#pragma once

#include "protocol/StatusView.h"
#include "ui/PageControls.h"

namespace ms1 {

// What the status decoding shows, on the page's controls: the link indicators, the battery
// bar and its label, the reported stage, rate and lighting mode, and the sections the link
// supports. While the mouse charges, the battery bar sweeps from empty to full, one step a
// frame. Window thread only.
class PageStatusView : public StatusView {
  public:
    // `controls` must outlive the view.
    explicit PageStatusView(StatusControls& controls) : controls_(controls) {}

    // The indicators "ms_1_wired", "ms_1_wireless" and "ms_1_BLE".
    void ShowLink(StatusLink link, bool up) override;
    // The battery bar and its label; the low-battery warning of the controls.
    void ShowBatteryLevel(int level) override;
    void ShowBatteryFull() override;
    void ShowBatteryCharging(int level, bool cableArrived) override;
    void ShowBatteryUnreported() override;
    void ClearBattery() override;
    // The next frame of the charging sweep on the battery bar.
    void ShowChargeFrame() override;
    // The stage's option, the rate's option, the lighting mode's combo box.
    void ShowStage(int stage) override;
    void ShowPollingRate(int rate) override;
    void ShowLightMode(int mode) override;
    void RefreshLightSections() override;
    // The headers of the polling rate and key debounce sections, and their panels.
    void ShowRateAndDebounce(bool shown) override;

    // Where the charging sweep's next frame puts the bar, 0 to 100.
    int chargeStep() const { return chargeStep_; }

  private:
    StatusControls& controls_;
    int chargeStep_ = 0;
};

}  // namespace ms1
