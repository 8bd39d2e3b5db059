#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ms1::vendorhid {

// One HID collection of a device, as the enumeration shows it.
struct Collection {
    std::string path;  // the node to open
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::string deviceKey;  // the same for every collection of one physical device
};

// What the library needs of the system: hidapi for the device, udev for its comings and
// goings. The real one is over hidapi (hidraw) and libudev; tests give a fake device.
class DeviceAccess {
  public:
    virtual ~DeviceAccess() = default;
    using Handle = void*;

    virtual std::vector<Collection> Enumerate(std::uint16_t vendorId, std::uint16_t productId) = 0;
    virtual Handle Open(const std::string& path) = 0;  // null on failure
    // Waits at most `timeoutMs` for an input report: its length, 0 when none came, -1 when
    // the device is gone.
    virtual int Read(Handle device, std::uint8_t* data, std::size_t length, int timeoutMs) = 0;
    virtual int SendFeature(Handle device, const std::uint8_t* data, std::size_t length) = 0;
    virtual void Close(Handle device) = 0;
    // Opens a collection that is only read from, so that its reader can sleep on InputFd.
    virtual Handle OpenInput(const std::string& path) { return Open(path); }
    // A descriptor of an input handle that becomes readable when a report waits or the device
    // is gone; -1 when it has none (then the reader is paced by Read's timeout).
    virtual int InputFd(Handle device) {
        (void)device;
        return -1;
    }

    // A descriptor that becomes readable when devices come or go (-1: no notifications), and
    // the call that takes what is pending from it.
    virtual int ChangesFd() = 0;
    virtual void TakeChanges() = 0;
};

}  // namespace ms1::vendorhid
