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
        pacer.Pause(20s);
    });
    pausing.get_future().wait();
    pacer.Interrupt();
    // Without the interruption this would take 20 s; the bound only keeps a broken build
    // from hanging the suite.
    ASSERT_EQ(pause.wait_for(10s), std::future_status::ready);

    auto later = std::async(std::launch::async, [&] { pacer.Pause(20s); });
    EXPECT_EQ(later.wait_for(10s), std::future_status::ready);
}

}  // namespace
}  // namespace ms1
