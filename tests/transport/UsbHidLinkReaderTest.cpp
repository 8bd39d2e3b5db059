// The readers of the 2.4 GHz link sleep until their collection has a report or they are told
// to stop: a counting backend shows how often they read and wait.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/support/Recorded.h"
#include "tests/support/WindowFakes.h"
#include "transport/UsbHidLink.h"

namespace ms1 {
namespace {

using Report = std::vector<std::uint8_t>;
using Words = std::pair<std::uint16_t, std::uint16_t>;
using test::kPatience;

// One receiver node of an input and a feature collection. The test hands it reports; it
// counts the reads and waits of the reader and tells when the reader is asleep in a wait.
class CountingNode final : public HidApi {
  public:
    CountingNode() : readyFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~CountingNode() override { ::close(readyFd_); }

    int Init() override { return 0; }
    std::vector<HidDeviceInfo> Enumerate(std::uint16_t, std::uint16_t) override {
        return {Collection(kInputUsagePage, kInputUsage),
                Collection(kFeatureUsagePage, kFeatureUsage)};
    }
    HidHandle* OpenPath(const std::string&) override { return Open(); }
    HidHandle* OpenInputPath(const std::string&) override { return Open(); }
    HidWait WaitForInput(HidHandle*, int stopFd) override {
        {
            std::lock_guard lock(mutex_);
            ++waits_;
            asleep_ = true;
        }
        changed_.notify_all();
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {readyFd_, POLLIN, 0}};
        while (::poll(fds, 2, -1) < 0) {
        }
        std::lock_guard lock(mutex_);
        asleep_ = false;
        if (fds[0].revents != 0)
            return HidWait::kStopped;
        return HidWait::kReadable;
    }
    int SetNonblocking(HidHandle*, int) override { return 0; }
    int Read(HidHandle*, std::uint8_t* data, std::size_t length) override {
        std::lock_guard lock(mutex_);
        ++reads_;
        if (queue_.empty())
            return 0;
        const Report report = queue_.front();
        queue_.pop_front();
        if (queue_.empty()) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(readyFd_, &count, sizeof count);
        }
        const std::size_t n = std::min(length, report.size());
        std::copy(report.begin(), report.begin() + static_cast<std::ptrdiff_t>(n), data);
        return static_cast<int>(n);
    }
    int SendFeatureReport(HidHandle*, const std::uint8_t*, std::size_t length) override {
        return static_cast<int>(length);
    }
    void Close(HidHandle*) override {
        std::lock_guard lock(mutex_);
        --open_;
    }

    // Queues reports that the node hands out from now on.
    void Give(const std::vector<Report>& reports) {
        std::lock_guard lock(mutex_);
        queue_.insert(queue_.end(), reports.begin(), reports.end());
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(readyFd_, &one, sizeof one);
    }
    // True once the reader is asleep in its `waits`th wait (or a later one).
    bool WaitAsleep(int waits) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return asleep_ && waits_ >= waits; });
    }
    int Reads() const {
        std::lock_guard lock(mutex_);
        return reads_;
    }
    int Waits() const {
        std::lock_guard lock(mutex_);
        return waits_;
    }
    int OpenHandles() const {
        std::lock_guard lock(mutex_);
        return open_;
    }

  private:
    static HidDeviceInfo Collection(std::uint16_t page, std::uint16_t usage) {
        HidDeviceInfo info;
        info.path = "/dev/hidraw7";
        info.vendorId = kReceiverVendorId;
        info.productId = kReceiverProductId;
        info.usagePage = page;
        info.usage = usage;
        return info;
    }
    HidHandle* Open() {
        std::lock_guard lock(mutex_);
        ++open_;
        return reinterpret_cast<HidHandle*>(static_cast<std::uintptr_t>(open_ + 100 * ++opened_));
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int readyFd_;
    std::deque<Report> queue_;
    int reads_ = 0;
    int waits_ = 0;
    int open_ = 0;
    int opened_ = 0;
    bool asleep_ = false;
};

