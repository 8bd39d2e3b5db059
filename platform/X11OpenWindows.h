#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ports/OpenWindowApps.h"

struct xcb_connection_t;

namespace ms1 {

// The windows open now on an X11 desktop: the window manager lists them in _NET_CLIENT_LIST on
// the root window, and each tells its application in the class part of WM_CLASS. Asked with a
// few round trips to the X server, on a connection of its own made at the first question (so
// that start-up does not wait for it).
class X11OpenWindows : public OpenWindowApps {
  public:
    // `display` as for XOpenDisplay; empty: $DISPLAY.
    explicit X11OpenWindows(std::string display = {});
    ~X11OpenWindows() override;
    X11OpenWindows(const X11OpenWindows&) = delete;
    X11OpenWindows& operator=(const X11OpenWindows&) = delete;

    // The class of each listed window that has one, in the list's order. Empty without an X
    // server, or without a window manager that keeps the list.
    std::vector<std::string> AppIds() override;

  private:
    bool Connected();

    std::string display_;
    xcb_connection_t* connection_ = nullptr;
    bool failed_ = false;
    std::uint32_t root_ = 0;
    std::uint32_t clientList_ = 0;  // the atom _NET_CLIENT_LIST
};

}  // namespace ms1
