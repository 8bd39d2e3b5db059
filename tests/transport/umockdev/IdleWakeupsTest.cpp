// The running ms1 on the emulated receiver, plugged in and silent: its device threads (the
// receiver's readers and the wired library's monitor) sleep until something happens. Their
// wake-ups are counted as the kernel counts them, in /proc/PID/task/*/status.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QThread>

#include "tests/transport/umockdev/BedFixture.h"

namespace ms1 {
namespace {

using test::Bed;

// How long the silent program is watched.
constexpr int kWatchSeconds = 4;

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

class IdleWakeupsTest : public test::BedTest {
  protected:
    void SetUp() override {
        BedTest::SetUp();
        program_ = std::make_unique<Bed>(environment_, files_.filePath("ms1.log"));
    }
    void TearDown() override {
        if (HasFailure() && program_ != nullptr)
            std::fprintf(stderr, "the program said:\n%s\n", program_->Log().toUtf8().constData());
    }

    std::unique_ptr<Bed> program_;
};

TEST_F(IdleWakeupsTest, ASilentReceiversReadersWakeLessThanOnceASecond) {
    // The page applies its profile to a receiver that is found: the last of its reports is
    // the one to wait for.
    const QStringList reports = Reports(DefaultProfile());
    ASSERT_FALSE(reports.isEmpty());

    // The receiver reports its mouse once and then only answers the program's reports.
    ASSERT_TRUE(StartProgram(*program_, {"--heartbeat", "0"}, files_.filePath("data")));
    ASSERT_EQ(program_->Command("plug receiver", "plugged"), "plugged 1 /dev/hidraw3");
    ASSERT_FALSE(program_->WaitForLine("feature 1 " + reports.last().left(2)).isEmpty());
    const qint64 pid = program_->ProgramPid();
    ASSERT_NE(pid, 0);
    // The answers to the apply may still be on their way.
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
