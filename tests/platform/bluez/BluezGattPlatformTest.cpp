// The BlueZ backend against a stand-in bluetoothd (mock_bluez.py) on a private dbus-daemon
// that the test starts and hands to the program as its system bus: the whole session over
// it, and the backend without bluetoothd, without a bus and with a bluetoothd that never
// answers.
#include "platform/bluez/BluezGattPlatform.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "engine/DeviceSession.h"
#include "platform/WindowMessages.h"
#include "tests/engine/SessionFixture.h"

namespace ms1 {
namespace {

constexpr int kStartMs = 10000;

// A dbus-daemon of our own, and on it, when asked, the stand-in bluetoothd.
class PrivateBus {
  public:
    ~PrivateBus() {
        for (QProcess* process : {&mock_, &daemon_}) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(kStartMs);
            }
        }
        if (control_)
            QDBusConnection::disconnectFromBus(kControl);
    }

    // Empty when it started, else why not.
    QString Start() {
        if (QString(MS1_DBUS_DAEMON).isEmpty())
            return "dbus-daemon is not installed (Debian package dbus-daemon)";
        const QString config = dir_.filePath("bus.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return "no bus configuration";
        file.write(QStringLiteral(
                       "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                       "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/"
                       "busconfig.dtd\">\n<busconfig><type>system</type>"
                       "<listen>unix:path=%1</listen><auth>EXTERNAL</auth>"
                       "<policy context=\"default\"><allow send_destination=\"*\" "
                       "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                       "</policy></busconfig>\n")
                       .arg(dir_.filePath("bus"))
                       .toUtf8());
        file.close();
        daemon_.start(MS1_DBUS_DAEMON, {"--config-file=" + config, "--nofork", "--print-address"});
        if (!daemon_.waitForStarted(kStartMs) || !daemon_.waitForReadyRead(kStartMs))
            return "dbus-daemon did not start";
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        return address_.isEmpty() ? "dbus-daemon gave no address" : QString();
    }

    QString StartBluetoothd(bool silent = false) {
        if (QString(MS1_PYTHON3).isEmpty())
            return "python3 is not installed";
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS", address_);
        mock_.setProcessEnvironment(environment);
        mock_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList arguments{MS1_MOCK_BLUEZ};
        if (silent)
            arguments << "--silent";
        mock_.start(MS1_PYTHON3, arguments);
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

    QDBusConnection Control() {
        if (!control_) {
            control_ = true;
            QDBusConnection::connectToBus(address_, kControl);
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
    const QString& Address() const { return address_; }

  private:
    static constexpr const char* kControl = "ms1-test-control";
    QTemporaryDir dir_;
    QProcess daemon_;
    QProcess mock_;
    QString address_;
    bool control_ = false;
};

class BluezSessionTest : public DeviceSessionTest {
  protected:
    void SetUp() override {
        DeviceSessionTest::SetUp();
        const QString why = privateBus.Start();
        if (!why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", privateBus.Address().toUtf8());
    }
    void TearDown() override {
        if (session)
            session->Stop();
        session.reset();
        bluez.reset();
        qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }
    // The session with the BlueZ backend; the HID enumeration has seen the mouse.
    void StartSession() {
        bus = std::make_unique<sim::VirtualHidBus>(clock);
        bluez = std::make_unique<BluezGattPlatform>();
        DeviceSession::Ports ports{*bus, profiles, view, applyView, window, &pacer};
        ports.gatt = bluez.get();
        session = std::make_unique<DeviceSession>(ports);
        session->SetApplyListener([this](const ApplyResult& result) {
            std::lock_guard lock(resultMutex);
            results.push_back(result);
        });
        session->Start(true);
    }
    bool StartUpDone() {
        return session->ble()->startUpStage() != BleGattLink::StartUpStage::kPending;
    }
    bool Asked(const char* method) { return privateBus.First(method).toBool(); }
    std::string Power() { return view.text["ms_1_label_power"]; }

    PrivateBus privateBus;
    std::unique_ptr<BluezGattPlatform> bluez;
};

TEST_F(BluezSessionTest, TheMouseOverBlueZ) {
    const QString why = privateBus.StartBluetoothd();
    ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    StartSession();
    ASSERT_TRUE(PumpUntil([&] { return session->flags().bleConnected.load() == 1; }));
    EXPECT_TRUE(view.IsVisible("ms_1_BLE"));
    EXPECT_EQ(Power(), "100%");

    // Subscription: StartNotify on the notify characteristic, through the stand-in
    // configuration descriptor; the real descriptor beside it is read, not written.
    session->OnTimer(TIMER_BLE_DISCOVERY);
    ASSERT_TRUE(PumpUntil([&] { return Asked("Notifying"); }));
    EXPECT_EQ(privateBus.First("DescriptorReads").toInt(), 1);
    ASSERT_TRUE(PumpUntil([&] { return session->ble()->Registrations().size() == 1; }));

    // A notification of the battery reaches the decoding: on battery, 75 %.
    EXPECT_TRUE(privateBus.Ask("Notify", {QByteArray("\x11\x48\x01\x4B", 4)})
                    .arguments()
                    .value(0)
                    .toBool());
    ASSERT_TRUE(PumpUntil([&] { return Power() == "75%"; }));

    // A change is written with WriteValue, type "request": the lighting report whole.
    {
        auto lock = profiles.Lock();
        profiles.working->lightOffTimer = 2;
    }
    session->RequestApply();
    const ApplyResult applied = NextApply();
    ASSERT_EQ(applied.reports.size(), 1u);
    EXPECT_TRUE(applied.reports[0].outcome.confirmed);
    const QDBusMessage written = privateBus.Ask("Written");
    ASSERT_EQ(written.arguments().size(), 1);
    const auto values = qdbus_cast<QList<QByteArray>>(written.arguments().constFirst());
    ASSERT_EQ(values.size(), 1);
    const QByteArray report = values.constFirst();
    ASSERT_EQ(report.size(), 60);
    EXPECT_EQ(report.left(11).toHex(' ').toStdString(), "15 3c 01 70 03 a8 00 ff 00 02 04");
    EXPECT_EQ(report.mid(11, 2).toHex(' ').toStdString(), "02 20");
    EXPECT_EQ(privateBus.First("WriteTypes").toStringList(), QStringList{"request"});
    EXPECT_EQ(privateBus.First("KeyboardWrites").toInt(), 0);

    // A refused write is a report the mouse did not take.
    privateBus.Ask("Refuse", {true});
    {
        auto lock = profiles.Lock();
        profiles.working->lightOffTimer = 3;
    }
    session->RequestApply();
    const ApplyResult refused = NextApply();
    ASSERT_EQ(refused.reports.size(), 1u);
    EXPECT_FALSE(refused.reports[0].outcome.confirmed);
    privateBus.Ask("Refuse", {false});

    // The mouse goes, its services still listed (cached): only Connected tells.
    privateBus.Ask("SetConnected", {false, false});
    ASSERT_TRUE(PumpUntil([&] { return session->flags().bleConnected.load() == 0; }));
    EXPECT_FALSE(view.IsVisible("ms_1_BLE"));
    EXPECT_EQ(session->flags().anyConnected.load(), 0);
    EXPECT_TRUE(session->ble()->Registrations().empty());
    privateBus.Ask("SetConnected", {true, false});
    ASSERT_TRUE(PumpUntil([&] { return session->flags().bleConnected.load() == 1; }));

    // It goes with its services, as BlueZ usually has it, and comes back with them:
    // connected again once its write characteristic is there.
    privateBus.Ask("SetConnected", {false, true});
    ASSERT_TRUE(PumpUntil([&] { return session->flags().bleConnected.load() == 0; }));
    privateBus.Ask("SetConnected", {true, true});
    ASSERT_TRUE(PumpUntil([&] { return session->flags().bleConnected.load() == 1; }));
    EXPECT_TRUE(view.IsVisible("ms_1_BLE"));
}

// Nothing on the bus answers, or there is no bus: no device, and the window thread never
// waits. A bluetoothd that never answers costs the worker its 2 s per call, nothing more.
TEST_F(BluezSessionTest, WithoutBluetoothdNothingConnectsAndNothingHangs) {
    enum class Bluetoothd { kMissing, kNoBus, kSilent };
    for (Bluetoothd case_ : {Bluetoothd::kMissing, Bluetoothd::kNoBus, Bluetoothd::kSilent}) {
        SCOPED_TRACE(static_cast<int>(case_));
        if (case_ == Bluetoothd::kNoBus)
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/ms1-no-bus");
        if (case_ == Bluetoothd::kSilent) {
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", privateBus.Address().toUtf8());
            const QString why = privateBus.StartBluetoothd(/*silent=*/true);
            ASSERT_TRUE(why.isEmpty()) << why.toStdString();
        }
        QElapsedTimer elapsed;
        elapsed.start();
        StartSession();
        // The window thread stays free: a timer of 50 ms fires on time while the worker asks.
        qint64 longestGap = 0;
        qint64 last = elapsed.elapsed();
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, elapsed.elapsed() - last);
            last = elapsed.elapsed();
        });
        tick.start(50);
        ASSERT_TRUE(PumpUntil([&] { return StartUpDone(); }));
        EXPECT_EQ(session->ble()->startUpStage(), BleGattLink::StartUpStage::kNoWritableLink);
        EXPECT_EQ(session->flags().bleConnected.load(), 0);
        EXPECT_FALSE(view.IsVisible("ms_1_BLE"));
        EXPECT_LT(longestGap, 1000) << "the window thread waited";
        // Without an answer each call gives up after 2 s: the look at start-up makes three.
        EXPECT_LT(elapsed.elapsed(), case_ == Bluetoothd::kSilent ? 8000 : 1500);
        EXPECT_FALSE(session->ble()->WriteCharacteristic(
            reinterpret_cast<const std::uint8_t*>("\x1c\x3c\x01"), 3));
        session->Stop();
        session.reset();
        bluez.reset();
    }
}

}  // namespace
}  // namespace ms1
