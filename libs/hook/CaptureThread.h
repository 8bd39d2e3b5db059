#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "libs/hook/CaptureChoice.h"
#include "libs/hook/HookEvent.h"
#include "libs/hook/UniqueFd.h"

namespace ms1::hook {

// The library's one thread: it opens a capture, waits for its input and hands every event,
// translated, to the library. Start and stop come from the caller's thread.
class CaptureThread {
  public:
    // Run on the capture thread.
    using Opener = std::function<Capture()>;
    using Deliver = std::function<void(const HookEvent&)>;

    // The name the thread carries (seen in /proc/<pid>/task/*/comm).
    static constexpr const char* kThreadName = "ms1-hook";

    CaptureThread() = default;
    ~CaptureThread() { Stop(); }
    CaptureThread(const CaptureThread&) = delete;
    CaptureThread& operator=(const CaptureThread&) = delete;

    // Starts the thread unless it runs; one that ended by itself (nothing to capture) is
    // joined and started again. False when no thread could be started.
    bool Start(Opener open, Deliver deliver);
    // Ends the thread and joins it; nothing is delivered after it returns.
    void Stop();
    // The thread runs with a working capture.
    bool Capturing() const { return capturing_; }

  private:
    void Run(const Opener& open, const Deliver& deliver);

    std::thread thread_;
    UniqueFd wake_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> capturing_{false};
};

}  // namespace ms1::hook
