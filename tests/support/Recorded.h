#pragma once

// A list that other threads add to while a test waits for what it expects to be there. A
// wait ends as soon as an addition makes its condition hold, and fails after the patience.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace ms1::test {

// How long a wait lasts before the test fails on what it expected: what a loaded machine
// needs, never what a passing test waits.
inline constexpr std::chrono::seconds kPatience{10};

template <typename T>
class Recorded {
  public:
    void Add(T item) {
        {
            std::lock_guard lock(mutex_);
            items_.push_back(std::move(item));
        }
        added_.notify_all();
    }
    std::vector<T> All() const {
        std::lock_guard lock(mutex_);
        return items_;
    }
    std::size_t Size() const {
        std::lock_guard lock(mutex_);
        return items_.size();
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        items_.clear();
    }
    // Waits until `holds` is true of the items; false when it was not within `patience`.
    bool WaitUntil(const std::function<bool(const std::vector<T>&)>& holds,
                   std::chrono::milliseconds patience = kPatience) const {
        std::unique_lock lock(mutex_);
        return added_.wait_for(lock, patience, [&] { return holds(items_); });
    }
    bool WaitForSize(std::size_t count, std::chrono::milliseconds patience = kPatience) const {
        return WaitUntil([count](const std::vector<T>& items) { return items.size() >= count; },
                         patience);
    }

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable added_;
    std::vector<T> items_;
};

}  // namespace ms1::test
