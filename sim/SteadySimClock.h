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

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace ms1::sim
