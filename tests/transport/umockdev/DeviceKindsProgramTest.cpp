// More devices than the one receiver on emulated kernel devices (umockdev): two receivers, a
// receiver whose first report is no status report, another product of the same maker and a
// node of 25 collections, for ms1ctl alone and for the running ms1 that they arrive at.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "tests/transport/umockdev/BedFixture.h"

namespace ms1 {
namespace {

using test::Bed;
using test::Plugs;
using test::Ran;

class DeviceKindsProgramTest : public test::BedTest {
  protected:
    void SetUp() override {
        BedTest::SetUp();
        WithoutBluetoothd();
    }
};

// Devices plugged in, and those of them that may be elected: exactly one of them takes the
// reports.
struct ElectionCase {
    const char* name;
    QStringList plugs;
    QList<int> elected;
};

const char kConnectedStatus[] =
    "link: 2.4 GHz receiver\nbattery: 80%\nstage: 2\npolling rate: 1000 Hz\n";

TEST_F(DeviceKindsProgramTest, StatusTellsWhichDevicesCarryTheMouse) {
    const struct {
        const char* name;
        QStringList plugs;
        int exitCode;
        const char* out;
        const char* err;
    } cases[] = {
        {"two receivers", {"receiver", "receiver"}, 0, kConnectedStatus, ""},
        {"another product of the maker beside the receiver",
         {"foreign", "receiver"},
         0,
         kConnectedStatus,
         ""},
        {"another product of the maker alone",
         {"foreign"},
         4,
         "",
         "ms1ctl status: no mouse connected (no 2.4 GHz receiver found)\n"},
        // Only the first report of a collection elects its receiver: one that first says
        // something else is plugged in, but its mouse is not heard until it is plugged again.
        {"a receiver whose first report is no status report",
         {"chatty"},
         4,
         "",
         "ms1ctl status: no mouse connected (the receiver did not hear from the mouse within "
         "3 s)\n"},
        {"that receiver beside a receiver", {"chatty", "receiver"}, 0, kConnectedStatus, ""},
        {"a node of 25 collections", {"wide"}, 0, kConnectedStatus, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Ran status = OnBed(Plugs(c.plugs), {Ms1Ctl(), "status"});
        EXPECT_EQ(status.exitCode, c.exitCode) << status.err.toStdString();
        EXPECT_EQ(status.out.toStdString(), c.out);
        EXPECT_EQ(status.err.toStdString(), c.err);
    }
}

// Every feature report of an apply goes to the elected receiver's node, byte for byte what
// `reports` prints, again only as a retry of the same bytes; the other devices take none.
TEST_F(DeviceKindsProgramTest, ApplyWritesOnlyToTheElectedReceiver) {
    const QString profile = DefaultProfile();
    const QStringList expected = Reports(profile);
    ASSERT_EQ(expected.size(), 5);
    const ElectionCase cases[] = {
        {"two receivers", {"receiver", "receiver"}, {1, 2}},
        {"another product of the maker first", {"foreign", "receiver"}, {2}},
        {"a receiver whose first report is no status report first", {"chatty", "receiver"}, {2}},
        {"a node of 25 collections", {"wide"}, {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bed bed(environment_);
        ASSERT_TRUE(bed.Start(Plugs(c.plugs), {Ms1Ctl(), "apply", profile}));
        const Ran apply = bed.Finish(false);
        EXPECT_EQ(apply.exitCode, 0) << apply.err.toStdString();
        int writtenTo = 0;
        for (int device = 1; device <= c.plugs.size(); ++device) {
            const QStringList features = bed.Features(device);
            if (features.isEmpty())
                continue;
            EXPECT_EQ(writtenTo, 0)
                << "devices " << writtenTo << " and " << device << " both took feature reports";
            writtenTo = device;
            EXPECT_TRUE(c.elected.contains(device)) << "device " << device << " was written";
            EXPECT_EQ(test::Once(test::TakenReports(features)).join('\n').toStdString(),
                      expected.join('\n').toStdString());
        }
        EXPECT_NE(writtenTo, 0) << "no device took the reports";
    }
}

// Devices that arrive while ms1 runs: one enumeration a second after the last of them. The
// program writes to the mouse on its connection, and what ms1ctl hands it after, through
// the elected receiver alone.
TEST_F(DeviceKindsProgramTest, TheRunningProgramWritesToTheReceiverThatArrivedAndNoOtherDevice) {
    const QString profile = DefaultProfile();
    const QStringList expected = Reports(profile);
    ASSERT_EQ(expected.size(), 5);
    const ElectionCase cases[] = {
        {"another product of the maker, then a receiver", {"foreign", "receiver"}, {2}},
        {"a receiver whose first report is no status report, then a receiver",
         {"chatty", "receiver"},
         {2}},
        {"two receivers", {"receiver", "receiver"}, {1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir runtime;
        ASSERT_TRUE(runtime.isValid());
        environment_.insert("XDG_RUNTIME_DIR", runtime.path());
        Bed bed(environment_);
        ASSERT_TRUE(StartProgram(bed, {}, files_.path()));
        for (const QString& kind : c.plugs)
            ASSERT_NE(bed.Plug(kind), 0) << kind.toStdString();

        int writtenTo = 0;
        ASSERT_TRUE(bed.WaitFor([&] {
            for (int device = 1; device <= c.plugs.size() && writtenTo == 0; ++device) {
                if (!bed.Features(device).isEmpty())
                    writtenTo = device;
            }
            return writtenTo != 0;
        })) << "the program wrote to no device";
        EXPECT_TRUE(c.elected.contains(writtenTo)) << "device " << writtenTo << " was written";
        // The mouse's battery came with the first report; whether its stage and rate came
        // before the status was asked is a matter of timing.
        const Ran status = RunMs1Ctl({"status"});
        EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
        EXPECT_TRUE(status.out.startsWith("link: 2.4 GHz receiver\nbattery: 80%\n"))
            << status.out.toStdString();

        const Ran apply = RunMs1Ctl({"apply", profile});
        EXPECT_EQ(apply.exitCode, 0) << apply.err.toStdString();
        // The reports after the program's own, a retry counted once.
        EXPECT_TRUE(bed.WaitFor([&] {
            const QStringList features = test::Once(test::TakenReports(bed.Features(writtenTo)));
            return features.size() >= expected.size() &&
                   features.mid(features.size() - expected.size()) == expected;
        })) << bed.Features(writtenTo).join('\n').toStdString();
        for (int device = 1; device <= c.plugs.size(); ++device) {
            if (device != writtenTo) {
                EXPECT_EQ(bed.Features(device).join('\n').toStdString(), "") << device;
            }
        }
        EXPECT_EQ(bed.Finish(true).exitCode, 0);
    }
}

}  // namespace
}  // namespace ms1
