#pragma once

namespace ms1 {

// The links the mouse may be on; each has its indicator on the page.
enum class StatusLink { kWired, kWireless, kBle };

// What the status decoding shows, in its own terms: which links are up, the battery, the
// settings the mouse reported and the sections its link supports. The page implements it
// over its controls, ms1ctl records it. Called on the window thread only.
class StatusView {
  public:
    virtual ~StatusView() = default;

    virtual void ShowLink(StatusLink link, bool up) = 0;

    // A battery level the mouse reported, in percent (0 to 100).
    virtual void ShowBatteryLevel(int level) = 0;
    // The mouse reported a full battery.
    virtual void ShowBatteryFull() = 0;
    // The battery charges; `level` is the last level known. `cableArrived`: the wired mouse
    // has just come, the charging display starts over.
    virtual void ShowBatteryCharging(int level, bool cableArrived) = 0;
    // A full battery until the mouse reports (a fresh Bluetooth LE connection); no report.
    virtual void ShowBatteryUnreported() = 0;
    // The wired mouse left: no battery is known.
    virtual void ClearBattery() = 0;
    // One frame of the charging display, while the mouse charges (timer 515).
    virtual void ShowChargeFrame() = 0;

    // The stage the mouse reported, 1 to 8.
    virtual void ShowStage(int stage) = 0;
    // The polling rate the mouse reported, as the profile keeps it (0 to 3).
    virtual void ShowPollingRate(int rate) = 0;
    // The lighting mode the mouse reported, 0 to 15; the lighting sections follow it.
    virtual void ShowLightMode(int mode) = 0;
    // The lighting sections follow the lighting mode and the link.
    virtual void RefreshLightSections() = 0;
    // Whether the polling rate and key debounce settings show: the Bluetooth LE link has
    // neither. Hiding them also closes them.
    virtual void ShowRateAndDebounce(bool shown) = 0;
};

}  // namespace ms1
