#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "libs/hook/CaptureSource.h"
#include "ports/KeyboardLayout.h"

namespace ms1::hook {

// What decides how keys are captured: the session's environment and the input devices.
struct CaptureEnvironment {
    std::string display;         // $DISPLAY
    std::string waylandDisplay;  // $WAYLAND_DISPLAY
    std::string sessionType;     // $XDG_SESSION_TYPE
    std::filesystem::path inputFolder = "/dev/input";

    // The environment of this process.
    static CaptureEnvironment FromProcess();
    bool Wayland() const { return !waylandDisplay.empty() || sessionType == "wayland"; }
};

// A way of capturing that works, with the keyboard layout its keys are named on; or, when
// there is none, the reason in plain words.
struct Capture {
    std::unique_ptr<CaptureSource> source;
    std::unique_ptr<KeyboardLayout> layout;
    const char* reason = nullptr;
};

// The reasons `Capture` gives.
inline constexpr const char* kNoInputOnWayland =
    "on Wayland, key capture needs read access to /dev/input: add yourself to the input group";
inline constexpr const char* kNoDisplayNoInput =
    "no X display can be reached, and key capture without one needs read access to "
    "/dev/input: add yourself to the input group";

// On X11, XInput2 raw events; on Wayland, or with no X server to reach, the evdev devices the
// user may read. `withLayout`: load the layout as well (not needed for a mere look).
Capture OpenCapture(const CaptureEnvironment& environment, bool withLayout);

}  // namespace ms1::hook