class Statuses final : public ReceiverStatusSink {
  public:
    void OnReceiverStatus(std::uint16_t a, std::uint16_t v) override {
        std::lock_guard lock(mutex_);
        words_.emplace_back(a, v);
    }
    std::vector<Words> Words_() const {
        std::lock_guard lock(mutex_);
        return words_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Words> words_;
};

struct NoView final : LinkView {
    void HideWirelessIndicator() override {}
    void RefreshLinkSections() override {}
};

struct Bench {
    CountingNode node;
    Statuses status;
    LinkFlags flags;
    NoView view;
    test::RecordingWindow window;
    test::FakeTimers timers;
    std::unique_ptr<UsbHidLink> link =
        std::make_unique<UsbHidLink>(UsbHidLink::Ports{node, status, flags, view, window, timers},
                                     [](const std::string&) { return std::string("8&2f1a3c&0"); });
};

// Status messages as the mouse sends them: battery 11 11 48 01 50, stage 11 11 22 03 00.
const Report kBattery = {0x11, 0x11, 0x48, 0x01, 0x50};
const Report kStage = {0x11, 0x11, 0x22, 0x03, 0x00};
const Report kRate = {0x11, 0x11, 0x33, 0x02, 0x00};

TEST(UsbHidLinkReaderTest, AReaderReadsOnlyWhenItsCollectionHasReports) {
    const struct {
        const char* name;
        std::vector<std::vector<Report>> batches;  // each handed in while the reader sleeps
        std::vector<Words> handedOn;
    } cases[] = {
        {"silent receiver", {}, {}},
        {"one report", {{kBattery}}, {{0x4811, 0x5001}}},
        {"three reports, one at a time",
         {{kBattery}, {kStage}, {kRate}},
         {{0x4811, 0x5001}, {0x2211, 0x0003}, {0x3311, 0x0002}}},
        {"three reports at once",
         {{kBattery, kStage, kRate}},
         {{0x4811, 0x5001}, {0x2211, 0x0003}, {0x3311, 0x0002}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bench bench;
        bench.link->EnumerateReceivers();
        ASSERT_TRUE(bench.node.WaitAsleep(1)) << "the reader sleeps in a wait";
        EXPECT_EQ(bench.node.Reads(), 0) << "nothing to read, nothing read";
        int reports = 0;
        int waits = 1;
        for (const auto& batch : c.batches) {
            bench.node.Give(batch);
            reports += static_cast<int>(batch.size());
            ASSERT_TRUE(bench.node.WaitAsleep(++waits)) << "asleep again after the batch";
        }
        // One wake-up per batch: each of its reports read, then one read that finds none.
        EXPECT_EQ(bench.node.Waits(), static_cast<int>(c.batches.size()) + 1);
        EXPECT_EQ(bench.node.Reads(), reports + static_cast<int>(c.batches.size()));
        EXPECT_EQ(bench.status.Words_(), c.handedOn) << "every report, in order";
        bench.link.reset();
        EXPECT_EQ(bench.node.OpenHandles(), 0);
    }
}

TEST(UsbHidLinkReaderTest, AStopEndsASleepingReader) {
    const struct {
        const char* name;
        std::function<void(UsbHidLink&)> stop;
    } cases[] = {
        {"stop of its slot", [](UsbHidLink& link) { link.StopReader(0); }},
        {"shutdown", [](UsbHidLink& link) { link.Shutdown(); }},
        {"enumeration", [](UsbHidLink& link) { link.EnumerateReceivers(); }},
        {"removal of its receiver",
         [](UsbHidLink& link) {
             link.OnReceiverRemoved(
                 DeviceEvent{"/dev/hidraw7", kReceiverVendorId, kReceiverProductId});
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bench bench;
        bench.link->EnumerateReceivers();
        ASSERT_TRUE(bench.node.WaitAsleep(1));
        // Waits on the join, so a reader that does not wake fails the test instead of
        // hanging it.
        std::packaged_task<void()> task([&] { c.stop(*bench.link); });
        std::future<void> done = task.get_future();
        std::thread stopper(std::move(task));
        if (done.wait_for(kPatience) != std::future_status::ready) {
            ADD_FAILURE() << "the reader did not end";
            std::_Exit(1);  // its reader still runs and nothing can end it
        }
        stopper.join();
        EXPECT_EQ(bench.node.Reads(), 0) << "a stop is no reason to read";
    }
}

}  // namespace
}  // namespace ms1
