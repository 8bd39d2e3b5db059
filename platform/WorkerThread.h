#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace ms1 {

// Thread message that ends a worker's loop (the number of WM_QUIT).
inline constexpr std::uint32_t kThreadQuitMessage = 0x12;

struct ThreadMessage {
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// A thread with a message queue of its own. The handler runs on the thread for every posted
// message, one after another, until the quit message arrives. Needs no Qt and no window, so
// the command-line tool runs the same engine on it. The owner stops it; the destructor joins.
class WorkerThread {
  public:
    using Handler = std::function<void(const ThreadMessage&)>;

    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the loop; false when it already runs.
    bool Start(Handler handler);
    // Queues a message; false when the thread is not running or already asked to quit.
    bool PostThreadMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    // What becomes of the messages still queued when the thread is stopped.
    enum class Queued { Run, Drop };
    // Posts the quit message and waits without a time limit for the thread to end. Messages
    // queued before the quit still run, or are dropped; the one being handled always ends.
    void Stop(Queued queued = Queued::Run);
    // Drops the messages not yet begun; the one being handled goes on.
    void DropQueued();
    bool IsRunning() const;

  private:
    void Loop();

    Handler handler_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<ThreadMessage> queue_;
    bool accepting_ = false;
    std::thread thread_;
};

}  // namespace ms1
