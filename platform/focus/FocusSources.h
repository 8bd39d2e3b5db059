#pragma once

#include <memory>
#include <string>

#include "ports/FocusSource.h"

namespace ms1 {

// A desktop that does not tell other programs which window has the focus (a Wayland desktop
// other than sway): it says why (a language key) and never reports.
class NoFocusSource final : public FocusSource {
  public:
    explicit NoFocusSource(std::string reasonKey) : reason_(std::move(reasonKey)) {}
    std::string Kind() const override { return "none"; }
    std::string UnavailableReason() const override { return reason_; }
    bool Start(FocusListener) override { return false; }
    void ListOpen(ListListener done) override { done({}); }

  private:
    std::string reason_;
};

// What the environment says of the desktop, as PickFocusSource reads it.
struct DesktopEnvironment {
    std::string i3Socket;        // $I3SOCK, else $SWAYSOCK
    std::string waylandDisplay;  // $WAYLAND_DISPLAY
    std::string x11Display;      // $DISPLAY
    static DesktopEnvironment FromProcess();
};

// The source for this desktop: i3's or sway's socket when one is named, the X11 window
// manager when the session is X11, else a source that says why there is none. Window thread.
std::unique_ptr<FocusSource> PickFocusSource(const DesktopEnvironment& desktop);

}  // namespace ms1
