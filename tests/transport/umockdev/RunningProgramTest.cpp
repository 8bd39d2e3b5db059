// The running ms1 (offscreen) on emulated kernel devices: it follows the receiver's uevents
// through its udev monitor, enumerates through the real hidapi-hidraw a second after an
// arrival, elects the receiver on its first status report and lets it go when it is pulled.
// Its state is asked with ms1ctl, whose status and apply the running program carries out.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "tests/app/ProgramRun.h"
#include "tests/app/TestResources.h"
#include "tests/transport/umockdev/ProgramOnBed.h"

namespace ms1 {
namespace {

using test::kBedPatienceMs;
using test::ProgramOnBed;
using test::Ran;

// The arrival timer runs 1000 ms; the bed says "plugged" after the uevents, so the time seen
// here is a little shorter than the program's (and a coarse timer may end a little early).
constexpr qint64 kArrivalDelayAtLeastMs = 900;

const char kNoReceiver[] = "ms1ctl status: no mouse connected (no 2.4 GHz receiver found)\n";

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "ms1_umockdev_program_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

class RunningProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        if (QString(MS1_UMOCKDEV_WRAPPER).isEmpty() || QString(MS1_UMOCK_RECEIVER).isEmpty())
            GTEST_SKIP() << "umockdev is missing (scripts/setup installs umockdev and "
                            "libumockdev-dev): the receiver cannot be emulated";
        ASSERT_TRUE(files_.isValid() && runtime_.isValid());
        environment_ = QProcessEnvironment::systemEnvironment();
        // A runtime folder of its own: ms1ctl reaches this program and no other.
        environment_.insert("XDG_RUNTIME_DIR", runtime_.path());
        environment_.insert("QT_QPA_PLATFORM", "offscreen");
        environment_.insert("QT_LOGGING_RULES", "ms1.debug=true");
        program_ = std::make_unique<ProgramOnBed>(environment_, files_.filePath("ms1.log"));
    }

    void TearDown() override {
        if (HasFailure() && program_ != nullptr)
            std::fprintf(stderr, "the program said:\n%s\n", program_->Log().toUtf8().constData());
    }

    // The default profile as a file, and the hex lines of the reports it goes out as.
    QString Profile(QStringList* reports) {
        const QString file = files_.filePath("default.pro");
        const Ran exported =
            test::RunProgram(ProgramFolder() + "/ms1ctl",
                             {"profile", "export", "Profile1", file, "--data", files_.path()},
                             environment_, kBedPatienceMs);
        EXPECT_EQ(exported.exitCode, 0) << exported.err.toStdString();
        const Ran printed = test::RunProgram(ProgramFolder() + "/ms1ctl", {"reports", file},
                                             environment_, kBedPatienceMs);
        EXPECT_EQ(printed.exitCode, 0) << printed.err.toStdString();
        *reports = printed.out.split('\n', Qt::SkipEmptyParts);
        return file;
    }

    QString Data() const { return files_.filePath("data"); }

    QTemporaryDir files_;
    QTemporaryDir runtime_;
    QProcessEnvironment environment_;
    std::unique_ptr<ProgramOnBed> program_;
};

