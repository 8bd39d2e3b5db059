// ms1ctl as a process on emulated kernel devices (umockdev): the receiver is found by the real
// hidapi-hidraw in sysfs and the udev database, its /dev/hidraw3 opened and read, its feature
// reports taken by the test bed through HIDIOCSFEATURE, and its acknowledgements read from
// the node.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "tests/app/ProgramRun.h"
#include "tests/app/TestResources.h"
#include "tests/support/ReportBytes.h"

namespace ms1 {
namespace {

using test::Ran;

constexpr int kPatienceMs = 20000;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "ms1_umockdev_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

class ReceiverProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        if (QString(MS1_UMOCKDEV_WRAPPER).isEmpty() || QString(MS1_UMOCK_RECEIVER).isEmpty())
            GTEST_SKIP() << "umockdev is missing (scripts/setup installs umockdev and "
                            "libumockdev-dev): the receiver cannot be emulated";
        ASSERT_TRUE(files_.isValid() && runtime_.isValid());
        environment_ = QProcessEnvironment::systemEnvironment();
        // A runtime folder of its own: no running ms1 takes the command over.
        environment_.insert("XDG_RUNTIME_DIR", runtime_.path());
        environment_.insert("QT_QPA_PLATFORM", "offscreen");
    }

    QString Ms1Ctl() const { return ProgramFolder() + "/ms1ctl"; }

    // ms1ctl with the emulated receiver plugged in; bedOptions go to the test bed.
    Ran OnReceiver(const QStringList& bedOptions, const QStringList& command) {
        QStringList arguments{MS1_UMOCK_RECEIVER};
        arguments << bedOptions << "--" << command;
        return test::RunProgram(MS1_UMOCKDEV_WRAPPER, arguments, environment_, kPatienceMs);
    }

    QString DefaultProfile() {
        const QString file = files_.filePath("default.pro");
        const Ran exported = test::RunProgram(
            Ms1Ctl(), {"profile", "export", "Profile1", file, "--data", files_.path()},
            environment_, kPatienceMs);
        EXPECT_EQ(exported.exitCode, 0) << exported.err.toStdString();
        return file;
    }

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

    QTemporaryDir files_;
    QTemporaryDir runtime_;
    QProcessEnvironment environment_;
};

TEST_F(ReceiverProgramTest, StatusFindsTheReceiverThroughHidapiAndReadsTheMouseFromItsNode) {
    const Ran status = OnReceiver({}, {Ms1Ctl(), "status"});
    EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
    // The bed reports battery state 1 level 80, stage 1 and rate code 1 (1000 per second).
    EXPECT_EQ(status.out.toStdString(),
              "link: 2.4 GHz receiver\nbattery: 80%\nstage: 1\npolling rate: 1000 Hz\n");
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
        const Ran reports =
            test::RunProgram(Ms1Ctl(), {"reports", c.file}, environment_, kPatienceMs);
        ASSERT_EQ(reports.exitCode, 0) << reports.err.toStdString();
        const QStringList lines = reports.out.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), c.reports);
        QStringList expected;
        QStringList confirmed;
        for (const QString& line : lines) {
            expected << (line.startsWith("19 ") ? MacroPackets(line) : QStringList{line});
            confirmed << "0x" + line.left(2) + " confirmed after 1 attempt(s)";
        }

        const QString record = files_.filePath("received.txt");
        const Ran apply = OnReceiver({"--record", record}, {Ms1Ctl(), "apply", c.file});
        EXPECT_EQ(apply.exitCode, 0) << apply.err.toStdString();
        QFile received(record);
        ASSERT_TRUE(received.open(QIODevice::ReadOnly));
        // Each report once, in order: the acknowledgement ended its retries.
        EXPECT_EQ(QString::fromLatin1(received.readAll()).toStdString(),
                  (expected.join('\n') + '\n').toStdString());
        EXPECT_EQ(apply.out.toStdString(), (confirmed.join('\n') + '\n').toStdString());
    }
}

// The node belongs to root with mode 000. Root would open it anyway (the emulated node is a
// real file, and root may override its mode), so as root the command runs without the
// capabilities that override file modes, as a user without the udev rule would.
TEST_F(ReceiverProgramTest, ANodeTheUserMayNotOpenIsNamedWithItsPathAndTheHint) {
    QStringList asUser;
    if (::geteuid() == 0) {
        ASSERT_FALSE(QString(MS1_SETPRIV).isEmpty())
            << "running as root without setpriv (util-linux): the node's mode cannot hold";
        asUser << MS1_SETPRIV << "--bounding-set=-dac_override,-dac_read_search";
    }
    // The build's program folder carries the rule; a machine with the rule installed says
    // to plug the receiver in again instead.
    QString hint = "ms1ctl: install the udev rule that gives you access, once: sudo cp '" +
                   QFileInfo(ProgramFolder()).canonicalFilePath() +
                   "/res/70-ms1.rules' /etc/udev/rules.d/ && sudo udevadm control --reload && "
                   "sudo udevadm trigger\n";
    for (const char* folder : {"/etc/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"}) {
        if (QFileInfo(QString(folder) + "/70-ms1.rules").isFile())
            hint =
                "ms1ctl: the udev rule 70-ms1.rules is installed: unplug the receiver and plug "
                "it in again\n";
    }
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
        const Ran run =
            OnReceiver({"--node-mode", "000"}, asUser + (QStringList{Ms1Ctl()} + c.command));
        EXPECT_EQ(run.exitCode, 4) << run.err.toStdString();
        EXPECT_EQ(run.out.toStdString(), "");
        EXPECT_EQ(run.err.toStdString(), (c.err + hint).toStdString());
    }
}

}  // namespace
}  // namespace ms1
