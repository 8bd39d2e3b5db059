// The running ms1 (offscreen) on emulated kernel devices: it follows the receiver's uevents
// through its udev monitor, enumerates through the real hidapi-hidraw a second after an
// arrival, elects the receiver on its first status report and lets it go when it is pulled.
// Its state is asked with ms1ctl, whose status and apply the running program carries out.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "tests/app/TestResources.h"
#include "tests/transport/umockdev/BedFixture.h"

namespace ms1 {
namespace {

using test::Bed;
using test::kBedPatienceMs;
using test::Ran;

// The arrival timer runs 1000 ms; the bed says "plugged" after the uevents, so the time seen
// here is a little shorter than the program's (and a coarse timer may end a little early).
constexpr qint64 kArrivalDelayAtLeastMs = 900;

const char kNoReceiver[] = "ms1ctl status: no mouse connected (no 2.4 GHz receiver found)\n";

class RunningProgramTest : public test::BedTest {
  protected:
    void SetUp() override {
        BedTest::SetUp();
        environment_.insert("QT_LOGGING_RULES", "ms1.debug=true");
        program_ = std::make_unique<Bed>(environment_, files_.filePath("ms1.log"));
    }

    void TearDown() override {
        if (HasFailure() && program_ != nullptr)
            std::fprintf(stderr, "the program said:\n%s\n", program_->Log().toUtf8().constData());
    }

    // The default profile as a file, and the hex lines of the reports it goes out as.
    QString Profile(QStringList* reports) {
        const QString file = DefaultProfile();
        *reports = Reports(file);
        return file;
    }

    QString Data() const { return files_.filePath("data"); }

