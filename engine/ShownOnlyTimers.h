#pragma once

#include <map>
#include <mutex>
#include <set>

#include "ports/MessagePorts.h"

namespace ms1 {

// The window's timers, except that those which only draw (the charging sweep) do not run
// while the window is hidden or minimised: one started then waits, and starts when the window
// shows again; one running when it hides stops until then. To whoever started it, a waiting
// timer is running. Every other timer goes straight through.
class ShownOnlyTimers : public WindowTimers {
  public:
    ShownOnlyTimers(WindowTimers& timers, std::set<int> drawing);

    void StartTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;
    bool IsTimerRunning(int id) const override;

    // Whether anyone can see the window now.
    void SetShown(bool shown);

  private:
    WindowTimers& timers_;
    const std::set<int> drawing_;
    mutable std::mutex mutex_;
    bool shown_ = true;
    std::map<int, int> periods_;  // the drawing timers started and not killed, by id
};

}  // namespace ms1
