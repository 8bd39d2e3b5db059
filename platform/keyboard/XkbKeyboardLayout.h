#pragma once

#include <memory>
#include <string>

#include "ports/KeyboardLayout.h"

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace ms1 {

// The keyboard layout through libxkbcommon. Scan codes are set-1 make codes, which equal the
// evdev key codes for the keys of the key table; xkb numbers keys 8 above evdev.
class XkbKeyboardLayout final : public KeyboardLayout {
  public:
    // The layout of the running X session when there is one, else the XKB environment
    // (XKB_DEFAULT_LAYOUT and friends), else "us". Null only when xkb data is missing.
    static std::unique_ptr<XkbKeyboardLayout> FromSystem();
    // A named layout, e.g. "us" or "fr"; null when xkb does not know it.
    static std::unique_ptr<XkbKeyboardLayout> FromNames(const std::string& layout,
                                                        const std::string& variant = {});
    ~XkbKeyboardLayout() override;

    std::uint32_t VirtualKeyToScanCode(std::uint32_t virtualKey) const override;
    std::uint32_t ScanCodeToVirtualKey(std::uint32_t scanCode) const override;
    std::u16string Characters(std::uint32_t virtualKey, std::uint32_t scanCode) const override;

  private:
    XkbKeyboardLayout(xkb_context* context, xkb_keymap* keymap);
    std::uint32_t BaseKeysym(std::uint32_t scanCode) const;

    xkb_context* context_;
    xkb_keymap* keymap_;
    xkb_state* state_;
};

}  // namespace ms1
