#pragma once

#include <QObject>
#include <functional>

#include "platform/WindowMessage.h"
#include "ports/MessagePorts.h"

namespace ms1 {

// The message queue of one window. Messages posted from any thread are delivered in order to
// the handler on the thread that owns the hub (the window's thread). Needs QCoreApplication
// only, no GUI. Threads that post must be stopped before the hub is destroyed (the owner of a
// reader or monitor thread joins it first); messages still queued then are dropped.
class MessageHub : public QObject, public MessageTarget {
    Q_OBJECT
  public:
    // Returns true when the message was handled.
    using Handler = std::function<bool(const Message&)>;

    explicit MessageHub(QObject* parent = nullptr);

    void SetHandler(Handler handler);

    void Post(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void Post(Message message);
    // Runs the handler now when called on the hub's thread; from another thread it waits until
    // the hub's thread has handled the message. Returns the handler's result.
    bool Send(const Message& message);

  protected:
    void customEvent(QEvent* event) override;

  private:
    bool Dispatch(const Message& message);

    Handler handler_;
};

}  // namespace ms1
