#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "transport/DeviceEvent.h"

namespace ms1 {

// Why a GATT call failed, by the platform's number for it.
enum class GattFailure {
    Failed = 1,
    NotConnected = 2,
    Refused = 3,
    TimedOut = 4,
    Busy = 5,  // another operation on the same attribute is in flight
};

// The failed result of a GATT call. Its reason leads with the platform's number, which the
// link's trace lines have always named: "3 (refused)".
Result GattFailed(GattFailure failure);

// A registration for value changes; 0 is none.
using GattEventHandle = std::uint64_t;

// One device of the system's Bluetooth class, as the address scan reads it.
struct GattDeviceRecord {
    bool disconnected = false;                // paired, but not connected now
    std::optional<std::string> friendlyName;  // empty when it could not be read
    std::optional<std::string> hardwareId;  // the first hardware id, e.g. "BTHLE\Dev_c8478c0a1b2d"
    // The device's ids as its service interface paths carry them, e.g.
    // "VID&02045e_PID&a011_REV&0100"; empty while the platform does not know them.
    std::optional<std::string> ids;
};

struct GattService {
    std::uint16_t attributeHandle = 0;
    std::string uuid;  // lower-case, 36 characters
};

struct GattCharacteristic {
    std::uint16_t serviceHandle = 0;
    std::uint16_t attributeHandle = 0;
    std::uint16_t valueHandle = 0;
    std::string uuid;
    bool broadcastable = false;
    bool readable = false;
    bool writable = false;
    bool writableWithoutResponse = false;
    bool signedWritable = false;
    bool notifiable = false;
    bool indicatable = false;
    bool extendedProperties = false;
};

// The descriptor type of a client characteristic configuration.
inline constexpr int kGattClientConfiguration = 2;

struct GattDescriptor {
    std::uint16_t serviceHandle = 0;
    std::uint16_t characteristicHandle = 0;
    std::uint16_t attributeHandle = 0;
    int type = 0;
    std::string uuid;
};

// Called with the new value of a characteristic, on a thread of the platform.
using GattValueCallback = std::function<void(const std::uint8_t* data, std::size_t size)>;

// The 16-bit UUID of a UUID on the Bluetooth base UUID (0000xxxx-0000-1000-8000-00805f9b34fb),
// or nothing for any other UUID.
std::optional<std::uint16_t> ShortUuidOf(std::string_view uuid);

// One GATT service interface, open. Closing it is destroying it; registrations made through
// it stay until they are unregistered with the platform.
class GattServiceHandle {
  public:
    virtual ~GattServiceHandle() = default;

    virtual ResultOf<std::vector<GattService>> Services() = 0;
    virtual ResultOf<std::vector<GattCharacteristic>> Characteristics(
        const GattService& service) = 0;
    virtual ResultOf<std::vector<GattDescriptor>> Descriptors(
        const GattCharacteristic& characteristic) = 0;
    virtual ResultOf<std::vector<std::uint8_t>> DescriptorValue(
        const GattDescriptor& descriptor) = 0;
    // Writes a client characteristic configuration value with notifications on and
    // indications off.
    virtual Result SubscribeToNotifications(const GattDescriptor& descriptor) = 0;
    // Value changes of this one characteristic go to `callback` until unregistered.
    virtual ResultOf<GattEventHandle> RegisterValueChanged(const GattCharacteristic& characteristic,
                                                           GattValueCallback callback) = 0;
    // A write context; 0 when the platform has none to give.
    virtual ResultOf<std::uint64_t> BeginReliableWrite() = 0;
    virtual Result SetCharacteristicValue(const GattCharacteristic& characteristic,
                                          const std::uint8_t* data, std::size_t length,
                                          std::uint64_t writeContext) = 0;
    virtual void EndReliableWrite(std::uint64_t writeContext) = 0;
};

// The system's Bluetooth LE GATT services as the Bluetooth link uses them. The link calls
// everything but UnregisterEvent and StopDeviceEvents off the window thread, one call at a
// time; those two never block, so the window thread may call them.
class GattPlatform {
  public:
    virtual ~GattPlatform() = default;

    // Starts following the arrival and removal of GATT service interfaces; the events go to
    // `sink` on the thread that owns the session. May block for a moment.
    virtual void StartDeviceEvents(DeviceEventSink& sink) = 0;
    // No event reaches the sink after this returns.
    virtual void StopDeviceEvents() = 0;

    // The device paths of the present GATT service interfaces, in enumeration order; nothing
    // when the platform could not list them.
    virtual std::optional<std::vector<std::string>> PresentServiceInterfaces() = 0;
    // The present devices of the Bluetooth class; nothing when they could not be listed.
    virtual std::optional<std::vector<GattDeviceRecord>> PresentBluetoothDevices() = 0;
    // Null when the interface cannot be opened.
    virtual std::unique_ptr<GattServiceHandle> Open(const std::string& interfacePath) = 0;
    virtual Result UnregisterEvent(GattEventHandle handle) = 0;
};

}  // namespace ms1
