#pragma once

// Waits for a state that other threads bring about and that has no event of its own to wait
// on: looks again every millisecond, and fails the test's expectation after the patience.
#include <chrono>
#include <functional>
#include <thread>

#include "tests/support/Recorded.h"

namespace ms1::test {

// `between`, when given, runs before each look (say, the window thread's events).
inline bool Eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds patience = kPatience,
                       const std::function<void()>& between = {}) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        if (between)
            between();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace ms1::test
