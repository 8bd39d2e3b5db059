#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ports/KeyboardLayout.h"
#include "ports/TextLookup.h"

namespace ms1 {

// One row of the key table: a Windows virtual key, the HID usage it is stored as, and the
// set-1 scan code of its position on a standard keyboard (0 where the row has none).
struct KeyCodeRow {
    std::int32_t virtualKey;
    std::int32_t usage;
    std::int32_t scanCode;
};

inline constexpr int kKeyCodeRows = 112;
extern const std::array<KeyCodeRow, kKeyCodeRows> KeyCodeTable;

struct UsageLookup {
    bool found = false;
    std::int32_t usage = 0;
};

// A key seen on the keyboard becomes the usage that is stored; letters, digits and
// punctuation by their physical position on the layout in use.
UsageLookup VirtualKeyToUsage(std::uint32_t virtualKey, const KeyboardLayout& layout);

// The text shown for a stored usage; empty when the usage has no name.
std::u16string UsageToKeyName(std::int32_t usage, const KeyboardLayout& layout,
                              const TextLookup& texts);

// The text shown for a virtual key: a fixed name, or what the key types on the layout.
std::u16string VirtualKeyToKeyName(std::uint32_t virtualKey, const KeyboardLayout& layout,
                                   const TextLookup& texts);

}  // namespace ms1
