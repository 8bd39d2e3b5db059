#include "tests/support/WindowFakes.h"

#include <algorithm>

namespace ms1::test {

void RecordingWindow::Post(std::uint32_t message, std::uintptr_t, std::intptr_t) {
    std::lock_guard lock(mutex);
    posted.push_back(message);
}

int RecordingWindow::Count(std::uint32_t message) {
    std::lock_guard lock(mutex);
    return static_cast<int>(std::count(posted.begin(), posted.end(), message));
}

void FakeTimers::StartTimer(int id, int milliseconds) {
    running[id] = milliseconds;
    ++starts[id];
}

void FakeTimers::KillTimer(int id) {
    running.erase(id);
}

bool FakeTimers::IsTimerRunning(int id) const {
    return running.count(id) != 0;
}

}  // namespace ms1::test
