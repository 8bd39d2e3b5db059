// The mouse on its cable through the vendor library beside the program (libhidapi_1.so over
// the real hidapi and a udev monitor), and the Bluetooth LE mouse's presence as hidapi sees
// it, on emulated kernel devices (umockdev); for ms1ctl alone and for the running ms1.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <functional>

#include "tests/app/ProgramRun.h"
#include "tests/app/TestResources.h"
#include "tests/transport/umockdev/ControlledBed.h"

namespace ms1 {
namespace {

using test::ControlledBed;
using test::Ran;

constexpr int kPatienceMs = ControlledBed::kPatienceMs;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "ms1_umockdev_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

class WiredAndBleProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        if (QString(MS1_UMOCKDEV_WRAPPER).isEmpty() || QString(MS1_UMOCK_RECEIVER).isEmpty())
            GTEST_SKIP() << "umockdev is missing (scripts/setup installs umockdev and "
                            "libumockdev-dev): the devices cannot be emulated";
        ASSERT_TRUE(QFileInfo::exists(ProgramFolder() + "/libhidapi_1.so"))
            << "the build puts the vendor library beside the program";
        ASSERT_TRUE(files_.isValid() && runtime_.isValid());
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert("XDG_RUNTIME_DIR", runtime_.path());
        environment_.insert("QT_QPA_PLATFORM", "offscreen");
        // A system bus without bluetoothd: nothing answers there.
        environment_.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + runtime_.filePath("no-bus"));
    }

    QString Ms1Ctl() const { return ProgramFolder() + "/ms1ctl"; }

    Ran RunMs1Ctl(const QStringList& arguments) {
        return test::RunProgram(Ms1Ctl(), arguments, environment_, kPatienceMs);
    }

    // ms1 under the bed with `plugs` plugged in, listening for ms1ctl.
    void StartProgram(ControlledBed& bed, const QStringList& plugs) {
        ASSERT_TRUE(
            bed.Start(plugs, {ProgramFolder() + "/ms1", "--data", files_.path()}, environment_));
        ASSERT_TRUE(test::WaitForProgramSocket(runtime_.path(), kPatienceMs))
            << "ms1 did not start listening";
    }

    // Asks the running ms1 for its status until `done` holds of the answer; the last answer.
    // A device's arrival announces itself to the program alone, so the test asks again.
    Ran StatusUntil(const std::function<bool(const Ran&)>& done) {
        const QDeadlineTimer deadline(kPatienceMs);
        Ran status;
        do {
            status = RunMs1Ctl({"status"});
        } while (!done(status) && !deadline.hasExpired());
        return status;
    }

    QString DefaultProfile() {
        const QString file = files_.filePath("default.pro");
        const Ran exported =
            RunMs1Ctl({"profile", "export", "Profile1", file, "--data", files_.path()});
        EXPECT_EQ(exported.exitCode, 0) << exported.err.toStdString();
        return file;
    }

    QStringList Reports(const QString& profile) {
        const Ran reports = RunMs1Ctl({"reports", profile});
        EXPECT_EQ(reports.exitCode, 0) << reports.err.toStdString();
        return reports.out.split('\n', Qt::SkipEmptyParts);
    }

    // The cable takes each report without an acknowledgement to wait for.
    static QString Sent(const QStringList& reports) {
        QStringList lines;
        for (const QString& report : reports)
            lines << "0x" + report.left(2) + " sent";
        return lines.join('\n') + '\n';
    }

    QTemporaryDir files_;
    QTemporaryDir runtime_;
    QProcessEnvironment environment_;
};

// The cable's heartbeat: stage 1, rate code 1, and a battery on the cable, which charges.
const char kWiredStatus[] = "link: wired\nbattery: charging\nstage: 1\npolling rate: 1000 Hz\n";
const char kNoReceiver[] = "ms1ctl status: no mouse connected (no 2.4 GHz receiver found)\n";

TEST_F(WiredAndBleProgramTest, Ms1CtlFindsTheCableThroughTheVendorLibrary) {
    const Ran status = test::RunProgram(
        MS1_UMOCKDEV_WRAPPER, {MS1_UMOCK_RECEIVER, "--plug", "cable", "--", Ms1Ctl(), "status"},
        environment_, kPatienceMs);
    EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
    EXPECT_EQ(status.out.toStdString(), kWiredStatus);

    const QString profile = DefaultProfile();
    const QStringList expected = Reports(profile);
    ASSERT_EQ(expected.size(), 5);
    // With a receiver plugged in too, the cable is the link the reports go over.
    ControlledBed bed;
    ASSERT_TRUE(bed.Start({"receiver", "cable"}, {Ms1Ctl(), "apply", profile}, environment_));
    const Ran apply = bed.Finish(false);
    EXPECT_EQ(apply.exitCode, 0) << apply.err.toStdString();
    EXPECT_EQ(bed.Features(1).join('\n').toStdString(), "");
    EXPECT_EQ(bed.Features(2).join('\n').toStdString(), expected.join('\n').toStdString());
    EXPECT_EQ(apply.err.toStdString(), Sent(expected).toStdString());
}

