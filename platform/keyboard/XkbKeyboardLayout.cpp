#include "platform/keyboard/XkbKeyboardLayout.h"

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>

namespace ms1 {
namespace {

constexpr std::uint32_t kEvdevOffset = 8;
constexpr std::uint32_t kHighestScanCode = 0x58;

// The virtual key at each scan code on a US keyboard: what a key that types no letter,
// digit or known punctuation on the layout in use stands for.
std::uint32_t PositionalVirtualKey(std::uint32_t scanCode) {
    static constexpr std::uint8_t kUs[kHighestScanCode + 1] = {
        0,    0x1B, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x30, 0xBD, 0xBB, 0x08,
        0x09, 0x51, 0x57, 0x45, 0x52, 0x54, 0x59, 0x55, 0x49, 0x4F, 0x50, 0xDB, 0xDD, 0x0D, 0xA2,
        0x41, 0x53, 0x44, 0x46, 0x47, 0x48, 0x4A, 0x4B, 0x4C, 0xBA, 0xDE, 0xC0, 0xA0, 0xDC, 0x5A,
        0x58, 0x43, 0x56, 0x42, 0x4E, 0x4D, 0xBC, 0xBE, 0xBF, 0xA1, 0x6A, 0xA4, 0x20, 0x14, 0x70,
        0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x90, 0x91, 0x24, 0x26, 0x21, 0x6D,
        0x25, 0x0C, 0x27, 0x6B, 0x23, 0x28, 0x22, 0x2D, 0x2E, 0,    0,    0xE2, 0x7A, 0x7B};
    return scanCode <= kHighestScanCode ? kUs[scanCode] : 0;
}

std::uint32_t PunctuationVirtualKey(xkb_keysym_t keysym) {
    switch (keysym) {
        case XKB_KEY_semicolon:
            return 0xBA;
        case XKB_KEY_equal:
            return 0xBB;
        case XKB_KEY_comma:
            return 0xBC;
        case XKB_KEY_minus:
            return 0xBD;
        case XKB_KEY_period:
            return 0xBE;
        case XKB_KEY_slash:
            return 0xBF;
        case XKB_KEY_grave:
            return 0xC0;
        case XKB_KEY_bracketleft:
            return 0xDB;
        case XKB_KEY_backslash:
            return 0xDC;
        case XKB_KEY_bracketright:
            return 0xDD;
        case XKB_KEY_apostrophe:
            return 0xDE;
        default:
            return 0;
    }
}

// The spacing character a dead key stands for, as a layout shows it on its keycap.
char32_t DeadKeyCharacter(xkb_keysym_t keysym) {
    switch (keysym) {
        case XKB_KEY_dead_grave:
            return U'`';
        case XKB_KEY_dead_acute:
            return U'\u00B4';
        case XKB_KEY_dead_circumflex:
            return U'^';
        case XKB_KEY_dead_tilde:
            return U'~';
        case XKB_KEY_dead_diaeresis:
            return U'\u00A8';
        case XKB_KEY_dead_cedilla:
            return U'\u00B8';
        case XKB_KEY_dead_abovering:
            return U'\u00B0';
        case XKB_KEY_dead_caron:
            return U'\u02C7';
        default:
            return 0;
    }
}

xkb_keymap* KeymapFromX11(xkb_context* context) {
    if (std::getenv("DISPLAY") == nullptr)
        return nullptr;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    xkb_keymap* keymap = nullptr;
    if (connection && !xcb_connection_has_error(connection) &&
        xkb_x11_setup_xkb_extension(
            connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr)) {
        std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
        if (device != -1) {
            keymap = xkb_x11_keymap_new_from_device(context, connection, device,
                                                    XKB_KEYMAP_COMPILE_NO_FLAGS);
        }
    }
    if (connection)
        xcb_disconnect(connection);
    return keymap;
}

}  // namespace

std::unique_ptr<XkbKeyboardLayout> XkbKeyboardLayout::FromSystem() {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context)
        return nullptr;
    xkb_keymap* keymap = KeymapFromX11(context);
    // With no names given, xkbcommon reads XKB_DEFAULT_LAYOUT and friends, and falls back
    // to "us".
    if (!keymap)
        keymap = xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) {
        xkb_rule_names us{nullptr, nullptr, "us", nullptr, nullptr};
        keymap = xkb_keymap_new_from_names(context, &us, XKB_KEYMAP_COMPILE_NO_FLAGS);
    }
    if (!keymap) {
        xkb_context_unref(context);
        return nullptr;
    }
    return std::unique_ptr<XkbKeyboardLayout>(new XkbKeyboardLayout(context, keymap));
}

