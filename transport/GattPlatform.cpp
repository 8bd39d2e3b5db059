#include "transport/GattPlatform.h"

#include "transport/AsciiText.h"

namespace ms1 {

std::optional<std::uint16_t> ShortUuidOf(std::string_view uuid) {
    constexpr std::string_view kBaseTail = "-0000-1000-8000-00805f9b34fb";
    if (uuid.size() != 36 || uuid.substr(0, 4) != "0000" ||
        !EqualsIgnoringCase(uuid.substr(8), kBaseTail)) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : uuid.substr(4, 4)) {
        const char u = UpperAscii(c);
        unsigned digit = 0;
        if (u >= '0' && u <= '9') {
            digit = static_cast<unsigned>(u - '0');
        } else if (u >= 'A' && u <= 'F') {
            digit = static_cast<unsigned>(u - 'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace ms1
