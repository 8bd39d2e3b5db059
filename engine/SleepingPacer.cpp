#include "engine/SleepingPacer.h"

namespace ms1 {

bool SleepingPacer::Pause(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, duration, [this] { return interrupted_; });
}

void SleepingPacer::Interrupt() {
    {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
    }
    wake_.notify_all();
}

}  // namespace ms1
