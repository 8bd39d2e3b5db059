#include "engine/SleepingPacer.h"

#include <thread>

namespace ms1 {

void SleepingPacer::Pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

}  // namespace ms1
