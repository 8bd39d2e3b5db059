#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>

#include "sim/SimClock.h"

namespace ms1::sim {

// A clock that moves only when told to, from any thread.
class ManualSimClock final : public SimClock {
  public:
    std::int64_t NowMs() const override { return now_.load(); }
    std::int64_t RealMsUntil(std::int64_t ms) const override { return ms <= NowMs() ? 0 : -1; }
    void SetJumpListener(const void* owner, std::function<void()> listener) const override {
        std::lock_guard lock(mutex_);
        if (listener)
            listeners_[owner] = std::move(listener);
        else
            listeners_.erase(owner);
    }
    void Advance(std::int64_t milliseconds) {
        now_.fetch_add(milliseconds);
        std::lock_guard lock(mutex_);
        for (const auto& [owner, listener] : listeners_)
            listener();
    }

  private:
    std::atomic<std::int64_t> now_{0};
    mutable std::mutex mutex_;
    mutable std::map<const void*, std::function<void()>> listeners_;
};

}  // namespace ms1::sim
