// The running ms1 (offscreen) through many plug and pull cycles of the emulated receiver,
// each pull in the middle of an apply ms1ctl handed it: it stays up, answers, keeps its
// memory flat and ends cleanly. It takes a few minutes (ctest label "soak").
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

#include "tests/app/ProgramRun.h"
#include "tests/app/TestResources.h"
#include "tests/transport/umockdev/ProgramOnBed.h"

namespace ms1 {
namespace {

using test::kBedPatienceMs;
using test::ProgramOnBed;
using test::Ran;

constexpr int kCycles = 50;
// Growth of the resident memory over all cycles that still counts as flat. Allocators keep
// some pages; a leak of the link's tables or readers per cycle would show well above this.
[[maybe_unused]] constexpr long kFlatKib = 10 * 1024;  // unused where LeakSanitizer judges

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "ms1_umockdev_soak_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

TEST(ReceiverSoak, FiftyPlugAndPullCyclesEachDuringAnApply) {
    App();
    if (QString(MS1_UMOCKDEV_WRAPPER).isEmpty() || QString(MS1_UMOCK_RECEIVER).isEmpty())
        GTEST_SKIP() << "umockdev is missing (scripts/setup installs umockdev and "
                        "libumockdev-dev): the receiver cannot be emulated";
    QTemporaryDir files;
    QTemporaryDir runtime;
    ASSERT_TRUE(files.isValid() && runtime.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    const QString ms1ctl = ProgramFolder() + "/ms1ctl";
    const QString profile = files.filePath("default.pro");
    const Ran exported =
        test::RunProgram(ms1ctl, {"profile", "export", "Profile1", profile, "--data", files.path()},
                         environment, kBedPatienceMs);
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    const Ran printed = test::RunProgram(ms1ctl, {"reports", profile}, environment, kBedPatienceMs);
    const QStringList reports = printed.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(reports.size(), 5) << printed.err.toStdString();
    const QString last = reports.last().left(2);

    ProgramOnBed program(environment, files.filePath("ms1.log"));
    ASSERT_TRUE(program.Start(files.filePath("data"))) << program.Log().toStdString();
    // Measured after the first cycle: the first connection draws the page and starts what
    // stays (some 16 MB), which is no growth.
    std::optional<long> before;

    // Three failed cycles end the soak: the program is then broken, not worn.
    int failures = 0;
    int cycles = 0;
    for (int cycle = 1; cycle <= kCycles && failures < 3; ++cycle) {
        cycles = cycle;
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        const QString device = QString::number(cycle);
        const QString plugged = program.Command("plug receiver", "plugged");
        // The page's own apply on the new connection, then one of ms1ctl pulled in its middle.
        const bool found = plugged.startsWith("plugged " + device + " ") &&
                           !program.WaitForLine("feature " + device + " " + last).isEmpty();
        QProcess apply;
        apply.setProcessEnvironment(environment);
        apply.start(ms1ctl, {"apply", profile});
        const bool sending = found && !program.WaitForLine("feature " + device + " ").isEmpty();
        const bool pulled = program.Command("pull " + device, "pulled") == "pulled " + device;
        const Ran answer = test::Finish(apply, kBedPatienceMs);
        const bool ended = answer.exitCode > 0 && answer.out.endsWith("0x" + last + " not sent\n");
        EXPECT_TRUE(found && sending && pulled && ended)
            << plugged.toStdString() << " / " << answer.exitCode << ": " << answer.out.toStdString()
            << answer.err.toStdString();
        if (!(found && sending && pulled && ended))
            ++failures;
        if (cycle == 1)
            before = program.ResidentKib();
    }
    ASSERT_TRUE(before.has_value());
    const std::optional<long> after = program.ResidentKib();
    ASSERT_TRUE(after.has_value()) << "the program is gone:\n" << program.Log().toStdString();

    const Ran status = test::RunProgram(ms1ctl, {"status"}, environment, kBedPatienceMs);
    EXPECT_EQ(status.exitCode, 4);
    EXPECT_EQ(status.err.toStdString(),
              "ms1ctl status: no mouse connected (no 2.4 GHz receiver found)\n");
    std::printf(
        "soak: %d cycles, %d failed, VmRSS %ld KiB after the first cycle, %ld KiB at the end, "
        "%s, %s, %d cores\n",
        cycles, failures, *before, *after,
        QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8().constData(),
        QSysInfo::prettyProductName().toUtf8().constData(), QThread::idealThreadCount());
#ifndef MS1_SANITIZED
    // Under AddressSanitizer freed memory waits in quarantine, so the resident size says
    // nothing there; LeakSanitizer looks at the end instead (a finding fails the exit code).
    EXPECT_LT(*after - *before, kFlatKib);
#endif
    EXPECT_EQ(cycles, kCycles);
    EXPECT_EQ(program.Terminate(), 0) << program.Log().toStdString();
}

}  // namespace
}  // namespace ms1
