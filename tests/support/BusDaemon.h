#pragma once

// A dbus-daemon of the test's own on a socket in a temporary folder, configured as a system or a
// session bus that lets every peer own any name and talk to any other.
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace ms1::test {

class BusDaemon {
  public:
    static constexpr int kStartMs = 10000;

    ~BusDaemon() {
        if (daemon_.state() != QProcess::NotRunning) {
            daemon_.kill();
            daemon_.waitForFinished(kStartMs);
        }
    }

    // `type` is "system" or "session". Empty when it runs, else why not.
    QString Start(const QString& type) {
        if (QString(MS1_DBUS_DAEMON).isEmpty())
            return "dbus-daemon is not installed (Debian package dbus-daemon)";
        const QString config = dir_.filePath("bus.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return "no bus configuration";
        file.write(QStringLiteral(
                       "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                       "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/"
                       "busconfig.dtd\">\n<busconfig><type>%1</type>"
                       "<listen>unix:path=%2</listen><auth>EXTERNAL</auth>"
                       "<policy context=\"default\"><allow send_destination=\"*\" "
                       "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                       "</policy></busconfig>\n")
                       .arg(type, dir_.filePath("bus"))
                       .toUtf8());
        file.close();
        daemon_.start(MS1_DBUS_DAEMON, {"--config-file=" + config, "--nofork", "--print-address"});
        if (!daemon_.waitForStarted(kStartMs) || !daemon_.waitForReadyRead(kStartMs))
            return "dbus-daemon did not start";
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        return address_.isEmpty() ? "dbus-daemon gave no address" : QString();
    }

    const QString& Address() const { return address_; }

  private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
};

}  // namespace ms1::test
