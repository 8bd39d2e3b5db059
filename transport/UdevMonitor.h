#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "transport/DeviceEvent.h"

struct udev;
struct udev_monitor;
struct udev_device;

namespace ms1 {

// Device notifications of the hidraw and usb subsystems, turned into arrival and removal
// events with the interface name (the device node, as the HID enumeration names it, or the
// sysfs path when there is no node) and the vendor and product ids.
//
// The owner watches Fd() (the GUI with a socket notifier) and calls ProcessPending() on its
// own thread when it becomes readable; the events go to the sink on that thread.
class UdevMonitor {
  public:
    explicit UdevMonitor(DeviceEventSink& sink);
    ~UdevMonitor();
    UdevMonitor(const UdevMonitor&) = delete;
    UdevMonitor& operator=(const UdevMonitor&) = delete;

    // False when udev or the monitor could not be set up: then no events ever arrive.
    bool IsActive() const { return monitor_ != nullptr; }
    int Fd() const;
    // Handles every event waiting; returns how many were delivered.
    int ProcessPending();

  private:
    using Ids = std::pair<std::uint16_t, std::uint16_t>;

    void RememberPresentHidraw();
    Ids IdsOf(udev_device* device, const std::string& name) const;

    DeviceEventSink& sink_;
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    // Ids of known interfaces: at removal the sysfs parents are already gone.
    std::map<std::string, Ids> known_;
};

}  // namespace ms1
