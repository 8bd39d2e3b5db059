#pragma once

// A session bus of the test's own (a dbus-daemon) and on it, when asked, a stand-in
// notification daemon: python3-dbusmock's notification_daemon template, which records every
// call it takes.
#include <signal.h>
#include <sys/types.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <vector>

#include "tests/support/BusDaemon.h"

namespace ms1::test {

class NotificationDaemon {
  public:
    static constexpr int kStartMs = 10000;
    static constexpr const char* kName = "org.freedesktop.Notifications";

    ~NotificationDaemon() {
        StopDaemon();
        if (control_)
            QDBusConnection::disconnectFromBus(kControl);
    }

    // Empty when dbus-daemon and python3-dbusmock can be used, else why not.
    static QString Missing() {
        if (QString(MS1_DBUS_DAEMON).isEmpty())
            return "dbus-daemon is not installed (Debian package dbus-daemon)";
        if (QString(MS1_PYTHON3).isEmpty())
            return "python3 is not installed";
        QProcess probe;
        probe.start(MS1_PYTHON3, {"-c", "import dbusmock.templates.notification_daemon"});
        if (!probe.waitForFinished(kStartMs) || probe.exitCode() != 0)
            return "python3-dbusmock is not installed (Debian package python3-dbusmock)";
        return {};
    }

    // Starts the bus; empty when it runs, else why not.
    QString StartBus() { return bus_.Start("session"); }

    // Starts the stand-in daemon; empty once it has its name, else why not.
    QString StartDaemon() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", bus_.Address());
        daemon_.setProcessEnvironment(environment);
        daemon_.setStandardOutputFile(QProcess::nullDevice());  // its log of every call
        daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        daemon_.start(MS1_PYTHON3, {"-m", "dbusmock", "--template", "notification_daemon"});
        if (!daemon_.waitForStarted(kStartMs))
            return "the stand-in notification daemon did not start";
        // Woken by the bus when the name is taken, or by the daemon's end; the watcher is
        // there before the first look, so a name taken in between is not missed.
        QDBusServiceWatcher watcher(kName, Control(), QDBusServiceWatcher::WatchForRegistration);
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &loop,
                         &QEventLoop::quit);
        QObject::connect(&daemon_, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(kStartMs, &loop, &QEventLoop::quit);
        if (!Control().interface()->isServiceRegistered(kName) &&
            daemon_.state() != QProcess::NotRunning) {
            loop.exec();
        }
        if (Control().interface()->isServiceRegistered(kName))
            return {};
        return daemon_.state() == QProcess::NotRunning
                   ? "the stand-in notification daemon ended"
                   : "the stand-in notification daemon did not take its name";
    }

    void StopDaemon() {
        if (daemon_.state() == QProcess::NotRunning)
            return;
        Resume();
        daemon_.kill();
        daemon_.waitForFinished(kStartMs);
    }
    // The daemon stops answering, and answers again.
    void Pause() { ::kill(static_cast<pid_t>(daemon_.processId()), SIGSTOP); }
    void Resume() { ::kill(static_cast<pid_t>(daemon_.processId()), SIGCONT); }

    // The arguments of every Notify call the daemon took, in order.
    std::vector<QVariantList> NotifyCalls() {
        QDBusMessage ask = QDBusMessage::createMethodCall(
            kName, "/org/freedesktop/Notifications", "org.freedesktop.DBus.Mock", "GetMethodCalls");
        ask << QStringLiteral("Notify");
        const QDBusMessage reply = Control().call(ask, QDBus::Block, kStartMs);
        std::vector<QVariantList> calls;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return calls;
        const QDBusArgument list = reply.arguments().constFirst().value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            qulonglong time = 0;
            QVariantList arguments;
            list.beginStructure();
            list >> time >> arguments;
            list.endStructure();
            calls.push_back(arguments);
        }
        list.endArray();
        return calls;
    }

    const QString& Address() const { return bus_.Address(); }

  private:
    static constexpr const char* kControl = "ms1-test-notifications-control";

    QDBusConnection Control() {
        if (!control_) {
            control_ = true;
            QDBusConnection::connectToBus(bus_.Address(), kControl);
        }
        return QDBusConnection(kControl);
    }

    BusDaemon bus_;
    QProcess daemon_;
    bool control_ = false;
};

}  // namespace ms1::test
