#pragma once

#include <memory>

#include "libs/hook/CaptureSource.h"

typedef struct _XDisplay Display;

namespace ms1::hook {

// Keys and buttons of the whole X session as XInput2 raw events on the root window, over a
// display connection of its own, so they arrive whichever window has the focus.
class X11Capture final : public CaptureSource {
  public:
    // Null when no X server can be reached or it lacks XInput 2. `displayName` null: $DISPLAY.
    static std::unique_ptr<X11Capture> Open(const char* displayName = nullptr);
    ~X11Capture() override;
    X11Capture(const X11Capture&) = delete;
    X11Capture& operator=(const X11Capture&) = delete;

    std::vector<int> Fds() const override;
    bool Process(RawInputSink& sink) override;

  private:
    X11Capture(Display* display, int opcode);

    Display* display_;
    int opcode_;
    // Set by Xlib when the connection broke; the connection is not used after that.
    bool lost_ = false;
};

}  // namespace ms1::hook