std::unique_ptr<XkbKeyboardLayout> XkbKeyboardLayout::FromNames(const std::string& layout,
                                                                const std::string& variant) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (!context)
        return nullptr;
    xkb_rule_names names{"evdev", "pc105", layout.c_str(),
                         variant.empty() ? nullptr : variant.c_str(), nullptr};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) {
        xkb_context_unref(context);
        return nullptr;
    }
    return std::unique_ptr<XkbKeyboardLayout>(new XkbKeyboardLayout(context, keymap));
}

XkbKeyboardLayout::XkbKeyboardLayout(xkb_context* context, xkb_keymap* keymap)
    : context_(context), keymap_(keymap), state_(xkb_state_new(keymap)) {}

XkbKeyboardLayout::~XkbKeyboardLayout() {
    if (state_)
        xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

std::uint32_t XkbKeyboardLayout::BaseKeysym(std::uint32_t scanCode) const {
    const xkb_keysym_t* syms = nullptr;
    int count = xkb_keymap_key_get_syms_by_level(keymap_, scanCode + kEvdevOffset, 0, 0, &syms);
    return count > 0 ? syms[0] : XKB_KEY_NoSymbol;
}

std::uint32_t XkbKeyboardLayout::ScanCodeToVirtualKey(std::uint32_t scanCode) const {
    if (scanCode == 0 || scanCode > kHighestScanCode)
        return 0;
    const xkb_keysym_t keysym = BaseKeysym(scanCode);
    if (keysym >= XKB_KEY_a && keysym <= XKB_KEY_z)
        return 0x41 + (keysym - XKB_KEY_a);
    if (keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z)
        return 0x41 + (keysym - XKB_KEY_A);
    // The number row keeps its digit keys even where it types other characters unshifted.
    if (scanCode >= 0x02 && scanCode <= 0x0B)
        return PositionalVirtualKey(scanCode);
    if (keysym >= XKB_KEY_0 && keysym <= XKB_KEY_9)
        return 0x30 + (keysym - XKB_KEY_0);
    if (std::uint32_t punctuation = PunctuationVirtualKey(keysym))
        return punctuation;
    return PositionalVirtualKey(scanCode);
}

std::uint32_t XkbKeyboardLayout::VirtualKeyToScanCode(std::uint32_t virtualKey) const {
    if (virtualKey == 0)
        return 0;
    for (std::uint32_t scanCode = 1; scanCode <= kHighestScanCode; ++scanCode) {
        if (ScanCodeToVirtualKey(scanCode) == virtualKey)
            return scanCode;
    }
    return 0;
}

std::u16string XkbKeyboardLayout::Characters(std::uint32_t /*virtualKey*/,
                                             std::uint32_t scanCode) const {
    if (scanCode == 0)
        return {};
    const xkb_keysym_t keysym = BaseKeysym(scanCode);
    char32_t character = xkb_keysym_to_utf32(keysym);
    if (character == 0)
        character = DeadKeyCharacter(keysym);
    if (character < 0x20 || character == 0x7F)
        return {};
    std::u16string text;
    if (character >= 0x10000) {
        character -= 0x10000;
        text.push_back(static_cast<char16_t>(0xD800 + (character >> 10)));
        text.push_back(static_cast<char16_t>(0xDC00 + (character & 0x3FF)));
    } else {
        text.push_back(static_cast<char16_t>(character));
    }
    return text;
}

}  // namespace ms1
