#pragma once

#include <cstdint>
#include <optional>

#include "ports/KeyboardLayout.h"

namespace ms1::hook {

// One event as the library posts it (message 1034): a virtual-key code with 0 for a press and
// 1 for a release, or a mouse message number with the X-button number as lParam.
struct HookEvent {
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    bool mouse = false;

    bool operator==(const HookEvent&) const = default;
};

// The evdev key code and value (1 press, 2 auto-repeat, 0 release) as the library posts it;
// nothing for keys and buttons it does not report (wheel, unknown keys). Letters, digits and
// punctuation take the virtual key they have on `layout`, as on the desktop the keys are typed
// on; without a layout, and for every other key, the key's place on a US keyboard decides.
std::optional<HookEvent> TranslateInput(std::uint16_t code, std::int32_t value,
                                        const KeyboardLayout* layout);

// The evdev button code of an X button number (1 left, 2 middle, 3 right, 8 back, 9 forward);
// nothing for the wheel (4 to 7) and the rest.
std::optional<std::uint16_t> X11ButtonToEvdev(unsigned button);

}  // namespace ms1::hook
