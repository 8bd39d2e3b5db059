#pragma once

#include <chrono>

#include "sim/SimClock.h"

namespace ms1::sim {

// Real elapsed time since the clock was made.
class SteadySimClock final : public SimClock {
  public:
    std::int64_t NowMs() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start_)
            .count();
    }
    std::int64_t RealMsUntil(std::int64_t ms) const override {
        const std::int64_t left = ms - NowMs();
        return left > 0 ? left : 0;
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace ms1::sim
