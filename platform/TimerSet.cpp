#include "platform/TimerSet.h"

#include <QThread>
#include <QTimer>

namespace ms1 {

TimerSet::TimerSet(QObject* parent) : QObject(parent) {}

TimerSet::~TimerSet() = default;

void TimerSet::SetHandler(Handler handler) {
    handler_ = std::move(handler);
}

void TimerSet::StartTimer(int id, int milliseconds) {
    {
        std::lock_guard lock(runningMutex_);
        running_.insert(id);
    }
    if (QThread::currentThread() == thread()) {
        StartHere(id, milliseconds);
    } else {
        QMetaObject::invokeMethod(
            this, [this, id, milliseconds] { StartHere(id, milliseconds); }, Qt::QueuedConnection);
    }
}

void TimerSet::KillTimer(int id) {
    {
        std::lock_guard lock(runningMutex_);
        running_.erase(id);
    }
    if (QThread::currentThread() == thread()) {
        KillHere(id);
    } else {
        QMetaObject::invokeMethod(
            this, [this, id] { KillHere(id); }, Qt::QueuedConnection);
    }
}

bool TimerSet::IsTimerRunning(int id) const {
    std::lock_guard lock(runningMutex_);
    return running_.count(id) != 0;
}

void TimerSet::StartHere(int id, int milliseconds) {
    {
        // A kill asked after this start already ran on the caller's side; do not revive it.
        std::lock_guard lock(runningMutex_);
        if (running_.count(id) == 0) {
            return;
        }
    }
    QTimer*& timer = timers_[id];
    if (timer == nullptr) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] {
            if (handler_) {
                handler_(id);
            }
        });
    }
    timer->start(milliseconds);
}

void TimerSet::KillHere(int id) {
    auto found = timers_.find(id);
    if (found != timers_.end()) {
        found->second->stop();
    }
}

}  // namespace ms1
