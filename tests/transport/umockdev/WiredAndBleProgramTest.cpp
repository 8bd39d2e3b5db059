// The mouse on its cable through the vendor library beside the program (libhidapi_1.so over
// the real hidapi and a udev monitor), and the Bluetooth LE mouse's presence as hidapi sees
// it, on emulated kernel devices (umockdev); for ms1ctl alone and for the running ms1.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFileInfo>
#include <functional>

#include "tests/app/TestResources.h"
#include "tests/transport/umockdev/BedFixture.h"

namespace ms1 {
namespace {

using test::Bed;
using test::Plugs;
using test::Ran;

class WiredAndBleProgramTest : public test::BedTest {
  protected:
    void SetUp() override {
        BedTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(QFileInfo::exists(ProgramFolder() + "/libhidapi_1.so"))
            << "the build puts the vendor library beside the program";
        WithoutBluetoothd();
    }

    // Asks the running ms1 for its status until `done` holds of the answer; the last answer.
    // A device's arrival announces itself to the program alone, so the test asks again.
    Ran StatusUntil(const std::function<bool(const Ran&)>& done) {
        const QDeadlineTimer deadline(test::kBedPatienceMs);
        Ran status;
        do {
            status = RunMs1Ctl({"status"});
        } while (!done(status) && !deadline.hasExpired());
        return status;
    }

    // The cable takes each report without an acknowledgement to wait for.
    static QString Sent(const QStringList& reports) {
        QStringList lines;
        for (const QString& report : reports)
            lines << "0x" + report.left(2) + " sent";
        return lines.join('\n') + '\n';
    }
};

// The cable's heartbeat: stage 2, rate code 1, and a battery on the cable, which charges.
const char kWiredStatus[] = "link: wired\nbattery: charging\nstage: 2\npolling rate: 1000 Hz\n";
const char kNoReceiver[] = "ms1ctl status: no mouse connected (no 2.4 GHz receiver found)\n";

TEST_F(WiredAndBleProgramTest, Ms1CtlFindsTheCableThroughTheVendorLibrary) {
    const Ran status = OnBed(Plugs({"cable"}), {Ms1Ctl(), "status"});
    EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
    EXPECT_EQ(status.out.toStdString(), kWiredStatus);

    const QString profile = DefaultProfile();
    const QStringList expected = Reports(profile);
    ASSERT_EQ(expected.size(), 5);
    // With a receiver plugged in too, the cable is the link the reports go over.
    Bed bed(environment_);
    ASSERT_TRUE(bed.Start(Plugs({"receiver", "cable"}), {Ms1Ctl(), "apply", profile}));
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
    Bed bed(environment_);
    ASSERT_TRUE(StartProgram(bed, {}, files_.path())) << "ms1 did not start listening";
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
            Bed bed(environment_);
            ASSERT_TRUE(bed.Start(Plugs(c.plugs), QStringList{Ms1Ctl()} + command));
            const Ran ran = bed.Finish(false);
            EXPECT_EQ(ran.exitCode, 4);
            EXPECT_EQ(ran.err.toStdString(),
                      ("ms1ctl " + command.first() + ": no mouse connected (" + c.why + ")\n")
                          .toStdString());
        }

        Bed bed(environment_);
        ASSERT_TRUE(StartProgram(bed, Plugs(c.plugs), files_.path()))
            << "ms1 did not start listening";
        const Ran forwarded = RunMs1Ctl({"status"});
        EXPECT_EQ(forwarded.exitCode, 4);
        EXPECT_EQ(forwarded.err.toStdString(),
                  (QString("ms1ctl status: no mouse connected (") + c.why + ")\n").toStdString());
        EXPECT_EQ(bed.Finish(true).exitCode, 0);
    }
}

}  // namespace
}  // namespace ms1
