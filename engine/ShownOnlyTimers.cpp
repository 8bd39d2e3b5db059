#include "engine/ShownOnlyTimers.h"

#include <utility>

namespace ms1 {

ShownOnlyTimers::ShownOnlyTimers(WindowTimers& timers, std::set<int> drawing)
    : timers_(timers), drawing_(std::move(drawing)) {}

void ShownOnlyTimers::StartTimer(int id, int milliseconds) {
    std::lock_guard lock(mutex_);
    if (drawing_.count(id) != 0) {
        periods_[id] = milliseconds;
        if (!shown_)
            return;
    }
    timers_.StartTimer(id, milliseconds);
}

void ShownOnlyTimers::KillTimer(int id) {
    std::lock_guard lock(mutex_);
    periods_.erase(id);
    timers_.KillTimer(id);
}

bool ShownOnlyTimers::IsTimerRunning(int id) const {
    std::lock_guard lock(mutex_);
    if (drawing_.count(id) != 0)
        return periods_.count(id) != 0;
    return timers_.IsTimerRunning(id);
}

void ShownOnlyTimers::SetShown(bool shown) {
    std::lock_guard lock(mutex_);
    if (shown == shown_)
        return;
    shown_ = shown;
    for (const auto& [id, milliseconds] : periods_) {
        if (shown)
            timers_.StartTimer(id, milliseconds);
        else
            timers_.KillTimer(id);
    }
}

}  // namespace ms1
