#include "platform/WorkerThread.h"

#include <gtest/gtest.h>

#include <future>
#include <vector>

namespace ms1 {
namespace {

TEST(WorkerThreadTest, RunsMessagesInOrderOnItsOwnThreadUntilQuit) {
    WorkerThread worker;
    std::vector<std::uint32_t> seen;
    std::thread::id workerId;
    std::promise<void> sawLast;
    ASSERT_TRUE(worker.Start([&](const ThreadMessage& message) {
        workerId = std::this_thread::get_id();
        seen.push_back(message.message + static_cast<std::uint32_t>(message.wParam) +
                       static_cast<std::uint32_t>(message.lParam));
        if (message.message == 1536 && message.wParam == 2) {
            sawLast.set_value();
        }
    }));
    EXPECT_FALSE(worker.Start([](const ThreadMessage&) {}));  // one loop per worker
    EXPECT_TRUE(worker.PostThreadMessage(1536, 0, 0));
    EXPECT_TRUE(worker.PostThreadMessage(1536, 1, 10));
    EXPECT_TRUE(worker.PostThreadMessage(1536, 2, 20));
    sawLast.get_future().wait();
    worker.Stop();

    EXPECT_EQ(seen, (std::vector<std::uint32_t>{1536, 1547, 1558}));
    EXPECT_NE(workerId, std::this_thread::get_id());
    EXPECT_FALSE(worker.IsRunning());
    // After the quit nothing more is accepted and nothing more runs.
    EXPECT_FALSE(worker.PostThreadMessage(1536, 3, 0));
    EXPECT_EQ(seen.size(), 3u);
}

TEST(WorkerThreadTest, QuitRunsWhatWasQueuedBeforeItAndNothingAfter) {
    WorkerThread worker;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<std::uintptr_t> seen;
    worker.Start([&](const ThreadMessage& message) {
        released.wait();  // holds the loop so the queue fills up behind it
        seen.push_back(message.wParam);
    });
    worker.PostThreadMessage(1536, 1, 0);
    worker.PostThreadMessage(1536, 2, 0);
    worker.PostThreadMessage(kThreadQuitMessage, 0, 0);
    EXPECT_FALSE(worker.PostThreadMessage(1536, 3, 0));
    release.set_value();
    worker.Stop();
    EXPECT_EQ(seen, (std::vector<std::uintptr_t>{1, 2}));
}

TEST(WorkerThreadTest, StopWithoutStartAndTwiceIsHarmless) {
    WorkerThread idle;
    idle.Stop();
    EXPECT_FALSE(idle.PostThreadMessage(1536, 0, 0));

    WorkerThread worker;
    worker.Start([](const ThreadMessage&) {});
    worker.Stop();
    worker.Stop();
    // A stopped worker can be started again (the page restarts nothing, but the engine may).
    EXPECT_TRUE(worker.Start([](const ThreadMessage&) {}));
    EXPECT_TRUE(worker.IsRunning());
}

}  // namespace
}  // namespace ms1
