#pragma once

#include <QObject>

#include "protocol/DeviceStatus.h"

namespace ms1 {

// Runs a call on the thread of `context` after a delay, from its event loop, so the window
// thread never blocks on the wait. Calls still pending when the context is destroyed are
// dropped.
class TimerDelayedCalls final : public DelayedCalls {
  public:
    explicit TimerDelayedCalls(QObject& context) : context_(context) {}
    void After(std::chrono::milliseconds delay, std::function<void()> call) override;

  private:
    QObject& context_;
};

}  // namespace ms1
