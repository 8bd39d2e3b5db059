#include "platform/focus/FocusSources.h"

#include <cstdlib>

#include "platform/focus/I3FocusSource.h"
#include "platform/focus/X11FocusSource.h"

namespace ms1 {
namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

DesktopEnvironment DesktopEnvironment::FromProcess() {
    DesktopEnvironment desktop;
    desktop.i3Socket = Env("I3SOCK");
    if (desktop.i3Socket.empty())
        desktop.i3Socket = Env("SWAYSOCK");
    desktop.waylandDisplay = Env("WAYLAND_DISPLAY");
    desktop.x11Display = Env("DISPLAY");
    return desktop;
}

std::unique_ptr<FocusSource> PickFocusSource(const DesktopEnvironment& desktop) {
    if (!desktop.i3Socket.empty())
        return std::make_unique<I3FocusSource>(desktop.i3Socket);
    // Under Wayland an X display is XWayland's: it sees only the windows that run on it.
    if (!desktop.waylandDisplay.empty())
        return std::make_unique<NoFocusSource>("app_profiles_no_wayland_text");
    if (!desktop.x11Display.empty()) {
        if (auto x11 = X11FocusSource::Connect(desktop.x11Display.c_str()))
            return x11;
    }
    return std::make_unique<NoFocusSource>("app_profiles_no_x11_text");
}

}  // namespace ms1
