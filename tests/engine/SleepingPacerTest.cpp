#include "engine/SleepingPacer.h"

#include <gtest/gtest.h>

#include <future>

namespace ms1 {
namespace {

using namespace std::chrono_literals;

// An apply still pausing when the program ends must not hold the exit for its retries.
TEST(SleepingPacer, InterruptEndsAPauseInProgressAndEveryLaterOne) {
    SleepingPacer pacer;
    std::promise<void> pausing;
    auto pause = std::async(std::launch::async, [&] {
        pausing.set_value();
        return pacer.Pause(20s);
    });
    pausing.get_future().wait();
    pacer.Interrupt();
    // Without the interruption this would take 20 s; the bound only keeps a broken build
    // from hanging the suite.
    ASSERT_EQ(pause.wait_for(10s), std::future_status::ready);
    EXPECT_FALSE(pause.get()) << "a cut pause tells the sender to stop";

    auto later = std::async(std::launch::async, [&] { return pacer.Pause(20s); });
    ASSERT_EQ(later.wait_for(10s), std::future_status::ready);
    EXPECT_FALSE(later.get());
}

TEST(SleepingPacer, APauseThatRanItsTimeSaysSo) {
    SleepingPacer pacer;
    EXPECT_TRUE(pacer.Pause(1ms));
}

}  // namespace
}  // namespace ms1
