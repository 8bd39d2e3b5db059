#pragma once

#include <cstdint>
#include <string>

namespace ms1 {

// The questions the key tables ask of the keyboard layout in use. Keys travel as Windows
// virtual-key codes and set-1 scan codes, the currency of the key tables and the hook library.
class KeyboardLayout {
  public:
    virtual ~KeyboardLayout() = default;
    // The scan code of the key that produces this virtual key; 0 when none does.
    virtual std::uint32_t VirtualKeyToScanCode(std::uint32_t virtualKey) const = 0;
    // The virtual key of the key at this scan code; 0 when none.
    virtual std::uint32_t ScanCodeToVirtualKey(std::uint32_t scanCode) const = 0;
    // What the key types with no modifier held: its characters, or a dead key's own
    // character; empty for a key that types nothing.
    virtual std::u16string Characters(std::uint32_t virtualKey, std::uint32_t scanCode) const = 0;
};

}  // namespace ms1
