#pragma once

#include <array>
#include <cstdint>
#include <map>

namespace ms1::sim {

inline constexpr std::size_t kMacroPageBytes = 131;
using StoredMacroPage = std::array<std::uint8_t, kMacroPageBytes>;

// What the virtual mouse has been told, as the mouse reads the reports. Zero until a report
// of the group has been accepted.
struct MouseSettings {
    // DPI and sensor (0x14)
    std::uint8_t angleSnapRipple = 0;
    std::uint8_t moveCloseLight = 0;
    std::uint8_t stageEnableMask = 0;
    std::uint8_t highRangeMask = 0;
    std::array<std::uint8_t, 8> stageCode{};
    std::array<std::uint8_t, 8> extensionFlag{};
    std::uint8_t activeStage = 1;  // 1..8
    std::array<std::array<std::uint8_t, 3>, 8> stageColor{};
    // Lighting and power (0x15)
    std::uint8_t lightMode = 0;
    std::uint8_t breathSpeed = 0;
    std::uint8_t sleepTimer = 0;  // high nibble from byte 4, low nibble from byte 5
    std::uint8_t brightness = 0;  // low nibble of byte 5
    std::uint8_t lightByte4 = 0;
    std::uint8_t lightByte5 = 0;
    std::array<std::uint8_t, 3> lightColor{};
    std::uint8_t lightOffTimer = 0;
    std::uint8_t keyDebounce = 0;
    // Polling rate (0x16): 1 = 1000/s, 2 = 500/s, 4 = 250/s, 8 = 125/s
    std::uint8_t rateCode = 0;
    // Button map (0x18), buttons 1..16
    std::array<std::array<std::uint8_t, 3>, 16> buttons{};
    // Macro pages by page number, whole 131-byte pages as assembled from their packets
    std::map<std::uint8_t, StoredMacroPage> macroPages;
    int preambles = 0;
};

}  // namespace ms1::sim
