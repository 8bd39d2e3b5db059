#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace ms1 {

// Turns SIGTERM and SIGINT (a desktop logout, Ctrl+C in a terminal) into a Qt signal on the
// thread that created the watcher, so the program can end the way its "exit" item ends it.
// The handler only writes a byte to a pipe; the rest happens in the event loop.
class TerminationSignals : public QObject {
    Q_OBJECT
  public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // False when the pipe could not be made: the signals then keep their default action.
    bool IsActive() const { return notifier_ != nullptr; }

  signals:
    void Requested(int signalNumber);

  private:
    void Drain();

    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace ms1
