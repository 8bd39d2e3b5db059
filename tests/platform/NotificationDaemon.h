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
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <vector>

namespace ms1::test {

class NotificationDaemon {
  public:
    static constexpr int kStartMs = 10000;
    static constexpr const char* kName = "org.freedesktop.Notifications";

    ~NotificationDaemon() {
        StopDaemon();
        if (bus_.state() != QProcess::NotRunning) {
            bus_.kill();
            bus_.waitForFinished(kStartMs);
        }
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
    QString StartBus() {
        const QString config = dir_.filePath("session.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return "no bus configuration";
        file.write(QStringLiteral(
                       "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                       "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/"
                       "busconfig.dtd\">\n<busconfig><type>session</type>"
                       "<listen>unix:path=%1</listen><auth>EXTERNAL</auth>"
                       "<policy context=\"default\"><allow send_destination=\"*\" "
                       "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                       "</policy></busconfig>\n")
                       .arg(dir_.filePath("bus"))
                       .toUtf8());
        file.close();
        bus_.start(MS1_DBUS_DAEMON, {"--config-file=" + config, "--nofork", "--print-address"});
        if (!bus_.waitForStarted(kStartMs) || !bus_.waitForReadyRead(kStartMs))
            return "dbus-daemon did not start";
        address_ = QString::fromUtf8(bus_.readLine()).trimmed();
        return address_.isEmpty() ? "dbus-daemon gave no address" : QString();
    }

    // Starts the stand-in daemon; empty once it has its name, else why not.
    QString StartDaemon() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", address_);
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

    const QString& Address() const { return address_; }

  private:
    static constexpr const char* kControl = "ms1-test-notifications-control";

    QDBusConnection Control() {
        if (!control_) {
            control_ = true;
            QDBusConnection::connectToBus(address_, kControl);
        }
        return QDBusConnection(kControl);
    }

    QTemporaryDir dir_;
    QProcess bus_;
    QProcess daemon_;
    QString address_;
    bool control_ = false;
};

}  // namespace ms1::test
