#include "engine/TimerDelayedCalls.h"

#include <QTimer>

namespace ms1 {

void TimerDelayedCalls::After(std::chrono::milliseconds delay, std::function<void()> call) {
    QTimer::singleShot(delay, &context_, std::move(call));
}

}  // namespace ms1
