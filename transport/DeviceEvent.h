#pragma once

#include <cstdint>
#include <string>

namespace ms1 {

// One device interface arriving or leaving. The name is the interface's path, the same text
// the HID enumeration gives for a collection. The ids are 0 when the source does not know
// them (then the name carries them, in the "VID_xxxx&PID_xxxx" form).
struct DeviceEvent {
    std::string interfaceName;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// Where arrivals and removals go; called on the thread that processes the notifications.
class DeviceEventSink {
  public:
    virtual ~DeviceEventSink() = default;
    virtual void OnDeviceArrival(const DeviceEvent& event) = 0;
    virtual void OnDeviceRemoval(const DeviceEvent& event) = 0;
};

}  // namespace ms1
