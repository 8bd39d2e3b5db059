#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ms1 {

// Where the program learns which application has the keyboard focus: the application id of
// the focused window (its WM_CLASS class on X11, its app_id or class under i3 and sway, else
// the name of its process). One source is picked at run time for the desktop the program
// runs on; every call and every report happens on the window thread, which never waits on it.
class FocusSource {
  public:
    using FocusListener = std::function<void(const std::string& appId)>;
    using ListListener = std::function<void(std::vector<std::string> appIds)>;

    virtual ~FocusSource() = default;

    // Which desktop protocol the source speaks ("x11", "i3", or "none").
    virtual std::string Kind() const = 0;
    // Empty when the source follows the focus; else why automatic switching is not
    // available here, for the user to read.
    virtual std::string UnavailableReason() const = 0;
    // Starts following the focus: `listener` hears the application id of the focused window
    // now and each time the focus goes to a window of another application (an empty id: no
    // window has the focus, or it has no id). False when the source cannot follow the focus.
    virtual bool Start(FocusListener listener) = 0;
    // The application ids of the windows open now, each once, in no set order; `done` hears
    // them later on the window thread (an empty list when none can be told).
    virtual void ListOpen(ListListener done) = 0;
};

}  // namespace ms1