TEST_F(RunningProgramTest, FollowsAReceiverPluggedInPulledDuringAnApplyAndPluggedInAgain) {
    QStringList reports;
    const QString profile = Profile(&reports);
    ASSERT_EQ(reports.size(), 5);
    // The page's own apply on a new connection ends with the last of these.
    const QString last = reports.last().left(2);
    ASSERT_TRUE(program_->Start(Data()));
    Ran status = program_->Ms1Ctl({"status"});
    EXPECT_EQ(status.exitCode, 4);
    EXPECT_EQ(status.err.toStdString(), kNoReceiver);

    // Plugged in after the start: found by the enumeration a second after the arrival and
    // elected on its first status report, which the apply the page had waiting shows.
    ASSERT_EQ(program_->Command("plug receiver", "plugged"), "plugged 1 /dev/hidraw3");
    QElapsedTimer sincePlugged;
    sincePlugged.start();
    ASSERT_EQ(program_->WaitForLine("feature 1 "), "feature 1 " + reports.first());
    EXPECT_GE(sincePlugged.elapsed(), kArrivalDelayAtLeastMs);
    ASSERT_FALSE(program_->WaitForLine("feature 1 " + last).isEmpty());

    // Pulled out while an apply of ms1ctl is under way: the apply ends at once, telling the
    // reports that did not go out.
    QProcess apply;
    apply.setProcessEnvironment(environment_);
    apply.start(ProgramFolder() + "/ms1ctl", {"apply", profile});
    ASSERT_EQ(program_->WaitForLine("feature 1 "), "feature 1 " + reports.first());
    ASSERT_EQ(program_->Command("pull 1", "pulled"), "pulled 1");
    const Ran pulled = test::Finish(apply, kBedPatienceMs);
    EXPECT_NE(pulled.exitCode, 0) << pulled.out.toStdString();
    // The first report may have been acknowledged before the pull or not; the last one
    // never went out.
    const QStringList answer = pulled.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(answer.size(), reports.size())
        << pulled.out.toStdString() << pulled.err.toStdString();
    const QRegularExpression outcome(
        "^0x(..) (confirmed after 1 attempt\\(s\\)|not confirmed after \\d+ attempt\\(s\\)|not "
        "sent)$");
    for (int i = 0; i < answer.size(); ++i) {
        const QRegularExpressionMatch line = outcome.match(answer[i]);
        EXPECT_TRUE(line.hasMatch()) << answer[i].toStdString();
        EXPECT_EQ(line.captured(1).toStdString(), reports[i].left(2).toStdString())
            << answer[i].toStdString();
    }
    EXPECT_EQ(answer.last().toStdString(), "0x" + last.toStdString() + " not sent");

    // The program then has no receiver, and says so.
    status = program_->Ms1Ctl({"status"});
    EXPECT_EQ(status.exitCode, 4);
    EXPECT_EQ(status.err.toStdString(), kNoReceiver);

    // Plugged in again, under a new sysfs path and node: it works.
    ASSERT_EQ(program_->Command("plug receiver", "plugged"), "plugged 2 /dev/hidraw4");
    ASSERT_FALSE(program_->WaitForLine("feature 2 " + last).isEmpty());
    const Ran applied = program_->Ms1Ctl({"apply", profile});
    EXPECT_EQ(applied.exitCode, 0) << applied.err.toStdString();
    QStringList confirmed;
    for (const QString& report : reports) {
        confirmed << "0x" + report.left(2) + " confirmed after 1 attempt(s)";
        EXPECT_EQ(program_->WaitForLine("feature 2 "), "feature 2 " + report);
    }
    EXPECT_EQ(applied.out.toStdString(), (confirmed.join('\n') + '\n').toStdString());

    EXPECT_EQ(program_->Terminate(), 0);
}

// The node belongs to root with mode 000. As root the program runs without the capabilities
// that override file modes, as a user without the udev rule would.
TEST_F(RunningProgramTest, ANodeTheUserMayNotOpenIsNamedWithItsPathAndTheHint) {
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
    const QString denied =
        "ms1ctl status: no mouse connected (permission denied on /dev/hidraw3)\n" + hint;
    const struct {
        const char* name;
        QStringList bedOptions;
        bool plugLater;
    } cases[] = {
        {"plugged in before the start", {"--plug", "receiver"}, false},
        {"plugged in while it runs", {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir runtime;
        environment_.insert("XDG_RUNTIME_DIR", runtime.path());
        program_ = std::make_unique<ProgramOnBed>(environment_, files_.filePath("ms1.log"));
        ASSERT_TRUE(
            program_->Start(Data(), c.bedOptions + QStringList{"--node-mode", "000"}, asUser));
        Ran status = program_->Ms1Ctl({"status"});
        if (c.plugLater) {
            EXPECT_EQ(status.err.toStdString(), kNoReceiver);
            ASSERT_EQ(program_->Command("plug receiver", "plugged"), "plugged 1 /dev/hidraw3");
            // Nothing tells from outside when the enumeration ran: asked until the answer
            // changes.
            QDeadlineTimer deadline(kBedPatienceMs);
            do {
                status = program_->Ms1Ctl({"status"});
            } while (status.err == kNoReceiver && !deadline.hasExpired());
        }
        EXPECT_EQ(status.exitCode, 4);
        EXPECT_EQ(status.out.toStdString(), "");
        EXPECT_EQ(status.err.toStdString(), denied.toStdString());
        EXPECT_EQ(program_->Terminate(), 0);
    }
}

}  // namespace
}  // namespace ms1
