#include "libs/hook/CaptureChoice.h"

#include <cstdlib>

#include "libs/hook/EvdevCapture.h"
#include "libs/hook/X11Capture.h"
#include "platform/keyboard/XkbKeyboardLayout.h"

namespace ms1::hook {
namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

CaptureEnvironment CaptureEnvironment::FromProcess() {
    CaptureEnvironment environment;
    environment.display = Variable("DISPLAY");
    environment.waylandDisplay = Variable("WAYLAND_DISPLAY");
    environment.sessionType = Variable("XDG_SESSION_TYPE");
    return environment;
}

Capture OpenCapture(const CaptureEnvironment& environment, bool withLayout) {
    Capture capture;
    // On Wayland the X server (Xwayland) only sees keys typed into its own windows.
    if (!environment.Wayland() && !environment.display.empty())
        capture.source = X11Capture::Open(environment.display.c_str());
    if (capture.source == nullptr)
        capture.source = EvdevCapture::OpenDevices(environment.inputFolder);
    if (capture.source == nullptr) {
        capture.reason = environment.Wayland() ? kNoInputOnWayland : kNoDisplayNoInput;
        return capture;
    }
    // The same layout the program names keys on: the X session's, else the XKB environment's.
    if (withLayout)
        capture.layout = XkbKeyboardLayout::FromSystem();
    return capture;
}

}  // namespace ms1::hook
