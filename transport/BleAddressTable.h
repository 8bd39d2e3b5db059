#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "transport/GattPlatform.h"

namespace ms1 {

inline constexpr int kBleAddressSlots = 100;

// The addresses of the connected Bluetooth devices, as the last scan found them.
struct BleAddressEntry {
    bool present = false;
    std::string address;  // as the hardware id writes it, e.g. "c8478c0a1b2d"
};

struct BleAddressTable {
    std::array<BleAddressEntry, kBleAddressSlots> entries{};
    int count = 0;  // entries filled by the scan, 0..100
};

// The second '_'-separated field of a hardware id ("BTHLE\Dev_c8478c0a1b2d" gives
// "c8478c0a1b2d"); empty runs between separators do not count as fields. Empty when there is
// no second field.
std::string AddressOfHardwareId(std::string_view hardwareId);

// A fresh table from the present Bluetooth devices: disconnected devices and devices whose
// name or hardware id could not be read are skipped; every other device takes the next
// entry, also when its hardware id has no address (that entry then matches nothing). At most
// kBleAddressSlots entries.
BleAddressTable ScanAddresses(const std::vector<GattDeviceRecord>& devices);

// Whether a service interface belongs to the mouse: its upper-cased path contains both
// patterns and the upper-cased address of one of the table's filled entries. Empty patterns
// and empty addresses match nothing.
bool MatchesMouseInterface(std::string_view path, std::string_view vidPattern,
                           std::string_view pidPattern, const BleAddressTable& table);

}  // namespace ms1
