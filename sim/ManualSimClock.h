#pragma once

#include <atomic>

#include "sim/SimClock.h"

namespace ms1::sim {

// A clock that moves only when told to, from any thread.
class ManualSimClock final : public SimClock {
  public:
    std::int64_t NowMs() const override { return now_.load(); }
    void Advance(std::int64_t milliseconds) { now_.fetch_add(milliseconds); }

  private:
    std::atomic<std::int64_t> now_{0};
};

}  // namespace ms1::sim
