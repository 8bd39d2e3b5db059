#pragma once

#include <cstdint>
#include <functional>

namespace ms1::sim {

// The virtual mouse's sense of time, in milliseconds. Tests drive a ManualSimClock; the
// simulated program runs on SteadySimClock.
class SimClock {
  public:
    virtual ~SimClock() = default;
    virtual std::int64_t NowMs() const = 0;
    // Real milliseconds until the clock reads `ms` (0 when it does already), or -1 when only
    // a jump brings it there (a clock moved by hand).
    virtual std::int64_t RealMsUntil(std::int64_t ms) const = 0;
    // Calls `listener` after every jump of a clock moved by hand, from the thread that moved
    // it; a clock that runs never jumps. One listener per owner; an empty function removes
    // the owner's.
    virtual void SetJumpListener(const void* owner, std::function<void()> listener) const {
        (void)owner;
        (void)listener;
    }
};

}  // namespace ms1::sim
