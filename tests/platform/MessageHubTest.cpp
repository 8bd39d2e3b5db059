#include "platform/MessageHub.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QThread>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/TimerSet.h"
#include "ports/WindowHandle.h"
#include "ports/WindowMessages.h"
#include "tests/support/QtTestApp.h"

namespace ms1 {
namespace {

constexpr int kWaitMs = 5000;

TEST(MessageHubTest, PostsFromOtherThreadsArriveInOrderOnTheHubThread) {
    TestApp();
    MessageHub hub;
    std::vector<std::uintptr_t> seen;
    bool allOnHubThread = true;
    hub.SetHandler([&](const Message& message) {
        allOnHubThread = allOnHubThread && QThread::currentThread() == hub.thread();
        EXPECT_EQ(message.number, MSG_WIRED_DATA);
        seen.push_back(message.wParam);
        return true;
    });
    std::thread poster([&hub] {
        for (std::uintptr_t i = 0; i < 100; ++i) {
            hub.Post(MSG_WIRED_DATA, i, 0);
        }
    });
    poster.join();
    EXPECT_TRUE(seen.empty());  // nothing runs before the hub's thread handles its events
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() == 100; }, kWaitMs));
    for (std::uintptr_t i = 0; i < 100; ++i) {
        ASSERT_EQ(seen[i], i);
    }
    EXPECT_TRUE(allOnHubThread);
}

TEST(MessageHubTest, SendReturnsTheHandlersResultFromAnyThread) {
    TestApp();
    MessageHub hub;
    hub.SetHandler([&](const Message& message) {
        return message.number == MSG_ACTIVATE_INSTANCE && QThread::currentThread() == hub.thread();
    });
    EXPECT_TRUE(hub.Send({MSG_ACTIVATE_INSTANCE, 0, 0, {}}));
    EXPECT_FALSE(hub.Send({MSG_STAGE_CHANGED, 0, 0, {}}));

    std::atomic<bool> fromThread{false};
    std::thread sender([&] { fromThread = hub.Send({MSG_ACTIVATE_INSTANCE, 0, 0, {}}); });
    // The sender waits for this thread; run the event loop until it has been answered.
    ASSERT_TRUE(QTest::qWaitFor([&] { return fromThread.load(); }, kWaitMs));
    sender.join();
}

TEST(MessageHubTest, WindowHandlePostsThroughACStruct) {
    TestApp();
    MessageHub hub;
    std::vector<Message> seen;
    hub.SetHandler([&](const Message& message) {
        seen.push_back(message);
        return true;
    });
    Ms1WindowHandle handle = MakeWindowHandle(hub);
    std::thread library([&handle] {
        Ms1PostMessage(&handle, MSG_WIRED_STATE, 1, 0);
        Ms1PostMessage(&handle, MSG_HOOK_EVENT, 0x41, -1);
    });
    library.join();
    Ms1PostMessage(nullptr, MSG_WIRED_STATE, 0, 0);  // a null handle is ignored
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() == 2; }, kWaitMs));
    EXPECT_EQ(seen[0].number, 1540u);
    EXPECT_EQ(seen[0].wParam, 1u);
    EXPECT_EQ(seen[1].number, 1034u);
    EXPECT_EQ(seen[1].wParam, 0x41u);
    EXPECT_EQ(seen[1].lParam, -1);
}

TEST(TimerSetTest, TimersFireOnTheOwningThreadUntilKilled) {
    TestApp();
    TimerSet timers;
    std::vector<int> fired;
    timers.SetHandler([&](int id) {
        EXPECT_EQ(QThread::currentThread(), timers.thread());
        fired.push_back(id);
        if (id == TIMER_APPLY_DELAY) {
            timers.KillTimer(id);  // one-shot use, as the window's handlers do
        }
    });
    timers.StartTimer(TIMER_APPLY_DELAY, 1);
    timers.StartTimer(TIMER_CHARGE_ANIMATION, 1);
    EXPECT_TRUE(timers.IsTimerRunning(TIMER_APPLY_DELAY));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return std::count(fired.begin(), fired.end(), TIMER_CHARGE_ANIMATION) >= 3; },
        kWaitMs));
    // The periodic timer kept going; the one-shot fired once and stopped.
    EXPECT_EQ(std::count(fired.begin(), fired.end(), TIMER_APPLY_DELAY), 1);
    EXPECT_FALSE(timers.IsTimerRunning(TIMER_APPLY_DELAY));
    timers.KillTimer(TIMER_CHARGE_ANIMATION);
    EXPECT_FALSE(timers.IsTimerRunning(TIMER_CHARGE_ANIMATION));
    // A one-shot started after the kill fires; the killed periodic one does not come back.
    fired.clear();
    timers.StartTimer(TIMER_APPLY_DELAY, 5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fired.empty(); }, kWaitMs));
    EXPECT_EQ(fired, std::vector<int>{TIMER_APPLY_DELAY});
}

TEST(TimerSetTest, StartAndKillFromAnotherThreadAreCarriedOutOnTheOwningThread) {
    TestApp();
    TimerSet timers;
    std::vector<int> fired;
    timers.SetHandler([&](int id) {
        fired.push_back(id);
        timers.KillTimer(id);
    });
    std::thread worker([&timers] {
        timers.StartTimer(TIMER_WIRELESS_WATCHDOG, 60000);  // started, then killed: never fires
        timers.KillTimer(TIMER_WIRELESS_WATCHDOG);
        timers.StartTimer(TIMER_APPLY_DELAY, 1);
    });
    worker.join();
    EXPECT_TRUE(timers.IsTimerRunning(TIMER_APPLY_DELAY));
    EXPECT_FALSE(timers.IsTimerRunning(TIMER_WIRELESS_WATCHDOG));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fired.empty(); }, kWaitMs));
    EXPECT_EQ(fired, std::vector<int>{TIMER_APPLY_DELAY});

    // A restart from another thread replaces the period instead of adding a second timer.
    fired.clear();
    std::thread restarter([&timers] {
        timers.StartTimer(TIMER_PAGE_DEFERRED, 60000);
        timers.StartTimer(TIMER_PAGE_DEFERRED, 1);
    });
    restarter.join();
    // The second start's period counts: the timer fires long before the first one's minute.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fired.empty(); }, kWaitMs));
    EXPECT_EQ(fired, std::vector<int>{TIMER_PAGE_DEFERRED});
}

}  // namespace
}  // namespace ms1
