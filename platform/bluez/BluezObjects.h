#pragma once

#include <QDBusMessage>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ms1::bluez {

inline constexpr const char* kService = "org.bluez";
inline constexpr const char* kDeviceInterface = "org.bluez.Device1";
inline constexpr const char* kGattServiceInterface = "org.bluez.GattService1";
inline constexpr const char* kCharacteristicInterface = "org.bluez.GattCharacteristic1";
inline constexpr const char* kDescriptorInterface = "org.bluez.GattDescriptor1";

// BlueZ's object tree as GetManagedObjects lists it, reduced to what the link uses.
struct Device {
    QString path;
    QString address;  // "C8:47:8C:0A:1B:2D"
    QString alias;    // empty when BlueZ gave neither an alias nor a name
    QString modalias;
    bool connected = false;
};

struct Service {
    QString path;
    QString uuid;
    QString device;  // object path
};

struct Characteristic {
    QString path;
    QString uuid;
    QString service;  // object path
    QStringList flags;
    bool notifying = false;
};

struct Descriptor {
    QString path;
    QString uuid;
    QString characteristic;  // object path
};

struct ObjectTree {
    std::vector<Device> devices;
    std::vector<Service> services;
    std::vector<Characteristic> characteristics;
    std::vector<Descriptor> descriptors;

    const Device* FindDevice(const QString& path) const;
    const Service* FindService(const QString& path) const;
};

// The tree of a GetManagedObjects reply; an error reply gives an empty tree.
ObjectTree ParseManagedObjects(const QDBusMessage& reply);

// "VID&02045e_PID&a011_REV&0100" from a modalias such as "usb:v045EpA011d0100" (the
// "02" marks USB vendor ids, "01" Bluetooth SIG ones); nothing for another form.
std::optional<std::string> IdsOfModalias(const QString& modalias);

// The address as the hardware ids write it: lower-case hex without separators.
std::string CompactAddress(const QString& address);

// A service interface path in the system's form, which carries the device's ids and
// address: the service's object path, '#', then "{uuid}_Dev_<ids>_<address>". The object
// path comes back out with ObjectPathOfInterface.
std::string InterfacePathOf(const Service& service, const Device* device);
QString ObjectPathOfInterface(const std::string& interfacePath);

// "BTHLE\Dev_c8478c0a1b2d", the hardware id of a Bluetooth LE device.
std::string HardwareIdOf(const Device& device);

// The attribute handle BlueZ writes into the last element of a GATT object path
// ("service000a", "char000b", "desc000d"), in hexadecimal; 0 when there is none.
std::uint16_t HandleOfObjectPath(const QString& path);

// The service interface paths of the connected devices, the ones device events follow, each
// with what the link reads under it (the service's characteristics, their UUIDs and flags):
// a path whose contents change is announced again, so that characteristics that come after
// their service are seen.
std::map<std::string, std::string> ConnectedInterfaces(const ObjectTree& tree);

}  // namespace ms1::bluez