    std::unique_ptr<Bed> program_;
};

TEST_F(RunningProgramTest, FollowsAReceiverPluggedInPulledDuringAnApplyAndPluggedInAgain) {
    QStringList reports;
    const QString profile = Profile(&reports);
    ASSERT_EQ(reports.size(), 5);
    // The page's own apply on a new connection ends with the last of these.
    const QString last = reports.last().left(2);
    ASSERT_TRUE(StartProgram(*program_, {}, Data()));
    Ran status = RunMs1Ctl({"status"});
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
    // reports that did not go out. (The page's last report may go out again before: a
    // retry when its acknowledgement was read late.)
    QProcess apply;
    apply.setProcessEnvironment(environment_);
    apply.start(Ms1Ctl(), {"apply", profile});
    ASSERT_EQ(program_->WaitForLine("feature 1 " + reports.first()),
              "feature 1 " + reports.first());
    ASSERT_EQ(program_->Command("pull 1", "pulled"), "pulled 1");
    const Ran pulled = test::Finish(apply, kBedPatienceMs);
    EXPECT_NE(pulled.exitCode, 0) << pulled.out.toStdString();
    // The first report may have been acknowledged before the pull or not; the last one
    // never went out.
    const QStringList answer = pulled.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(answer.size(), reports.size())
        << pulled.out.toStdString() << pulled.err.toStdString();
    const QRegularExpression outcome(
        "^0x(..) (confirmed after \\d+ attempt\\(s\\)|not confirmed after \\d+ attempt\\(s\\)|not "
        "sent)$");
    for (int i = 0; i < answer.size(); ++i) {
        const QRegularExpressionMatch line = outcome.match(answer[i]);
        EXPECT_TRUE(line.hasMatch()) << answer[i].toStdString();
        EXPECT_EQ(line.captured(1).toStdString(), reports[i].left(2).toStdString())
            << answer[i].toStdString();
    }
    EXPECT_EQ(answer.last().toStdString(), "0x" + last.toStdString() + " not sent");

    // The program then has no receiver, and says so.
    status = RunMs1Ctl({"status"});
    EXPECT_EQ(status.exitCode, 4);
    EXPECT_EQ(status.err.toStdString(), kNoReceiver);

    // Plugged in again, under a new sysfs path and node: it works.
    ASSERT_EQ(program_->Command("plug receiver", "plugged"), "plugged 2 /dev/hidraw4");
    ASSERT_FALSE(program_->WaitForLine("feature 2 " + last).isEmpty());
    const Ran applied = RunMs1Ctl({"apply", profile});
    EXPECT_EQ(applied.exitCode, 0) << applied.err.toStdString();
    // After the page's own apply, each report in order, again only as a retry of the same
    // bytes, as often as the program says it tried.
    QList<test::Taken> taken;
    program_->WaitFor([&] {
        const QList<test::Taken> all = test::TakenReports(program_->Features(2));
        taken = all.mid(std::max<qsizetype>(0, all.size() - reports.size()));
        return all.size() > reports.size() && test::ConfirmedAfter(taken) == applied.out;
    });
    EXPECT_EQ(test::Once(taken).join('\n').toStdString(), reports.join('\n').toStdString());
    for (const test::Taken& report : taken)
        EXPECT_LT(report.times, 10) << "the acknowledgement did not end the retries";
    EXPECT_EQ(applied.out.toStdString(), test::ConfirmedAfter(taken).toStdString());

    EXPECT_EQ(program_->Terminate(), 0);
}

// The receiver keeps reporting its mouse after the program wrote to it, as a receiver does: the
// program's watchdog (6 s without a status report) does not take the mouse away while it
// sits there. Seven seconds pass with nothing to wait for but the watchdog's silence.
TEST_F(RunningProgramTest, TheReceiverStaysConnectedPastTheWatchdogAfterTheProgramWroteToIt) {
    QStringList reports;
    Profile(&reports);
    ASSERT_EQ(reports.size(), 5);
    ASSERT_TRUE(StartProgram(*program_, test::Plugs({"receiver"}), Data()));
    ASSERT_FALSE(program_->WaitForLine("feature 1 " + reports.last().left(2)).isEmpty());
    // Past the watchdog, nothing new goes out; on a loaded machine a late acknowledgement may
    // still bring the last report again, the same bytes.
    const QDeadlineTimer watch(7000);
    while (!watch.hasExpired()) {
        const int left = static_cast<int>(std::max<qint64>(1, watch.remainingTime()));
        const QString line = program_->WaitForLine("feature 1 ", left);
        if (line.isEmpty())
            break;
        EXPECT_EQ(line, "feature 1 " + reports.last()) << "the program wrote again";
    }
    const Ran status = RunMs1Ctl({"status"});
    EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
    EXPECT_EQ(status.out.toStdString(),
              "link: 2.4 GHz receiver\nbattery: 80%\nstage: 2\npolling rate: 1000 Hz\n");
    EXPECT_EQ(program_->Terminate(), 0);
}

// The node belongs to root with mode 000. As root the program runs without the capabilities
// that override file modes, as a user without the udev rule would.
TEST_F(RunningProgramTest, ANodeTheUserMayNotOpenIsNamedWithItsPathAndTheHint) {
    QStringList asUser;
    ASSERT_NO_FATAL_FAILURE(AsUser(&asUser));
    const QString denied =
        "ms1ctl status: no mouse connected (permission denied on /dev/hidraw3)\n" + UdevRuleHint();
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
        program_ = std::make_unique<Bed>(environment_, files_.filePath("ms1.log"));
        ASSERT_TRUE(program_->Start(c.bedOptions + QStringList{"--node-mode", "000"},
                                    asUser + Ms1(Data())));
        ASSERT_TRUE(test::WaitForProgramSocket(runtime.path()));
        Ran status = RunMs1Ctl({"status"});
        if (c.plugLater) {
            EXPECT_EQ(status.err.toStdString(), kNoReceiver);
            ASSERT_EQ(program_->Command("plug receiver", "plugged"), "plugged 1 /dev/hidraw3");
            // Nothing tells from outside when the enumeration ran: asked until the answer
            // changes.
            QDeadlineTimer deadline(kBedPatienceMs);
            do {
                status = RunMs1Ctl({"status"});
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
