#pragma once

// A dbus-daemon of the test's own, handed to the program as its system bus, and on it, when
// asked, the stand-in bluetoothd (mock_bluez.py), steered through its control interface.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include "tests/support/BusDaemon.h"

namespace ms1 {

constexpr int kStartMs = 10000;

class PrivateBus {
  public:
    ~PrivateBus() {
        if (mock_.state() != QProcess::NotRunning) {
            mock_.kill();
            mock_.waitForFinished(kStartMs);
        }
        if (control_)
            QDBusConnection::disconnectFromBus(kControl);
    }

    // Empty when it started, else why not.
    QString Start() { return bus_.Start("system"); }

    // `arguments` for mock_bluez.py (--silent, --mouse=..., --announce).
    QString StartBluetoothd(const QStringList& arguments = {}) {
        if (QString(MS1_PYTHON3).isEmpty())
            return "python3 is not installed";
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS", bus_.Address());
        mock_.setProcessEnvironment(environment);
        mock_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mock_.start(MS1_PYTHON3, QStringList{MS1_MOCK_BLUEZ} + arguments);
        if (!mock_.waitForStarted(kStartMs))
            return "the stand-in bluetoothd did not start";
        QElapsedTimer waited;
        waited.start();
        while (!Control().interface()->isServiceRegistered("org.bluez")) {
            if (mock_.state() == QProcess::NotRunning)
                return "the stand-in bluetoothd ended (python3-dbus and python3-gi installed?)";
            if (waited.elapsed() > kStartMs)
                return "the stand-in bluetoothd did not take its name";
            QCoreApplication::processEvents();
            QThread::msleep(10);
        }
        return {};
    }

    void StopBluetoothd() {
        if (mock_.state() == QProcess::NotRunning)
            return;
        mock_.kill();
        mock_.waitForFinished(kStartMs);
        // Gone from the bus too, before the next one takes the name.
        QElapsedTimer waited;
        waited.start();
        while (Control().interface()->isServiceRegistered("org.bluez") &&
               waited.elapsed() < kStartMs) {
            QCoreApplication::processEvents();
            QThread::msleep(10);
        }
    }

    QDBusConnection Control() {
        if (!control_) {
            control_ = true;
            QDBusConnection::connectToBus(bus_.Address(), kControl);
        }
        return QDBusConnection(kControl);
    }
    // A call of the stand-in's control interface.
    QDBusMessage Ask(const QString& method, const QVariantList& arguments = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall("org.bluez", "/org/ms1/mock",
                                                           "org.ms1.MockBluez", method);
        call.setArguments(arguments);
        return Control().call(call, QDBus::Block, 5000);
    }
    QVariant First(const QString& method) {
        const QDBusMessage reply = Ask(method);
        return reply.arguments().isEmpty() ? QVariant() : reply.arguments().constFirst();
    }
    const QString& Address() const { return bus_.Address(); }

  private:
    static constexpr const char* kControl = "ms1-test-control";
    test::BusDaemon bus_;
    QProcess mock_;
    bool control_ = false;
};

}  // namespace ms1
