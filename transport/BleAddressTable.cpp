#include "transport/BleAddressTable.h"

#include "transport/AsciiText.h"

namespace ms1 {

std::string AddressOfHardwareId(std::string_view hardwareId) {
    int field = 0;
    std::size_t at = 0;
    while (at < hardwareId.size()) {
        const std::size_t start = hardwareId.find_first_not_of('_', at);
        if (start == std::string_view::npos)
            break;
        std::size_t end = hardwareId.find('_', start);
        if (end == std::string_view::npos)
            end = hardwareId.size();
        if (++field == 2)
            return std::string(hardwareId.substr(start, end - start));
        at = end;
    }
    return {};
}

BleAddressTable ScanAddresses(const std::vector<GattDeviceRecord>& devices) {
    BleAddressTable table;
    for (const GattDeviceRecord& device : devices) {
        if (table.count >= kBleAddressSlots)
            break;
        if (device.disconnected || !device.friendlyName || !device.hardwareId)
            continue;
        BleAddressEntry& entry = table.entries[static_cast<std::size_t>(table.count)];
        entry.present = true;
        entry.address = AddressOfHardwareId(*device.hardwareId);
        ++table.count;
    }
    return table;
}

bool MatchesMouseInterface(std::string_view path, std::string_view vidPattern,
                           std::string_view pidPattern, const BleAddressTable& table) {
    if (vidPattern.empty() || pidPattern.empty())
        return false;
    const std::string upper = ToUpperAscii(path);
    if (upper.find(vidPattern) == std::string::npos || upper.find(pidPattern) == std::string::npos)
        return false;
    for (int i = 0; i < table.count && i < kBleAddressSlots; ++i) {
        const BleAddressEntry& entry = table.entries[static_cast<std::size_t>(i)];
        // An empty address would be found in every path and let any paired mouse through.
        if (!entry.address.empty() && upper.find(ToUpperAscii(entry.address)) != std::string::npos)
            return true;
    }
    return false;
}

}  // namespace ms1
