#include "libs/hook/X11Capture.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include "libs/hook/HookEvent.h"

namespace ms1::hook {
namespace {

// X key codes are 8 above the evdev codes.
constexpr int kEvdevOffset = 8;

}  // namespace

std::unique_ptr<X11Capture> X11Capture::Open(const char* displayName) {
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr)
        return nullptr;
    int opcode = 0;
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 2;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &event, &error) ||
        XIQueryVersion(display, &major, &minor) != Success || major < 2) {
        XCloseDisplay(display);
        return nullptr;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawButtonRelease);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XSync(display, False);
    return std::unique_ptr<X11Capture>(new X11Capture(display, opcode));
}

X11Capture::X11Capture(Display* display, int opcode) : display_(display), opcode_(opcode) {
    // A broken connection must not end the program (Xlib's default); it ends the capture.
    XSetIOErrorExitHandler(
        display_, [](Display*, void* self) { static_cast<X11Capture*>(self)->lost_ = true; }, this);
}

X11Capture::~X11Capture() {
    XCloseDisplay(display_);
}

std::vector<int> X11Capture::Fds() const {
    return {ConnectionNumber(display_)};
}

bool X11Capture::Process(RawInputSink& sink) {
    while (!lost_ && XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != opcode_ ||
            !XGetEventData(display_, cookie))
            continue;
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        const bool press = cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawButtonPress;
        if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
            if (raw->detail > kEvdevOffset)
                sink.OnRawInput(static_cast<std::uint16_t>(raw->detail - kEvdevOffset),
                                press ? 1 : 0);
        } else if (const auto code = X11ButtonToEvdev(static_cast<unsigned>(raw->detail))) {
            sink.OnRawInput(*code, press ? 1 : 0);
        }
        XFreeEventData(display_, cookie);
    }
    return !lost_;
}

}  // namespace ms1::hook
