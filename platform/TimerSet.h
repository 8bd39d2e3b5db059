#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <mutex>
#include <set>

#include "ports/MessagePorts.h"

class QTimer;

namespace ms1 {

// Timers by id on a window, like window timers: a timer fires every period until it is
// killed. The timers live on the thread that owns this object; a start or kill requested from
// another thread is carried out there, in the order asked.
class TimerSet : public QObject, public WindowTimers {
    Q_OBJECT
  public:
    using Handler = std::function<void(int id)>;

    explicit TimerSet(QObject* parent = nullptr);
    ~TimerSet() override;

    void SetHandler(Handler handler);

    void StartTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;
    // True from the moment a start was asked until a kill was asked, on any thread.
    bool IsTimerRunning(int id) const override;

  private:
    void StartHere(int id, int milliseconds);
    void KillHere(int id);

    Handler handler_;
    std::map<int, QTimer*> timers_;  // children of this object, touched on its thread only
    mutable std::mutex runningMutex_;
    std::set<int> running_;
};

}  // namespace ms1
