#pragma once

#include <string>
#include <vector>

namespace ms1 {

// The application ids of the windows open now on the desktop (WM_CLASS class on X11, app_id
// on Wayland), for the rules dialog to offer. Asked on the window thread when the dialog opens
// and when the user asks again; an implementation answers at once from what it knows.
class OpenWindowApps {
  public:
    virtual ~OpenWindowApps() = default;
    // In any order, possibly with repeats; empty when the desktop does not tell.
    virtual std::vector<std::string> AppIds() = 0;
};

}  // namespace ms1
