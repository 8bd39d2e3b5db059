#pragma once

// The stand-in bluetoothd written from BlueZ's documentation (bluez_documented.py, a
// python-dbusmock template) on a PrivateBus, steered through org.ms1.DocumentedBluez. More than
// one may run: a new one takes the name org.bluez over from the one before, as dbusmock does.
#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <memory>
#include <vector>

#include "tests/platform/bluez/PrivateBus.h"

namespace ms1 {

class DocumentedBluetoothd {
  public:
    explicit DocumentedBluetoothd(PrivateBus& bus) : bus_(bus) {}
    ~DocumentedBluetoothd() { StopAll(); }

    // Empty when python3-dbusmock can be used, else why not.
    static QString Missing() {
        if (QString(MS1_PYTHON3).isEmpty())
            return "python3 is not installed";
        QProcess probe;
        probe.start(MS1_PYTHON3, {"-c", "import dbusmock.templates.bluez5"});
        if (!probe.waitForFinished(kStartMs) || probe.exitCode() != 0)
            return "python3-dbusmock is not installed (Debian package python3-dbusmock)";
        return {};
    }

    // Starts one with the mouse in `mouse` (connected, paired, bare, none); empty once it
    // answers on the bus, else why not.
    QString Start(const QString& mouse) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS", bus_.Address());
        process->setProcessEnvironment(environment);
        process->setStandardOutputFile(QProcess::nullDevice());  // its log of every call
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(MS1_PYTHON3,
                       {"-m", "dbusmock", "--system", "--template", MS1_DOCUMENTED_BLUEZ,
                        "--parameters", QString("{\"mouse\": \"%1\"}").arg(mouse)});
        if (!process->waitForStarted(kStartMs))
            return "the stand-in bluetoothd did not start";
        QProcess* started = process.get();
        processes_.push_back(std::move(process));
        // The name is taken before the tree is made, and the one before may still answer:
        // ready once this process answers.
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < kStartMs) {
            if (started->state() == QProcess::NotRunning)
                return "the stand-in bluetoothd ended";
            if (First("Ready").toLongLong() == started->processId())
                return {};
            QThread::msleep(20);
        }
        return "the stand-in bluetoothd did not answer";
    }

    // The running ones leave the bus (killed, as a crashed bluetoothd would).
    void StopAll() {
        if (processes_.empty())
            return;
        for (auto& process : processes_) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(kStartMs);
            }
        }
        processes_.clear();
        QElapsedTimer waited;
        waited.start();
        while (bus_.Control().interface()->isServiceRegistered("org.bluez") &&
               waited.elapsed() < kStartMs) {
            QCoreApplication::processEvents();
            QThread::msleep(10);
        }
    }

    QDBusMessage Ask(const QString& method, const QVariantList& arguments = {}) {
        QDBusMessage call =
            QDBusMessage::createMethodCall("org.bluez", "/", "org.ms1.DocumentedBluez", method);
        call.setArguments(arguments);
        return bus_.Control().call(call, QDBus::Block, 5000);
    }
    QVariant First(const QString& method) {
        const QDBusMessage reply = Ask(method);
        return reply.arguments().isEmpty() ? QVariant() : reply.arguments().constFirst();
    }

  private:
    PrivateBus& bus_;
    std::vector<std::unique_ptr<QProcess>> processes_;
};

}  // namespace ms1
