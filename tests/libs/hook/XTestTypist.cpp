#include "tests/libs/hook/XTestTypist.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace ms1::hook::test {

XTestTypist::XTestTypist() : display_(XOpenDisplay(nullptr)) {}

XTestTypist::~XTestTypist() {
    if (display_ != nullptr)
        XCloseDisplay(display_);
}

bool XTestTypist::Ready() const {
    int event = 0, error = 0, major = 0, minor = 0;
    return display_ != nullptr &&
           XTestQueryExtension(display_, &event, &error, &major, &minor) == True;
}

void XTestTypist::Key(unsigned keycode, bool down) {
    XTestFakeKeyEvent(display_, keycode, down ? True : False, CurrentTime);
    XSync(display_, False);
}

void XTestTypist::Button(unsigned button, bool down) {
    XTestFakeButtonEvent(display_, button, down ? True : False, CurrentTime);
    XSync(display_, False);
}

void XTestTypist::Move(int x, int y) {
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XSync(display_, False);
}

}  // namespace ms1::hook::test
