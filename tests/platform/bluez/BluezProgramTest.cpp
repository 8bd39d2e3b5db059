// ms1ctl and the offscreen ms1, as real processes, against the stand-in bluetoothd on a private
// system bus: the mouse connecting late, its GATT objects coming late, a mouse paired while
// the program runs (Modalias last), slow and refused writes, the mouse leaving during an
// apply, and a bluetoothd that fails to list its objects.
#include "tests/platform/bluez/ProgramOnBus.h"

namespace ms1 {
namespace {

using test::Finish;
using test::Ran;

// The status of the mouse as the stand-in announces it once notifications run.
constexpr const char* kAnnouncedStatus =
    "link: Bluetooth LE\nbattery: 75%\nstage: 2\npolling rate: 1000 Hz\n";

class BluezProgramTest : public ProgramOnBus {
  protected:
    void StartBluetoothd(const QStringList& arguments) {
        const QString why = bus_.StartBluetoothd(arguments);
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    }
    bool Notifying() { return bus_.First("Notifying").toBool(); }
    int Count(const char* method) { return bus_.First(method).toInt(); }
};

// ms1ctl waits up to 3 s for a Bluetooth LE mouse that BlueZ knows: one that connects a
// second after ms1ctl started, one whose GATT objects arrive a second later, one that never
// connects (then it says so, and nothing of bluetoothd not running).
TEST_F(BluezProgramTest, Ms1ctlWaitsForTheMouseToConnect) {
    struct Row {
        const char* name;
        const char* mouse;
        const char* control;  // called on the stand-in right after ms1ctl started
        int exitCode;
        const char* out;
        const char* err;
    };
    const Row rows[] = {
        {"connects a second later", "--mouse=paired", "ConnectLater", 0, kAnnouncedStatus, ""},
        {"objects a second later", "--mouse=bare", "ConnectLater", 0, kAnnouncedStatus, ""},
        {"never connects", "--mouse=paired", nullptr, 4, "",
         "ms1ctl status: no mouse connected (the Bluetooth LE mouse did not connect with a "
         "writable GATT link within 3 s)\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        bus_.StopBluetoothd();
        StartBluetoothd({row.mouse, "--announce"});
        QProcess process;
        Start(process, {"status"});
        if (row.control != nullptr)
            bus_.Ask(row.control, {1000u});
        const Ran status = Finish(process, kPatienceMs);
        EXPECT_EQ(status.exitCode, row.exitCode) << status.err.toStdString();
        EXPECT_EQ(status.out.toStdString(), row.out);
        EXPECT_EQ(status.err.toStdString(), row.err);
    }
}

// Notifications that cannot be started: connected, but nothing reported; the battery is not
// the connection's "100%".
TEST_F(BluezProgramTest, Ms1ctlStatusWithoutNotificationsKnowsNoBattery) {
    StartBluetoothd({"--announce"});
    bus_.Ask("RefuseNotify", {true});
    const Ran status = Ms1Ctl({"status"});
    EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
    EXPECT_EQ(status.out.toStdString(),
              "link: Bluetooth LE\nbattery: unknown\nstage: unknown\npolling rate: unknown\n");
}

// ms1ctl apply of the default profile over BlueZ: a write answered after 3 s (the next one
// meanwhile would get InProgress), another program's write in flight, the mouse leaving
// after the first write.
TEST_F(BluezProgramTest, Ms1ctlApplyOverBlueZ) {
    const QString profile = DefaultProfile();
    const char* kAllSent =
        "0x1c sent\n0x14 sent\n0x15 sent\n0x16 skipped (not sent over Bluetooth LE)\n"
        "0x18 sent\n";
    struct Row {
        const char* name;
        const char* control;
        QVariantList arguments;
        int exitCode;
        const char* out;
    };
    const Row rows[] = {
        {"a write answered after 3 s", "SlowWrites", {3000u, 1u}, 0, kAllSent},
        {"another write in flight", "ForeignWrite", {1500u}, 0, kAllSent},
        {"the mouse leaves after one write",
         "DisconnectAfterWrites",
         {1},
         1,
         "0x1c sent\n0x14 not sent\n0x15 not sent\n0x16 skipped (not sent over Bluetooth LE)\n"
         "0x18 not sent\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        bus_.StopBluetoothd();
        StartBluetoothd({});
        bus_.Ask(row.control, row.arguments);
        const Ran applied = Ms1Ctl({"apply", profile});
        EXPECT_EQ(applied.exitCode, row.exitCode) << applied.err.toStdString();
        EXPECT_EQ(applied.out.toStdString(), row.out);
        if (std::string(row.control) == "ForeignWrite") {
            EXPECT_GT(Count("InProgressAnswers"), 0) << "the write in flight was not met";
        }
    }
}

// The running program recognises the mouse however BlueZ brings it: connected before the
// program started, paired while it runs (Modalias set last), or its write characteristic
// added to a service the program already knows. It subscribes, and ms1ctl's status carried
// out by the program shows the link.
TEST_F(BluezProgramTest, TheRunningProgramRecognisesTheMouse) {
    struct Row {
        const char* name;
        const char* mouse;
        const char* control;  // after the program started
    };
    const Row rows[] = {
        {"connected at start", "--mouse=connected", nullptr},
        {"paired while running", "--mouse=none", "PairLater"},
        {"write characteristic added later", "--mouse=nowrite", "AddWriteLater"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StopProgram();
        bus_.StopBluetoothd();
        StartBluetoothd({row.mouse, "--announce"});
        StartProgram();
        if (row.control != nullptr)
            bus_.Ask(row.control, {0u});
        EXPECT_TRUE(WaitUntil([&] { return Notifying(); })) << "never subscribed";
        const Ran status = Ms1Ctl({"status"});
        EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
        EXPECT_EQ(status.out.toStdString(), kAnnouncedStatus);
    }
}

// A look at BlueZ's tree that fails, or is never answered, changes nothing: the program keeps
// the mouse and its notifications.
TEST_F(BluezProgramTest, TheRunningProgramKeepsTheMouseWhenBlueZDoesNotAnswer) {
    for (const bool silent : {false, true}) {
        SCOPED_TRACE(silent ? "never answered" : "failed");
        StopProgram();
        bus_.StopBluetoothd();
        StartBluetoothd({"--announce"});
        StartProgram();
        ASSERT_TRUE(WaitUntil([&] { return Notifying(); }));
        const int before = Count("ObjectsCalls");
        bus_.Ask("FailObjects", {1, silent});
        bus_.Ask("Touch");
        ASSERT_TRUE(WaitUntil([&] { return Count("ObjectsCalls") > before; }));
        // The next look waits for the failed one to end: once it comes, that one is over.
        bus_.Ask("Touch");
        ASSERT_TRUE(WaitUntil([&] { return Count("ObjectsCalls") > before + 1; }));
        EXPECT_EQ(Count("StopNotifyCalls"), 0) << "the mouse was dropped";
        EXPECT_TRUE(Notifying());
        const Ran status = Ms1Ctl({"status"});
        EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
        EXPECT_EQ(status.out.toStdString(), kAnnouncedStatus);
    }
}

// ms1ctl's reason for a missing mouse is the same whether the running program answers or
// ms1ctl looks itself.
TEST_F(BluezProgramTest, TheRunningProgramGivesMs1ctlsReason) {
    StartBluetoothd({"--mouse=paired"});
    StartProgram();
    const Ran forwarded = Ms1Ctl({"status"});
    StopProgram();
    const Ran alone = Ms1Ctl({"status"});
    const std::string reason =
        "ms1ctl status: no mouse connected (the Bluetooth LE mouse did not connect with a "
        "writable GATT link within 3 s)\n";
    EXPECT_EQ(forwarded.exitCode, 4);
    EXPECT_EQ(forwarded.err.toStdString(), reason);
    EXPECT_EQ(alone.exitCode, 4);
    EXPECT_EQ(alone.err.toStdString(), reason);
}

}  // namespace
}  // namespace ms1
