#pragma once

#include <cstdint>

namespace ms1 {

// Where window messages go. Post may be called from any thread; the message is delivered
// on the window's thread, in order.
class MessageTarget {
  public:
    virtual ~MessageTarget() = default;
    virtual void Post(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

// Timers by id on a window. Callable from any thread: requests from other threads are
// carried out on the window's thread.
class WindowTimers {
  public:
    virtual ~WindowTimers() = default;
    // Starts the timer, or restarts it when it runs.
    virtual void StartTimer(int id, int milliseconds) = 0;
    virtual void KillTimer(int id) = 0;
    virtual bool IsTimerRunning(int id) const = 0;
};

}  // namespace ms1
