// The running ms1 (offscreen) through many plug and pull cycles of the emulated receiver,
// each pull in the middle of an apply ms1ctl handed it: it stays up, answers, keeps its
// memory flat and ends cleanly. It takes a few minutes (ctest label "soak").
#include <gtest/gtest.h>

#include <QDateTime>
#include <QProcess>
#include <QSysInfo>
#include <QThread>
#include <cstdio>

#include "tests/transport/umockdev/BedFixture.h"

namespace ms1 {
namespace {

using test::Bed;
using test::kBedPatienceMs;
using test::Ran;

constexpr int kCycles = 50;
// Growth of the resident memory over all cycles that still counts as flat. Allocators keep
// some pages; a leak of the link's tables or readers per cycle would show well above this.
[[maybe_unused]] constexpr long kFlatKib = 10 * 1024;  // unused where LeakSanitizer judges

class ReceiverSoak : public test::BedTest {};

TEST_F(ReceiverSoak, FiftyPlugAndPullCyclesEachDuringAnApply) {
    const QString profile = DefaultProfile();
    const QStringList reports = Reports(profile);
    ASSERT_EQ(reports.size(), 5);
    const QString last = reports.last().left(2);

    Bed program(environment_, files_.filePath("ms1.log"));
    ASSERT_TRUE(StartProgram(program, {}, files_.filePath("data"))) << program.Log().toStdString();
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
        apply.setProcessEnvironment(environment_);
        apply.start(Ms1Ctl(), {"apply", profile});
        // Its first report, not a retry of the page's last whose acknowledgement came late.
        const QString first = "feature " + device + " " + reports.first();
        const bool sending = found && program.WaitForLine(first) == first;
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

    const Ran status = RunMs1Ctl({"status"});
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
