#pragma once

#include <dirent.h>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "libs/hook/HookEvent.h"
#include "ports/WindowHandle.h"
#include "ports/WindowMessages.h"
#include "tests/support/Eventually.h"

namespace ms1::hook::test {

// A window for the library to post to: it keeps every message 1034, in order.
class HookReceiver {
  public:
    HookReceiver()
        : handle_{this, [](void* self, std::uint32_t message, std::uintptr_t w, std::intptr_t l) {
                      static_cast<HookReceiver*>(self)->Posted(message, w, l);
                  }} {}
    const Ms1WindowHandle* Handle() const { return &handle_; }

    // The next event; nothing when none came within `patience` (by default what a loaded
    // machine needs).
    std::optional<HookEvent> Next(std::chrono::milliseconds patience = std::chrono::seconds(20)) {
        std::unique_lock lock(mutex_);
        if (!arrived_.wait_for(lock, patience, [&] { return !events_.empty(); }))
            return std::nullopt;
        HookEvent event = events_.front();
        events_.pop_front();
        return event;
    }
    // The events before the marker (a press `markerDown` and its release, of a key or button
    // that no case uses otherwise), which is waited for. Events of one device arrive in the
    // order they happened, so all that came before the marker is there.
    std::vector<HookEvent> Until(std::uintptr_t markerDown) {
        std::vector<HookEvent> before;
        while (std::optional<HookEvent> event = Next()) {
            if (event->wParam == markerDown) {
                Next();  // its release
                return before;
            }
            before.push_back(*event);
        }
        before.push_back({0xDEAD, 0, false});  // the marker never came
        return before;
    }
    std::size_t Count() {
        std::lock_guard lock(mutex_);
        return events_.size();
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        events_.clear();
    }

  private:
    void Posted(std::uint32_t message, std::uintptr_t w, std::intptr_t l) {
        std::lock_guard lock(mutex_);
        if (message == MSG_HOOK_EVENT)
            events_.push_back({w, l, w >= 0x200});
        else
            events_.push_back({0xBAD, static_cast<std::intptr_t>(message), false});
        arrived_.notify_all();
    }

    Ms1WindowHandle handle_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<HookEvent> events_;
};

// Threads of this process that carry the capture thread's name.
inline int CaptureThreads(const std::string& name) {
    int count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (const dirent* task = readdir(tasks)) {
            std::ifstream comm(std::string("/proc/self/task/") + task->d_name + "/comm");
            std::string line;
            if (std::getline(comm, line) && line == name)
                ++count;
        }
        closedir(tasks);
    }
    return count;
}

// True once no thread carries the name. A joined thread can still be listed for a moment: the
// kernel wakes the joining thread before it takes the ended one out of /proc, and nothing
// signals that, so this looks again for a while.
inline bool NoCaptureThreadLeft(const std::string& name) {
    return ms1::test::Eventually([&] { return CaptureThreads(name) == 0; });
}

}  // namespace ms1::hook::test
