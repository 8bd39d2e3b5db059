#include "platform/MessageHub.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

namespace ms1 {
namespace {

const QEvent::Type kMessageEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

class MessageEvent : public QEvent {
  public:
    explicit MessageEvent(Message message)
        : QEvent(kMessageEventType), message_(std::move(message)) {}
    const Message& message() const { return message_; }

  private:
    Message message_;
};

}  // namespace

MessageHub::MessageHub(QObject* parent) : QObject(parent) {}

void MessageHub::SetHandler(Handler handler) {
    handler_ = std::move(handler);
}

void MessageHub::Post(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    Post(Message{message, wParam, lParam, {}});
}

void MessageHub::Post(Message message) {
    // postEvent is thread-safe and keeps the order of posts from one thread.
    QCoreApplication::postEvent(this, new MessageEvent(std::move(message)));
}

bool MessageHub::Send(const Message& message) {
    if (QThread::currentThread() == thread()) {
        return Dispatch(message);
    }
    bool handled = false;
    QMetaObject::invokeMethod(
        this, [this, &message, &handled] { handled = Dispatch(message); },
        Qt::BlockingQueuedConnection);
    return handled;
}

void MessageHub::customEvent(QEvent* event) {
    if (event->type() == kMessageEventType) {
        Dispatch(static_cast<MessageEvent*>(event)->message());
    }
}

bool MessageHub::Dispatch(const Message& message) {
    return handler_ ? handler_(message) : false;
}

}  // namespace ms1
