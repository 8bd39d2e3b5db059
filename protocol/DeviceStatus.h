#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "ports/LinkFlags.h"
#include "ports/MessagePorts.h"
#include "ports/WiredDevicePort.h"
#include "protocol/ProfileState.h"
#include "protocol/StatusView.h"

namespace ms1 {

// Runs a function on the window thread after a delay, without blocking it.
class DelayedCalls {
  public:
    virtual ~DelayedCalls() = default;
    virtual void After(std::chrono::milliseconds delay, std::function<void()> call) = 0;
};

// Decodes the mouse's 4-byte status messages from all three links and keeps the link flags,
// the battery display and the 2.4 GHz watchdog. Runs on the window thread; readers and the
// Bluetooth callback hand their words over and return.
class DeviceStatus {
  public:
    DeviceStatus(ProfileState& profiles, LinkFlags& flags, std::atomic<std::int32_t>& ackReceived,
                 StatusView& view, MessageTarget& window, WindowTimers& timers,
                 DelayedCalls& delayed, WiredDevicePort* wired);

    // Start-up: opens the wired mouse and posts 1128. The Bluetooth LE mouse counts as
    // connected only once its link says so (ShowBleConnected).
    void InitLinks();

    // A report of the elected receiver (byte 0 was 0x11): A = bytes 1..2, V = bytes 3..4.
    void OnReceiverReport(std::uint16_t a, std::uint16_t v);
    // Messages 1539 and 1540 as the main window hands them over: (A << 16) ^ V.
    void OnVendorStatus(std::uint32_t combined);
    void OnVendorConnection(std::uint16_t code);
    // A Bluetooth LE notification value (after its size): A and V little-endian.
    void OnBleNotification(const std::uint8_t* value, std::size_t size);

    // What a Bluetooth LE connection shows: the indicator, a full battery until the mouse
    // reports, the 2.4 GHz link given up, 1128. Its disconnection hides the indicator and
    // gives back the sections the other links have.
    void ShowBleConnected();
    void ShowBleDisconnected();

    void DecodeStatus(std::uint16_t a, std::uint16_t v);
    void DecodeBleStatus(std::uint16_t a, std::uint16_t v);
    void RefreshLinkSections();

    // Timers 512 and 515 of the main window. The charging display runs timer 515 while the
    // mouse charges; each tick is one frame of it.
    void OnWatchdogTimer();
    void OnChargeAnimationTimer();

    std::int32_t batteryLevel() const { return batteryLevel_; }

  private:
    // Decodes every status type but the battery, whose display differs by link; true when
    // (a, v) is a battery message for the caller.
    bool DecodeAllButBattery(std::uint16_t a, std::uint16_t v);
    bool DecodeCommon(std::uint8_t type, std::uint16_t v);
    // A setting the mouse reported: the working profile and the snapshot both take it.
    void Keep(le_i32 ProfileRecord::*field, std::int32_t value);
    void Save();
    void ShowCharging(bool cableArrived);
    void ShowFull();
    void ShowLevel(int level);
    void SetWireless(bool connected);
    void PostConnectionChanged();

    ProfileState& profiles_;
    LinkFlags& flags_;
    std::atomic<std::int32_t>& ackReceived_;
    StatusView& view_;
    MessageTarget& window_;
    WindowTimers& timers_;
    DelayedCalls& delayed_;
    WiredDevicePort* wired_;
    std::int32_t batteryLevel_ = 0;
    std::uint32_t wiredGeneration_ = 0;  // a removal cancels a pending arrival
    bool bleCharging_ = false;           // the charging display is the Bluetooth link's
};

}  // namespace ms1
