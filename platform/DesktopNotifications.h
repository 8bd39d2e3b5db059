#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <functional>

#include "ports/DesktopNotices.h"

namespace ms1 {

class NoticeSender;

// Desktop notifications over D-Bus (org.freedesktop.Notifications on the session bus). Every
// call goes to a thread of its own, which connects to the bus on the first notification and
// never waits for the daemon's answer: the caller is never held up, and without a session bus
// or a notification daemon nothing is shown. Made and destroyed on one thread.
class DesktopNotifications final : public DesktopNotices {
  public:
    // How a notification went: shown (the daemon took it), or why not.
    using Answer = std::function<void(bool shown, const QString& why)>;

    // `appName` and `iconName` go with every notification; an empty `busAddress` is the
    // session bus.
    DesktopNotifications(QString appName, QString iconName, QString busAddress = {});
    ~DesktopNotifications() override;
    DesktopNotifications(const DesktopNotifications&) = delete;
    DesktopNotifications& operator=(const DesktopNotifications&) = delete;

    void Show(const std::u16string& summary, const std::u16string& body) override;
    // Called on the notifications' thread once the bus answered a notification (tests, log).
    void SetOnAnswer(Answer onAnswer);

  private:
    QThread thread_;
    NoticeSender* sender_;  // lives on thread_, deleted once it has ended
};

}  // namespace ms1
