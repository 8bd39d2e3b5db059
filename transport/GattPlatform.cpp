#include "transport/GattPlatform.h"

#include <string>

#include "transport/AsciiText.h"

namespace ms1 {

Result GattFailed(GattFailure failure) {
    // In the order of the numbers, from 1.
    static constexpr const char* kWords[] = {"failed", "not connected", "refused", "timed out",
                                             "busy"};
    const int number = static_cast<int>(failure);
    const char* words = number >= 1 && number <= 5 ? kWords[number - 1] : "failed";
    return Result::Failed(std::to_string(number) + " (" + words + ")");
}

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
