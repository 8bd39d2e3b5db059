#pragma once

#include <string>

namespace ms1 {

// The desktop's notifications: a short message in a bubble beside the panel, for what happens
// while the window is hidden.
class DesktopNotices {
  public:
    virtual ~DesktopNotices() = default;
    // Shows one notification. Returns at once, whether or not the desktop shows anything.
    virtual void Show(const std::u16string& summary, const std::u16string& body) = 0;
};

}  // namespace ms1
