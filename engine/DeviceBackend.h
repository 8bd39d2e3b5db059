#pragma once

#include <memory>
#include <string>

#include "engine/DeviceSession.h"

class QSocketNotifier;

namespace ms1 {

class BluezGattPlatform;
class RealHidApi;
class UdevMonitor;
class VendorHidBinding;
class VendorHidLibrary;
namespace sim {
class VirtualHidBus;
}

// The devices a device session runs on, and the session on them: the real ones (hidapi with
// udev notifications, the vendor library beside the program for the cable, BlueZ) or the
// virtual mouse of a scenario. The window and ms1ctl both get their session from here.
//
// Create, open, start, stop and destroy it on the window thread, which runs a Qt event loop.
class DeviceBackend {
  public:
    // The real devices; the vendor library is looked for in `programFolder`.
    static std::unique_ptr<DeviceBackend> Real(const std::string& programFolder);
    // The virtual mouse of a scenario; null for a name the virtual mouse does not know.
    static std::unique_ptr<DeviceBackend> Simulated(const std::string& scenario);
    // A virtual bus with nothing on it: no mouse is ever found.
    static std::unique_ptr<DeviceBackend> Empty();
    ~DeviceBackend();
    DeviceBackend(const DeviceBackend&) = delete;
    DeviceBackend& operator=(const DeviceBackend&) = delete;

    // What the owner of the session gives it. The vendor library's monitor posts 1539 and 1540
    // to `window`, whose owner hands them to the session's HandleMessage.
    struct Owner {
        ProfileState& profiles;
        StatusView& status;
        ApplyView& applyView;
        MessageTarget& window;
    };
    // Builds the session on these devices, once.
    DeviceSession& Open(const Owner& owner);
    // Starts the session; the presence test of the Bluetooth LE mouse goes first.
    void Start();
    // From now on receivers plugged in or pulled out reach the session: through udev, or
    // from the virtual mouse's bus.
    void FollowDeviceEvents();
    // Stops the session, then the wired link; nothing is posted after this.
    void Stop();

    DeviceSession* session() const { return session_.get(); }
    // The virtual mouse, when simulating.
    sim::VirtualHidBus* virtualBus() const { return bus_.get(); }
    // Why the wired link is never up (no vendor library); empty when it may be.
    const std::string& noWiredLinkReason() const { return noWiredLink_; }

  private:
    DeviceBackend() = default;
    HidApi& Hid();

    std::unique_ptr<RealHidApi> realHid_;
    std::unique_ptr<sim::VirtualHidBus> bus_;
    // The wired link: the vendor library (or the virtual mouse's cable) and its binding.
    std::unique_ptr<VendorHidLibrary> vendorLibrary_;
    std::unique_ptr<VendorHidBinding> wired_;
    std::string noWiredLink_;
    // The Bluetooth LE link's GATT services: BlueZ, or the virtual mouse's own.
    std::unique_ptr<BluezGattPlatform> bluez_;
    std::unique_ptr<DeviceSession> session_;
    std::unique_ptr<UdevMonitor> udev_;
    std::unique_ptr<QSocketNotifier> udevNotifier_;
    bool stopped_ = false;
};

}  // namespace ms1
