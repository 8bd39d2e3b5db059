#pragma once

// The window as the lower layers see it: where messages are posted and timers started.
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "ports/MessagePorts.h"

namespace ms1::test {

// Records the message of every post; posts may come from any thread.
struct RecordingWindow final : MessageTarget {
    void Post(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    int Count(std::uint32_t message);
    bool Holds(std::uint32_t message) { return Count(message) > 0; }

    std::mutex mutex;
    std::vector<std::uint32_t> posted;
};

// Timers that only remember what runs (id -> period) and how often each was started.
struct FakeTimers final : WindowTimers {
    void StartTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;
    bool IsTimerRunning(int id) const override;

    std::map<int, int> running;
    std::map<int, int> starts;
};

}  // namespace ms1::test