// The cable arrives at and leaves the running program: the library's monitor tells it
// (arrival and removal), its heartbeat is forwarded as the wired link's status, and an apply
// goes to the cable's feature collection.
TEST_F(WiredAndBleProgramTest, TheRunningProgramFollowsTheCable) {
    ControlledBed bed;
    StartProgram(bed, {});
    const Ran before = RunMs1Ctl({"status"});
    EXPECT_EQ(before.exitCode, 4);
    EXPECT_EQ(before.err.toStdString(), kNoReceiver);

    const int cable = bed.Plug("cable");
    ASSERT_EQ(cable, 1);
    const Ran plugged = StatusUntil([](const Ran& ran) { return ran.exitCode == 0; });
    EXPECT_EQ(plugged.exitCode, 0) << plugged.err.toStdString();
    EXPECT_EQ(plugged.out.toStdString(), kWiredStatus);

    // The program writes its profile to the mouse that arrived, then what ms1ctl hands it;
    // the bed tells each report as it takes it.
    const QString profile = DefaultProfile();
    const QStringList expected = Reports(profile);
    ASSERT_TRUE(bed.WaitForFeatures(cable, expected.size()));
    EXPECT_EQ(bed.Features(cable).join('\n').toStdString(), expected.join('\n').toStdString());
    const Ran apply = RunMs1Ctl({"apply", profile});
    EXPECT_EQ(apply.exitCode, 0) << apply.err.toStdString();
    EXPECT_EQ(apply.out.toStdString(), Sent(expected).toStdString());
    ASSERT_TRUE(bed.WaitForFeatures(cable, 2 * expected.size()));
    EXPECT_EQ(bed.Features(cable).mid(expected.size()).join('\n').toStdString(),
              expected.join('\n').toStdString());

    ASSERT_TRUE(bed.Pull(cable));
    const Ran pulled = StatusUntil([](const Ran& ran) { return ran.exitCode != 0; });
    EXPECT_EQ(pulled.exitCode, 4) << pulled.out.toStdString();
    EXPECT_EQ(pulled.err.toStdString(), kNoReceiver);

    const Ran ended = bed.Finish(true);
    EXPECT_EQ(ended.exitCode, 0) << ended.err.toStdString();
}

// hidapi sees the Bluetooth LE mouse (045E:A011 on bus 0005): without bluetoothd to ask, the
// answer names the missing GATT link instead of the missing receiver.
TEST_F(WiredAndBleProgramTest, TheBluetoothMouseSeenWithoutBluetoothdIsNamed) {
    const QString profile = DefaultProfile();
    const struct {
        const char* name;
        QStringList plugs;
        const char* why;
    } cases[] = {
        {"no device", {}, "no 2.4 GHz receiver found"},
        {"the Bluetooth LE mouse",
         {"ble"},
         "the Bluetooth LE mouse has no writable GATT link; is bluetoothd running?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QStringList& command : {QStringList{"status"}, QStringList{"apply", profile}}) {
            SCOPED_TRACE(command.first().toStdString());
            ControlledBed bed;
            ASSERT_TRUE(bed.Start(c.plugs, QStringList{Ms1Ctl()} + command, environment_));
            const Ran ran = bed.Finish(false);
            EXPECT_EQ(ran.exitCode, 4);
            EXPECT_EQ(ran.err.toStdString(),
                      ("ms1ctl " + command.first() + ": no mouse connected (" + c.why + ")\n")
                          .toStdString());
        }

        ControlledBed bed;
        StartProgram(bed, c.plugs);
        const Ran forwarded = RunMs1Ctl({"status"});
        EXPECT_EQ(forwarded.exitCode, 4);
        EXPECT_EQ(forwarded.err.toStdString(),
                  (QString("ms1ctl status: no mouse connected (") + c.why + ")\n").toStdString());
        EXPECT_EQ(bed.Finish(true).exitCode, 0);
    }
}

}  // namespace
}  // namespace ms1
