#include "platform/WorkerThread.h"

namespace ms1 {

WorkerThread::~WorkerThread() {
    Stop();
}

bool WorkerThread::Start(Handler handler) {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        return false;
    }
    handler_ = std::move(handler);
    queue_.clear();
    accepting_ = true;
    thread_ = std::thread(&WorkerThread::Loop, this);
    return true;
}

bool WorkerThread::PostThreadMessage(std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam) {
    {
        std::lock_guard lock(mutex_);
        if (!accepting_) {
            return false;
        }
        queue_.push_back({message, wParam, lParam});
        if (message == kThreadQuitMessage) {
            accepting_ = false;
        }
    }
    wake_.notify_one();
    return true;
}

void WorkerThread::DropQueued() {
    std::lock_guard lock(mutex_);
    queue_.clear();
}

void WorkerThread::Stop(Queued queued) {
    if (queued == Queued::Drop)
        DropQueued();
    PostThreadMessage(kThreadQuitMessage, 0, 0);
    // The thread handle is only touched by the owner, so joining outside the lock is safe and
    // keeps the loop free to take the lock for its last messages.
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
        thread_.join();
    }
}

bool WorkerThread::IsRunning() const {
    std::lock_guard lock(mutex_);
    return accepting_;
}

void WorkerThread::Loop() {
    for (;;) {
        ThreadMessage next;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return !queue_.empty(); });
            next = queue_.front();
            queue_.pop_front();
        }
        if (next.message == kThreadQuitMessage) {
            return;
        }
        if (handler_) {
            handler_(next);
        }
    }
}

}  // namespace ms1
