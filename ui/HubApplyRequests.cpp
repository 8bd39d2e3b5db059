#include "ui/HubApplyRequests.h"

#include "platform/WindowMessages.h"

namespace ms1 {

void HubApplyRequests::RequestApply() {
    window_.Post(MSG_APPLY_TRIGGER, 0, 0);
}

void HubApplyRequests::RequestApplyDelayed(int milliseconds) {
    timers_.KillTimer(TIMER_APPLY_DELAY);
    timers_.StartTimer(TIMER_APPLY_DELAY, milliseconds);
}

}  // namespace ms1
