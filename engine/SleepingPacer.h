#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "ports/LinkPorts.h"

namespace ms1 {

// The real pauses between reports: sleeps the calling thread, which is always the apply
// worker, never the window thread. When the program ends, Interrupt() cuts every pause short,
// and every later one, so an apply still on its way stops at once instead of holding the exit
// for its retries.
class SleepingPacer final : public Pacer {
  public:
    bool Pause(std::chrono::milliseconds duration) override;
    void Interrupt();

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool interrupted_ = false;
};

}  // namespace ms1
