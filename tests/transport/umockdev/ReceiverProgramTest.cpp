// ms1ctl as a process on emulated kernel devices (umockdev): the receiver is found by the real
// hidapi-hidraw in sysfs and the udev database, its /dev/hidraw3 opened and read, its feature
// reports taken by the test bed through HIDIOCSFEATURE, and its acknowledgements read from
// the node.
#include <gtest/gtest.h>

#include <QFile>

#include "tests/support/ReportBytes.h"
#include "tests/transport/umockdev/BedFixture.h"

namespace ms1 {
namespace {

using test::Ran;

class ReceiverProgramTest : public test::BedTest {
  protected:
    QString WriteProfile(const QString& name, const ProfileRecord& profile) {
        const QString file = files_.filePath(name);
        QFile out(file);
        const auto bytes = BytesOf(profile);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly) &&
                    out.write(reinterpret_cast<const char*>(bytes.data()),
                              static_cast<qint64>(bytes.size())) ==
                        static_cast<qint64>(bytes.size()));
        return file;
    }
};

TEST_F(ReceiverProgramTest, StatusFindsTheReceiverThroughHidapiAndReadsTheMouseFromItsNode) {
    const Ran status = OnBed({}, {Ms1Ctl(), "status"});
    EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
    // The bed reports battery state 1 level 80, stage 2 and rate code 1 (1000 per second).
    EXPECT_EQ(status.out.toStdString(),
              "link: 2.4 GHz receiver\nbattery: 80%\nstage: 2\npolling rate: 1000 Hz\n");
}

// The packets a macro page line of `reports` goes out as over the receiver: the 128 data
// bytes from byte 3 on, 60 to a packet after 19, the length (40, the last 0c), the page and
// the packet index; the last packet carries 8 data bytes and 52 zeros.
QStringList MacroPackets(const QString& page) {
    const QStringList bytes = page.split(' ');
    QStringList packets;
    for (int index = 0; index < 3; ++index) {
        QStringList packet{"19", index < 2 ? "40" : "0c", bytes[2], "0" + QString::number(index)};
        for (int i = 0; i < 60; ++i) {
            const int data = 60 * index + i;
            packet << (data < 128 ? bytes[3 + data] : "00");
        }
        packets << packet.join(' ');
    }
    return packets;
}

TEST_F(ReceiverProgramTest, ApplySendsWhatReportsPrintsByteForByteAndStopsAtEachAcknowledgement) {
    auto withMacro = test::DefaultProfile();
    test::SetMacro(withMacro->button[1], {test::Action(0x04, 1, 10), test::Action(0x04, 0, 20)});
    const struct {
        const char* name;
        QString file;
        int reports;
    } cases[] = {
        {"default profile", DefaultProfile(), 5},
        {"a macro on button 2", WriteProfile("macro.pro", *withMacro), 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Ran reports = RunMs1Ctl({"reports", c.file});
        ASSERT_EQ(reports.exitCode, 0) << reports.err.toStdString();
        const QStringList lines = reports.out.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), c.reports);
        QStringList expected;
        for (const QString& line : lines)
            expected << (line.startsWith("19 ") ? MacroPackets(line) : QStringList{line});

        const QString record = files_.filePath("received.txt");
        const Ran apply = OnBed({"--record", record}, {Ms1Ctl(), "apply", c.file});
        EXPECT_EQ(apply.exitCode, 0) << apply.err.toStdString();
        QFile received(record);
        ASSERT_TRUE(received.open(QIODevice::ReadOnly));
        // Each report in order, again only while its acknowledgement had not come (a loaded
        // machine may read one late), and as often as the program says it tried.
        const QList<test::Taken> taken = test::TakenReports(
            QString::fromLatin1(received.readAll()).split('\n', Qt::SkipEmptyParts));
        EXPECT_EQ(test::Once(taken).join('\n').toStdString(), expected.join('\n').toStdString());
        ASSERT_EQ(taken.size(), c.reports);
        for (const test::Taken& report : taken)
            EXPECT_LT(report.times, 10) << "the acknowledgement did not end the retries";
        EXPECT_EQ(apply.out.toStdString(), test::ConfirmedAfter(taken).toStdString());
    }
}

// The node belongs to root with mode 000. Root would open it anyway (the emulated node is a
// real file, and root may override its mode), so as root the command runs without the
// capabilities that override file modes, as a user without the udev rule would.
TEST_F(ReceiverProgramTest, ANodeTheUserMayNotOpenIsNamedWithItsPathAndTheHint) {
    QStringList asUser;
    ASSERT_NO_FATAL_FAILURE(AsUser(&asUser));
    const QString profile = DefaultProfile();
    const struct {
        QStringList command;
        QString err;
    } cases[] = {
        {{"status"}, "ms1ctl status: no mouse connected (permission denied on /dev/hidraw3)\n"},
        {{"apply", profile},
         "ms1ctl apply: no mouse connected (permission denied on /dev/hidraw3)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command.join(' ').toStdString());
        const Ran run = OnBed({"--node-mode", "000"}, asUser + (QStringList{Ms1Ctl()} + c.command));
        EXPECT_EQ(run.exitCode, 4) << run.err.toStdString();
        EXPECT_EQ(run.out.toStdString(), "");
        EXPECT_EQ(run.err.toStdString(), (c.err + UdevRuleHint()).toStdString());
    }
}

}  // namespace
}  // namespace ms1
