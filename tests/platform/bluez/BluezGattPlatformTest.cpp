// The BlueZ backend against a stand-in bluetoothd (mock_bluez.py) on a private dbus-daemon
// that the test starts and hands to the program as its system bus: the whole session over
// it, and the backend without bluetoothd, without a bus and with a bluetoothd that never
// answers.
#include "platform/bluez/BluezGattPlatform.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "cli/HeadlessHost.h"
#include "engine/DeviceSession.h"
#include "ports/WindowMessages.h"
#include "tests/engine/SessionFixture.h"
#include "tests/platform/bluez/PrivateBus.h"

namespace ms1 {
namespace {

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
        session->SetApplyListener(RecordResults());
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
    ASSERT_TRUE(PumpUntil([&] { return session->flags().bleConnected.load(); }));
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
    ASSERT_TRUE(PumpUntil([&] { return !session->flags().bleConnected.load(); }));
    EXPECT_FALSE(view.IsVisible("ms_1_BLE"));
    EXPECT_FALSE(session->flags().anyConnected.load());
    EXPECT_TRUE(session->ble()->Registrations().empty());
    privateBus.Ask("SetConnected", {true, false});
    ASSERT_TRUE(PumpUntil([&] { return session->flags().bleConnected.load(); }));

    // It goes with its services, as BlueZ usually has it, and comes back with them:
    // connected again once its write characteristic is there.
    privateBus.Ask("SetConnected", {false, true});
    ASSERT_TRUE(PumpUntil([&] { return !session->flags().bleConnected.load(); }));
    privateBus.Ask("SetConnected", {true, true});
    ASSERT_TRUE(PumpUntil([&] { return session->flags().bleConnected.load(); }));
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
            const QString why = privateBus.StartBluetoothd({"--silent"});
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
        EXPECT_FALSE(session->flags().bleConnected.load());
        EXPECT_FALSE(view.IsVisible("ms_1_BLE"));
        EXPECT_LT(longestGap, 1000) << "the window thread waited";
        // ms1ctl's reason asks about bluetoothd only here, where it does not answer.
        EXPECT_EQ(ConnectionOf(*session), Connection::kNoBleLink);
        // Without an answer each call gives up after 2 s: the look at start-up makes three.
        EXPECT_LT(elapsed.elapsed(), case_ == Bluetoothd::kSilent ? 8000 : 1500);
        EXPECT_FALSE(session->ble()->WriteCharacteristic(
            reinterpret_cast<const std::uint8_t*>("\x1c\x3c\x01"), 3));
        session->Stop();
        session.reset();
        bluez.reset();
    }
}

// bluetoothd answers and knows the mouse, but it is not connected: the mouse may still come,
// and ms1ctl's reason says that it did not, not that bluetoothd may be missing.
TEST_F(BluezSessionTest, APairedMouseThatIsAwayIsWaitedForAndNamed) {
    const QString why = privateBus.StartBluetoothd({"--mouse=paired"});
    ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    StartSession();
    ASSERT_TRUE(PumpUntil([&] { return StartUpDone(); }));
    EXPECT_EQ(session->ble()->startUpStage(), BleGattLink::StartUpStage::kNoWritableLink);
    EXPECT_TRUE(MayConnect(*session));
    EXPECT_EQ(ConnectionOf(*session), Connection::kBleNotConnected);
    // It connects: BlueZ's order, Connected, the objects, ServicesResolved.
    privateBus.Ask("ConnectLater", {0u});
    ASSERT_TRUE(PumpUntil([&] { return session->flags().bleConnected.load(); }));
    EXPECT_EQ(ConnectionOf(*session), Connection::kConnected);
}

}  // namespace
}  // namespace ms1
