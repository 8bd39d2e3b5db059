#pragma once

#include <cstdint>

namespace ms1::sim {

// The virtual mouse's sense of time, in milliseconds. Tests drive a ManualSimClock; the
// simulated program runs on SteadySimClock.
class SimClock {
  public:
    virtual ~SimClock() = default;
    virtual std::int64_t NowMs() const = 0;
};

}  // namespace ms1::sim
