#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/WindowMessage.h"
#include "ports/MessagePorts.h"
#include "protocol/ApplyEngine.h"
#include "protocol/ProfileState.h"
#include "protocol/StatusView.h"

namespace ms1 {

// What the mouse page hands to the device side when it starts it.
struct PageDeviceContext {
    ProfileState& profiles;  // the page: working profile, snapshot, saves
    StatusView& status;      // link indicators, battery, reported stage/rate/mode
    ApplyView& applyView;    // apply ring and the "not confirmed" notice
    MessageTarget& window;   // the main window's messages (1128, 1539, 1540, ...)
    WindowTimers& timers;    // the main window's timers
};

// The device side of the page: links to the mouse, status decoding and the apply worker.
// Every call comes on the window thread.
class PageDeviceSession {
  public:
    virtual ~PageDeviceSession() = default;
    // Binds the links and starts the apply worker; posts 1128 once the link flags are known.
    virtual void Start(const PageDeviceContext& context) = 0;
    // Stops readers and the worker and waits for them.
    virtual void Stop() = 0;
    // One apply on the worker, at once or after a delay that a new request restarts.
    virtual void RequestApply() = 0;
    virtual void RequestApplyDelayed(int milliseconds) = 0;
    // The page switched to another profile by itself: the apply under way ends after its
    // current report, and the next sends what differs from what the mouse confirmed.
    virtual void RequestApplyInstead() { RequestApply(); }
    virtual bool AnyConnected() const = 0;
    // A receiver's node that may not be opened (permission denied); empty when none.
    virtual std::string AccessProblem() const { return {}; }
    // Whether the 2.4 GHz receiver is plugged in, even while its mouse does not answer.
    virtual bool ReceiverPluggedIn() const { return false; }
    // A message of the device side that came through the main window (the vendor library's
    // 1539 and 1540); true when it was the session's.
    virtual bool HandleMessage(const Message& message) = 0;
    // The page was refreshed: show the sections the connected link supports.
    virtual void RefreshLinkSections() = 0;
    // The window was shown (true) or hidden or minimised (false).
    virtual void SetWindowShown(bool shown) { (void)shown; }
};

}  // namespace ms1
