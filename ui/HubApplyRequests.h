#pragma once

#include "platform/MessagePorts.h"
#include "ui/PageDialogs.h"

namespace ms1 {

// Apply requests through the main window: message 1541 at once, or timer 513 that a new
// request restarts (the window posts 1541 when it runs out).
class HubApplyRequests : public ApplyRequests {
  public:
    HubApplyRequests(MessageTarget& window, WindowTimers& timers)
        : window_(window), timers_(timers) {}

    void RequestApply() override;
    void RequestApplyDelayed(int milliseconds) override;

  private:
    MessageTarget& window_;
    WindowTimers& timers_;
};

}  // namespace ms1
