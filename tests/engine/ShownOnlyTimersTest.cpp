// The charging sweep's timer does not run while the window is hidden, and picks up where it
// stands when the window shows; the other timers never wait.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "engine/ShownOnlyTimers.h"
#include "ports/WindowMessages.h"
#include "tests/support/WindowFakes.h"

namespace ms1 {
namespace {

constexpr int kSweep = TIMER_CHARGE_ANIMATION;
constexpr int kWatchdog = TIMER_WIRELESS_WATCHDOG;

struct Step {
    const char* what;  // "start ID MS", "kill ID", "hide", "show"
    int id = 0;
    int ms = 0;
};

struct Case {
    const char* name;
    std::vector<Step> steps;
    std::map<int, int> running;    // what the window's timers run at the end
    std::vector<int> seenRunning;  // what the decoding is told runs at the end
};

class ShownOnlyTimersTest : public ::testing::TestWithParam<Case> {};

TEST_P(ShownOnlyTimersTest, RunsWhatOnlyDrawsWhileTheWindowShows) {
    const Case& c = GetParam();
    test::FakeTimers window;
    ShownOnlyTimers timers(window, {kSweep});
    for (const Step& step : c.steps) {
        const std::string what = step.what;
        if (what == "start")
            timers.StartTimer(step.id, step.ms);
        else if (what == "kill")
            timers.KillTimer(step.id);
        else
            timers.SetShown(what == "show");
    }
    EXPECT_EQ(window.running, c.running);
    for (int id : {kSweep, kWatchdog}) {
        const bool seen = std::count(c.seenRunning.begin(), c.seenRunning.end(), id) != 0;
        EXPECT_EQ(timers.IsTimerRunning(id), seen) << "timer " << id;
    }
}

const Case kCases[] = {
    {"ShownRunsAtOnce", {{"start", kSweep, 30}}, {{kSweep, 30}}, {kSweep}},
    {"HiddenStopsTheSweep", {{"start", kSweep, 30}, {"hide"}}, {}, {kSweep}},
    {"ShownAgainStartsIt", {{"start", kSweep, 30}, {"hide"}, {"show"}}, {{kSweep, 30}}, {kSweep}},
    {"StartedWhileHiddenWaits", {{"hide"}, {"start", kSweep, 30}}, {}, {kSweep}},
    {"StartedWhileHiddenRunsOnShow",
     {{"hide"}, {"start", kSweep, 30}, {"show"}},
     {{kSweep, 30}},
     {kSweep}},
    {"KilledWhileHiddenStaysOff",
     {{"start", kSweep, 30}, {"hide"}, {"kill", kSweep}, {"show"}},
     {},
     {}},
    {"OtherTimersIgnoreTheWindow",
     {{"hide"}, {"start", kWatchdog, 6000}, {"show"}, {"hide"}},
     {{kWatchdog, 6000}},
     {kWatchdog}},
    {"HidingTwiceChangesNothing",
     {{"start", kSweep, 30}, {"hide"}, {"hide"}, {"show"}},
     {{kSweep, 30}},
     {kSweep}},
};

INSTANTIATE_TEST_SUITE_P(Window, ShownOnlyTimersTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ms1
