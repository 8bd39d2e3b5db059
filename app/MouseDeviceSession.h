#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ui/page/PageDeviceSession.h"

class QSocketNotifier;

namespace ms1 {

class BluezGattPlatform;
class DeviceSession;
class HidApi;
class StatusRecorder;
class RealHidApi;
class UdevMonitor;
class VendorHidBinding;
class VendorHidLibrary;
namespace sim {
class VirtualHidBus;
}

// The page's device side in the program: the device session on the real hidapi with udev
// notifications, or on the virtual mouse of a named scenario (`ms1 --simulate`).
class MouseDeviceSession final : public PageDeviceSession {
  public:
    // Null scenario: the real devices. Returns null for an unknown scenario name.
    static std::unique_ptr<MouseDeviceSession> Create(const std::optional<std::string>& scenario);
    ~MouseDeviceSession() override;

    void Start(const PageDeviceContext& context) override;
    void Stop() override;
    void RequestApply() override;
    void RequestApplyDelayed(int milliseconds) override;
    bool AnyConnected() const override;
    std::string AccessProblem() const override;
    bool ReceiverPluggedIn() const override;
    bool HandleMessage(const Message& message) override;
    void RefreshLinkSections() override;

    // The virtual mouse, when simulating (for the panel that plays the mouse's part).
    sim::VirtualHidBus* VirtualBus() const { return bus_.get(); }
    // The session once started, and what its status decoding showed (for ms1ctl status and
    // apply carried out by the program).
    DeviceSession* Session() const { return session_.get(); }
    const StatusRecorder* Recorder() const { return recorder_.get(); }
    // Whether a receiver is plugged in, even when its mouse is silent, or the Bluetooth LE
    // mouse is being looked at or known to BlueZ without its link yet (it may connect).
    bool ReceiverPresent() const;

  private:
    MouseDeviceSession() = default;

    std::unique_ptr<RealHidApi> realHid_;
    std::unique_ptr<sim::VirtualHidBus> bus_;
    // The wired link: the vendor library (or the virtual mouse's cable) and its binding.
    std::unique_ptr<VendorHidLibrary> vendorLibrary_;
    std::unique_ptr<VendorHidBinding> wired_;
    // The Bluetooth LE link's GATT services: BlueZ, or the virtual mouse's own.
    std::unique_ptr<BluezGattPlatform> bluez_;
    std::unique_ptr<StatusRecorder> recorder_;
    std::unique_ptr<DeviceSession> session_;
    std::unique_ptr<UdevMonitor> udev_;
    std::unique_ptr<QSocketNotifier> udevNotifier_;
    bool stopped_ = false;
};

}  // namespace ms1
