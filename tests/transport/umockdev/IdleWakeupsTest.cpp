// The running ms1 on the emulated receiver, plugged in and silent: its device threads (the
// receiver's readers and the wired library's monitor) sleep until something happens. Their
// wake-ups are counted as the kernel counts them, in /proc/PID/task/*/status.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include "tests/app/ProgramRun.h"
#include "tests/app/TestResources.h"
#include "tests/transport/umockdev/ProgramOnBed.h"

namespace ms1 {
namespace {

using test::kBedPatienceMs;
using test::ProgramOnBed;
using test::Ran;

// How long the silent program is watched.
constexpr int kWatchSeconds = 4;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "ms1_umockdev_program_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

struct Wakeups {
    int threads = 0;  // of the device threads
    long switches = 0;
};

// The voluntary context switches (each one a sleep, so each wake-up after it one) of the
// program's threads whose name starts with `prefix`.
Wakeups CountWakeups(qint64 pid, const QByteArray& prefix) {
    Wakeups counted;
    const QString tasks = QString("/proc/%1/task").arg(pid);
    for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks + "/" + tid + "/comm");
        QFile status(tasks + "/" + tid + "/status");
        if (!comm.open(QIODevice::ReadOnly) || !status.open(QIODevice::ReadOnly) ||
            !comm.readAll().startsWith(prefix))
            continue;
        ++counted.threads;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:"))
                counted.switches += line.mid(24).trimmed().toLong();
        }
    }
    return counted;
}

class IdleWakeupsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        if (QString(MS1_UMOCKDEV_WRAPPER).isEmpty() || QString(MS1_UMOCK_RECEIVER).isEmpty())
            GTEST_SKIP() << "umockdev is missing (scripts/setup installs umockdev and "
                            "libumockdev-dev): the receiver cannot be emulated";
        ASSERT_TRUE(files_.isValid() && runtime_.isValid());
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert("XDG_RUNTIME_DIR", runtime_.path());
        environment_.insert("QT_QPA_PLATFORM", "offscreen");
        program_ = std::make_unique<ProgramOnBed>(environment_, files_.filePath("ms1.log"));
    }
    void TearDown() override {
        if (HasFailure() && program_ != nullptr)
            std::fprintf(stderr, "the program said:\n%s\n", program_->Log().toUtf8().constData());
    }

    QTemporaryDir files_;
    QTemporaryDir runtime_;
    QProcessEnvironment environment_;
    std::unique_ptr<ProgramOnBed> program_;
};

TEST_F(IdleWakeupsTest, ASilentReceiversReadersWakeLessThanOnceASecond) {
    // The page applies its profile to a receiver that is found: the last of its reports is
    // the one to wait for.
    const QString profile = files_.filePath("default.pro");
    const Ran exported =
        test::RunProgram(ProgramFolder() + "/ms1ctl",
                         {"profile", "export", "Profile1", profile, "--data", files_.path()},
                         environment_, kBedPatienceMs);
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    const Ran printed = test::RunProgram(ProgramFolder() + "/ms1ctl", {"reports", profile},
                                         environment_, kBedPatienceMs);
    const QStringList reports = printed.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(reports.isEmpty()) << printed.err.toStdString();

    ASSERT_TRUE(program_->Start(files_.filePath("data")));
    ASSERT_EQ(program_->Command("plug receiver", "plugged"), "plugged 1 /dev/hidraw3");
    ASSERT_FALSE(program_->WaitForLine("feature 1 " + reports.last().left(2)).isEmpty());
    const qint64 pid = program_->ProgramPid();
    ASSERT_NE(pid, 0);
    // The receiver answers the reports of the apply (the answers may still be on their way)
    // and then says nothing: the bed sends its status only until the first feature report.
    const Wakeups before = CountWakeups(pid, "ms1-hid-");
    ASSERT_GE(before.threads, 2) << "the receiver's reader and the wired library's monitor";
    QThread::sleep(kWatchSeconds);
    const Wakeups after = CountWakeups(pid, "ms1-hid-");
    ASSERT_EQ(after.threads, before.threads);
    // Less than one wake-up a second, besides at most two for each answer still on its way.
    const long answers = reports.size();
    EXPECT_LE(after.switches - before.switches, kWatchSeconds - 1 + 2 * answers)
        << "over " << kWatchSeconds << " s of " << after.threads << " threads";
}

}  // namespace
}  // namespace ms1
