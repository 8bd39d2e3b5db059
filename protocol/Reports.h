#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/ProfileRecord.h"

namespace ms1 {

inline constexpr std::size_t kConfigReportSize = 60;
inline constexpr std::size_t kMacroPageSize = 131;

using ConfigReport = std::array<std::uint8_t, kConfigReportSize>;
using MacroPageReport = std::array<std::uint8_t, kMacroPageSize>;

enum ReportCommand : std::uint8_t {
    kCommandDpi = 0x14,
    kCommandLighting = 0x15,
    kCommandPolling = 0x16,
    kCommandButtons = 0x18,
    kCommandMacroPage = 0x19,
    kCommandPreamble = 0x1C,
};

// First macro page of buttons 1..18 on the mouse.
inline constexpr std::array<std::uint8_t, kPageButtons> kMacroStartPage = {
    1, 6, 11, 16, 21, 26, 31, 36, 41, 46, 0, 0, 0, 0, 0, 0, 0, 0};

// The three device bytes of a button function, or nothing for a code without a row.
std::optional<std::array<std::uint8_t, 3>> FunctionToDeviceCode(std::uint8_t function);

// Additive 16-bit sum of bytes [first, last], the form every checked report carries.
std::uint16_t ReportChecksum(const std::uint8_t* bytes, std::size_t first, std::size_t last);

ConfigReport EncodePreamble();
ConfigReport EncodeDpiReport(const ProfileRecord& profile);
ConfigReport EncodeLightingReport(const ProfileRecord& profile);
ConfigReport EncodePollingReport(const ProfileRecord& profile);
ConfigReport EncodeButtonReport(const ProfileRecord& profile);

struct MacroPage {
    MacroPageReport bytes;
    int nextCursor;  // first action of the next page
    bool more;       // the macro goes on in the next page
};

// One page of a button's macro, starting at action `cursor`.
MacroPage EncodeMacroPage(const ButtonEntry& entry, int cursor, std::uint8_t page);

// Every page of a button's macro, numbered upwards from its start page.
std::vector<MacroPageReport> EncodeMacroPages(const ButtonEntry& entry, std::uint8_t startPage);

}  // namespace ms1
