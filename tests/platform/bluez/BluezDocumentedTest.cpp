// ms1ctl and the offscreen ms1, as real processes, against a stand-in bluetoothd written from
// BlueZ's documentation (python-dbusmock's bluez5 template with the GATT objects added): the
// order of BlueZ's signals, slow, busy and failed writes, a look at the tree never answered,
// bluetoothd leaving and coming back, and a second device with the same vendor service that
// is never written to.
#include <QDBusArgument>

#include "tests/platform/bluez/DocumentedBluetoothd.h"
#include "tests/platform/bluez/ProgramOnBus.h"

namespace ms1 {
namespace {

using test::Finish;
using test::Ran;

constexpr const char* kAnnouncedStatus =
    "link: Bluetooth LE\nbattery: 75%\nstage: 2\npolling rate: 1000 Hz\n";
constexpr const char* kAllSent =
    "0x1c sent\n0x14 sent\n0x15 sent\n0x16 skipped (not sent over Bluetooth LE)\n0x18 sent\n";
constexpr const char* kFirstFailed =
    "0x1c not sent\n0x14 sent\n0x15 sent\n0x16 skipped (not sent over Bluetooth LE)\n"
    "0x18 sent\n";
constexpr const char* kNoReceiver =
    "ms1ctl status: no mouse connected (no 2.4 GHz receiver found)\n";

// A call of the stand-in's controls: its name, what it is given.
struct Control {
    const char* method = nullptr;
    QVariantList arguments;
};

class BluezDocumentedTest : public ProgramOnBus {
  protected:
    void SetUp() override {
        const QString missing = DocumentedBluetoothd::Missing();
        if (!missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        ProgramOnBus::SetUp();
    }
    void TearDown() override {
        ProgramOnBus::TearDown();
        bluetoothd_.StopAll();
    }

    void StartBluetoothd(const char* mouse) {
        const QString why = bluetoothd_.Start(mouse);
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    }
    void Steer(const Control& control) {
        if (control.method == nullptr)
            return;
        const QDBusMessage reply = bluetoothd_.Ask(control.method, control.arguments);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }
    bool Notifying() { return bluetoothd_.First("Notifying").toBool(); }
    int Count(const char* method) { return bluetoothd_.First(method).toInt(); }
    // The reports the mouse's write characteristic took, by the id each one starts with.
    std::vector<int> Written() {
        std::vector<int> ids;
        const QDBusMessage reply = bluetoothd_.Ask("Written");
        if (reply.arguments().isEmpty())
            return ids;
        QList<QByteArray> values;
        reply.arguments().constFirst().value<QDBusArgument>() >> values;
        for (const QByteArray& value : values)
            ids.push_back(value.isEmpty() ? -1 : static_cast<std::uint8_t>(value.at(0)));
        return ids;
    }
    // The running program has subscribed and sent the profile it applies when a link comes up
    // (four reports over Bluetooth LE).
    bool Settled() { return Notifying() && Written().size() == 4; }
    // The program's status, through ms1ctl.
    void ExpectAnnouncedStatus() {
        const Ran status = Ms1Ctl({"status"});
        EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
        EXPECT_EQ(status.out.toStdString(), kAnnouncedStatus);
    }

    DocumentedBluetoothd bluetoothd_{bus_};
};

// ms1ctl alone: a paired mouse that connects a second after ms1ctl started (Connected, its GATT
// objects one by one, ServicesResolved), a connected one whose GATT objects arrive a second
// later, a bluetoothd that never answers GetManagedObjects, and only the second device there.
TEST_F(BluezDocumentedTest, Ms1ctlStatusFollowsBlueZ) {
    struct Row {
        const char* name;
        const char* mouse;
        Control control;
        bool before;  // the control before ms1ctl starts, else right after
        int exitCode;
        const char* out;
        const char* err;
    };
    const Row rows[] = {
        {"paired, connects a second later",
         "paired",
         {"Connect", {1000u}},
         false,
         0,
         kAnnouncedStatus,
         ""},
        {"GATT objects a second later",
         "bare",
         {"Connect", {1000u}},
         false,
         0,
         kAnnouncedStatus,
         ""},
        // Nothing tells of a Bluetooth LE mouse (hidapi lists none here).
        {"GetManagedObjects never answered",
         "connected",
         {"SilentObjects", {100u}},
         true,
         4,
         "",
         kNoReceiver},
        {"only the other device", "none", {}, false, 4, "", kNoReceiver},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        bluetoothd_.StopAll();
        StartBluetoothd(row.mouse);
        if (row.before)
            Steer(row.control);
        QProcess process;
        Start(process, {"status"});
        if (!row.before)
            Steer(row.control);
        const Ran status = Finish(process, kPatienceMs);
        EXPECT_EQ(status.exitCode, row.exitCode) << status.err.toStdString();
        EXPECT_EQ(status.out.toStdString(), row.out);
        EXPECT_EQ(status.err.toStdString(), row.err);
        EXPECT_EQ(Count("SecondWrites"), 0);
    }
}

// ms1ctl apply of the default profile, alone and forwarded to the running ms1: a write
// answered after 3 s, another write in flight (InProgress until it is done), a write the
// mouse answers with an error (org.bluez.Error.Failed). The second device is never written to.
TEST_F(BluezDocumentedTest, ApplyFollowsBlueZ) {
    const QString profile = DefaultProfile();
    struct Row {
        const char* name;
        bool running;  // forwarded to the running ms1
        Control control;
        int exitCode;
        const char* out;
        std::vector<int> written;  // the reports the mouse took, in order
        const char* answers;       // a count of the stand-in that must have grown
    };
    const std::vector<int> all = {0x1C, 0x14, 0x15, 0x18};  // 0x16 is not sent over the air
    const std::vector<int> allButFirst = {0x14, 0x15, 0x18};
    const Row rows[] = {
        {"answered after 3 s", false, {"SlowWrites", {3000u, 1u}}, 0, kAllSent, all, nullptr},
        {"another write in flight",
         false,
         {"ForeignWrite", {1500u}},
         0,
         kAllSent,
         all,
         "InProgressAnswers"},
        {"Failed", false, {"FailWrites", {1u}}, 1, kFirstFailed, allButFirst, "FailedAnswers"},
        {"answered after 3 s, ms1 running",
         true,
         {"SlowWrites", {3000u, 1u}},
         0,
         kAllSent,
         all,
         nullptr},
        {"Failed, ms1 running",
         true,
         {"FailWrites", {1u}},
         1,
         kFirstFailed,
         allButFirst,
         "FailedAnswers"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StopProgram();
        bluetoothd_.StopAll();
        StartBluetoothd("connected");
        std::size_t before = 0;
        if (row.running) {
            StartProgram();
            ASSERT_TRUE(WaitUntil([&] { return Settled(); })) << "never subscribed";
            before = Written().size();
        }
        Steer(row.control);
        const Ran applied = Ms1Ctl({"apply", profile});
        EXPECT_EQ(applied.exitCode, row.exitCode) << applied.err.toStdString();
        EXPECT_EQ(applied.out.toStdString(), row.out);
        const std::vector<int> written = Written();
        EXPECT_EQ(
            std::vector<int>(written.begin() + static_cast<std::ptrdiff_t>(before), written.end()),
            row.written);
        if (row.answers != nullptr) {
            EXPECT_GT(Count(row.answers), 0) << row.answers;
        }
        EXPECT_EQ(Count("SecondWrites"), 0) << "the other device was written to";
    }
}

// The running program finds the mouse however BlueZ brings it, subscribes, and ms1ctl's
// status carried out by the program shows the link: connected before the start, met for the
// first time while it runs (its ids set after Connected and ServicesResolved), its GATT objects
// arriving after the start, and with a look at BlueZ's tree that is never answered.
TEST_F(BluezDocumentedTest, TheRunningProgramFindsTheMouse) {
    struct Row {
        const char* name;
        const char* mouse;
        Control control;  // after the program started
    };
    const Row rows[] = {
        {"connected before the start", "connected", {}},
        {"ids set after ServicesResolved", "none", {"Pair", {0u}}},
        {"GATT objects after the start", "bare", {"Connect", {0u}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StopProgram();
        bluetoothd_.StopAll();
        StartBluetoothd(row.mouse);
        StartProgram();
        Steer(row.control);
        EXPECT_TRUE(WaitUntil([&] { return Notifying(); })) << "never subscribed";
        ExpectAnnouncedStatus();
    }
    // A look never answered changes nothing: the mouse stays, with its notifications.
    const int before = Count("ObjectsCalls");
    Steer({"SilentObjects", {1u}});
    Steer({"Touch", {}});
    ASSERT_TRUE(WaitUntil([&] { return Count("ObjectsCalls") > before; }));
    Steer({"Touch", {}});  // the next look comes once the silent one timed out
    ASSERT_TRUE(WaitUntil([&] { return Count("ObjectsCalls") > before + 1; }));
    EXPECT_TRUE(Notifying());
    ExpectAnnouncedStatus();
}

// bluetoothd leaves the bus and comes back while ms1 runs: the program finds the mouse on the
// new one and subscribes there, without a restart. It comes back with the mouse connected, or
// the mouse reconnects a moment later, or the name passes straight to a new bluetoothd.
TEST_F(BluezDocumentedTest, TheRunningProgramFindsTheMouseAfterBluetoothdCameBack) {
    struct Row {
        const char* name;
        bool leaveFirst;    // the old one leaves the bus before the new one comes
        const char* mouse;  // on the new one
        Control control;    // on the new one
    };
    const Row rows[] = {
        {"back with the mouse connected", true, "connected", {}},
        {"back, the mouse reconnects", true, "paired", {"Connect", {500u}}},
        {"the name passes to a new bluetoothd", false, "connected", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StopProgram();
        bluetoothd_.StopAll();
        StartBluetoothd("connected");
        StartProgram();
        ASSERT_TRUE(WaitUntil([&] { return Settled(); })) << "never subscribed";
        if (row.leaveFirst) {
            bluetoothd_.StopAll();
            const Ran away = Ms1Ctl({"status"});
            EXPECT_EQ(away.exitCode, 4) << away.out.toStdString();
        }
        StartBluetoothd(row.mouse);
        Steer(row.control);
        EXPECT_TRUE(WaitUntil([&] { return Notifying(); })) << "not subscribed on the new one";
        ExpectAnnouncedStatus();
    }
}

}  // namespace
}  // namespace ms1
