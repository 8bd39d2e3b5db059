#include "protocol/DeviceStatus.h"

#include <utility>

#include "ports/WindowMessages.h"

namespace ms1 {
namespace {

constexpr std::uint8_t kStatusMarker = 0x11;
constexpr std::uint8_t kTypeStage = 0x18;
constexpr std::uint8_t kTypePollingRate = 0x28;
constexpr std::uint8_t kTypeBattery = 0x48;
constexpr std::uint8_t kTypeAck = 0x58;
constexpr std::uint8_t kTypeBatteryStep = 0x68;
constexpr std::uint8_t kTypeLightMode = 0x78;
constexpr std::uint8_t kTypeProfile = 0x88;

constexpr int kWatchdogMs = 6000;
constexpr int kChargeFrameMs = 30;

}  // namespace

DeviceStatus::DeviceStatus(ProfileState& profiles, LinkFlags& flags,
                           std::atomic<std::int32_t>& ackReceived, StatusView& view,
                           MessageTarget& window, WindowTimers& timers, DelayedCalls& delayed,
                           WiredDevicePort* wired)
    : profiles_(profiles),
      flags_(flags),
      ackReceived_(ackReceived),
      view_(view),
      window_(window),
      timers_(timers),
      delayed_(delayed),
      wired_(wired) {}

void DeviceStatus::InitLinks() {
    flags_.wiredConnected = WiredState::kAbsent;
    if (wired_ && wired_->IsBound()) {
        wired_->StartMonitor();
        if (wired_->OpenFeatureDevice()) {
            flags_.wiredConnected = WiredState::kUp;
            ShowCharging(false);
        }
    }
    view_.ShowLink(StatusLink::kWired, flags_.WiredUp());
    flags_.bleConnected = false;
    flags_.RecomputeAnyConnected();
    PostConnectionChanged();
}

void DeviceStatus::OnReceiverReport(std::uint16_t a, std::uint16_t v) {
    if ((a & 0xFF) == kStatusMarker) {
        timers_.StartTimer(TIMER_WIRELESS_WATCHDOG, kWatchdogMs);
        if (!flags_.WirelessUp())
            SetWireless(true);
    }
    DecodeStatus(a, v);
}

void DeviceStatus::OnVendorStatus(std::uint32_t combined) {
    const std::uint32_t high = combined >> 16;
    if (high == 0x7F00) {
        OnVendorConnection(static_cast<std::uint16_t>(combined & 0xFFFF));
    } else if (high >= 0x1000 && high <= 0x9000) {
        const auto a = static_cast<std::uint16_t>(high);
        const auto v = static_cast<std::uint16_t>(combined);
        // The vendor library reads the cable alone. Until the wired link is up (a second
        // after the cable arrived) its battery report is no word of the receiver's link.
        if (!flags_.WiredUp()) {
            DecodeAllButBattery(a, v);
            return;
        }
        DecodeStatus(a, v);
    }
}

void DeviceStatus::OnVendorConnection(std::uint16_t code) {
    if (code == 1) {
        if (flags_.WiredUp())
            return;
        // The mouse needs a moment after it appears; wait on a timer, not on the window.
        const std::uint32_t generation = ++wiredGeneration_;
        delayed_.After(std::chrono::milliseconds(1000), [this, generation] {
            if (generation != wiredGeneration_ || flags_.WiredUp())
                return;
            if (wired_)
                wired_->OpenFeatureDevice();
            flags_.wiredConnected = WiredState::kUp;
            view_.ShowLink(StatusLink::kWired, true);
            RefreshLinkSections();
            ShowCharging(true);
            if (!flags_.BleUp()) {
                flags_.RecomputeAnyConnected();
                PostConnectionChanged();
            }
        });
    } else if (code == 2) {
        ++wiredGeneration_;
        if (flags_.wiredConnected == WiredState::kRemoved)
            return;
        if (wired_)
            wired_->CloseFeatureDevice();
        flags_.wiredConnected = WiredState::kRemoved;
        view_.ShowLink(StatusLink::kWired, false);
        RefreshLinkSections();
        view_.ClearBattery();
        timers_.KillTimer(TIMER_CHARGE_ANIMATION);
        if (!flags_.BleUp()) {
            // The receiver may still reach the mouse: recompute rather than assume nothing is.
            flags_.RecomputeAnyConnected();
            PostConnectionChanged();
        }
    }
}

void DeviceStatus::ShowBleConnected() {
    view_.ShowLink(StatusLink::kBle, true);
    RefreshLinkSections();
    timers_.KillTimer(TIMER_WIRELESS_WATCHDOG);
    // A full battery until the mouse reports; no report of it.
    timers_.KillTimer(TIMER_CHARGE_ANIMATION);
    bleCharging_ = false;
    view_.ShowBatteryUnreported();
    // The mouse talks over one link at a time: the receiver's state is stale now.
    if (flags_.WirelessUp())
        SetWireless(false);
    view_.ShowLink(StatusLink::kWireless, false);
    // The Bluetooth link sets its flag before it calls: the mouse counts as connected.
    if (!flags_.WirelessUp() && !flags_.WiredUp()) {
        flags_.RecomputeAnyConnected();
        PostConnectionChanged();
    }
}

void DeviceStatus::ShowBleDisconnected() {
    // Only the charging display the Bluetooth link started ends with it; the cable's goes on.
    if (std::exchange(bleCharging_, false) && !flags_.WiredUp())
        timers_.KillTimer(TIMER_CHARGE_ANIMATION);
    view_.ShowLink(StatusLink::kBle, false);
    // Bluetooth hid the polling rate and debounce settings; the other links have both.
    view_.ShowRateAndDebounce(true);
    // ...and clears it before it calls: nothing is connected any more.
    if (!flags_.WirelessUp() && !flags_.WiredUp()) {
        flags_.RecomputeAnyConnected();
        PostConnectionChanged();
    }
}

void DeviceStatus::OnBleNotification(const std::uint8_t* value, std::size_t size) {
    if (size < 4)
        return;
    const std::uint16_t a = static_cast<std::uint16_t>(value[0] | (value[1] << 8));
    const std::uint16_t v = static_cast<std::uint16_t>(value[2] | (value[3] << 8));
    DecodeBleStatus(a, v);
}

bool DeviceStatus::DecodeAllButBattery(std::uint16_t a, std::uint16_t v) {
    if ((a & 0xFF) != kStatusMarker)
        return false;
    const std::uint8_t type = static_cast<std::uint8_t>(a >> 8);
    if (type == kTypeBattery)
        return true;
    DecodeCommon(type, v);
    return false;
}

void DeviceStatus::DecodeStatus(std::uint16_t a, std::uint16_t v) {
    if (!DecodeAllButBattery(a, v))
        return;
    timers_.StartTimer(TIMER_WIRELESS_WATCHDOG, kWatchdogMs);
    const int state = v & 0xFF;
    const int level = v >> 8;
    if (flags_.WiredUp()) {
        // A battery report while wired comes over the cable: the receiver is not the link.
        if (flags_.WirelessUp())
            SetWireless(false);
        if (state == 2) {
            ShowFull();
        } else {
            ShowCharging(false);
        }
        return;
    }
    if (!flags_.WirelessUp())
        SetWireless(true);
    if (state == 3) {
        ShowCharging(false);
        return;
    }
    ShowFull();
    if (level <= 100)
        ShowLevel(level);
}

void DeviceStatus::DecodeBleStatus(std::uint16_t a, std::uint16_t v) {
    if (!DecodeAllButBattery(a, v))
        return;
    const int state = v & 0xFF;
    const int level = v >> 8;
    bleCharging_ = state == 3;
    if (state == 2) {
        ShowFull();
    } else if (state == 3) {
        ShowCharging(false);
    } else {
        timers_.KillTimer(TIMER_CHARGE_ANIMATION);
        if (level <= 100)
            ShowLevel(level);
    }
}

bool DeviceStatus::DecodeCommon(std::uint8_t type, std::uint16_t v) {
    switch (type) {
        case kTypeStage: {
            if (v < 1 || v > 8)
                return false;
            std::int32_t step = 0;
            {
                auto lock = profiles_.Lock();
                profiles_.Working().activeStage = v - 1;
                profiles_.Snapshot().activeStage = v - 1;
                step = profiles_.Working().dpiValue[v - 1];
            }
            view_.ShowStage(v);
            window_.Post(MSG_STAGE_CHANGED, 0, step);
            Save();
            return true;
        }
        case kTypePollingRate: {
            if (v < 1 || v > 8)
                return false;
            const int rate = v == 1 ? 3 : v == 2 ? 2 : v == 4 ? 1 : 0;
            Keep(&ProfileRecord::pollingRate, rate);
            view_.ShowPollingRate(rate);
            Save();
            return true;
        }
        case kTypeAck:
            ackReceived_ = (v & 0xFF) == 0 ? 1 : 0;
            return true;
        case kTypeBatteryStep:
            if (v < 1 || v > 10)
                return false;
            batteryLevel_ = v;
            return true;
        case kTypeLightMode: {
            const int mode = (v >> 4) & 0x0F;
            Keep(&ProfileRecord::lightMode, mode);
            view_.ShowLightMode(mode);
            Save();
            return true;
        }
        case kTypeProfile:
            if (v < 1 || v > 5)
                return false;
            Save();
            return true;
        default:
            return false;
    }
}

void DeviceStatus::Keep(le_i32 ProfileRecord::*field, std::int32_t value) {
    auto lock = profiles_.Lock();
    profiles_.Working().*field = value;
    profiles_.Snapshot().*field = value;
}

void DeviceStatus::Save() {
    // The mouse holds the value it reported, nothing more: edits not applied yet (a DPI typed
    // but not applied, a slider within its delay) stay different from the snapshot and are
    // still sent by the next apply.
    auto lock = profiles_.Lock();
    profiles_.SaveProfiles();
}

void DeviceStatus::ShowCharging(bool cableArrived) {
    view_.ShowBatteryCharging(batteryLevel_, cableArrived);
    timers_.StartTimer(TIMER_CHARGE_ANIMATION, kChargeFrameMs);
}

void DeviceStatus::ShowFull() {
    timers_.KillTimer(TIMER_CHARGE_ANIMATION);
    view_.ShowBatteryFull();
}

void DeviceStatus::ShowLevel(int level) {
    batteryLevel_ = level;
    view_.ShowBatteryLevel(level);
}

void DeviceStatus::SetWireless(bool connected) {
    flags_.wirelessConnected = connected;
    view_.ShowLink(StatusLink::kWireless, connected);
    RefreshLinkSections();
    flags_.RecomputeAnyConnected();
    PostConnectionChanged();
}

void DeviceStatus::PostConnectionChanged() {
    window_.Post(MSG_CONNECTION_CHANGED, 0, 0);
}

void DeviceStatus::RefreshLinkSections() {
    view_.RefreshLightSections();
    if (flags_.WiredUp()) {
        view_.ShowRateAndDebounce(true);
    } else if (flags_.BleUp()) {
        view_.ShowRateAndDebounce(false);
    }
}

void DeviceStatus::OnWatchdogTimer() {
    timers_.KillTimer(TIMER_WIRELESS_WATCHDOG);
    if (flags_.WirelessUp())
        SetWireless(false);
}

void DeviceStatus::OnChargeAnimationTimer() {
    view_.ShowChargeFrame();
}

}  // namespace ms1
