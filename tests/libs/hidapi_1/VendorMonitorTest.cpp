#include "libs/hidapi_1/VendorMonitor.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <thread>

#include "tests/support/Recorded.h"

namespace ms1::vendorhid {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kVid = 0x1D57;
constexpr std::uint16_t kPid = 0xA011;

// A wired mouse that can be plugged and unplugged, with an input collection that delivers
// what the test queues (or, endlessly, one report) and a feature collection that keeps what
// was sent.
class FakeDevice final : public DeviceAccess {
  public:
    FakeDevice() {
        int fds[2];
        EXPECT_EQ(pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
        changesRead_ = fds[0];
        changesWrite_ = fds[1];
    }
    ~FakeDevice() override {
        close(changesRead_);
        close(changesWrite_);
        close(readyFd_);
    }
    // The input collection gets a descriptor, readable while a report waits (as a hidraw
    // node is), instead of reads that wait out their timeout.
    void GiveDescriptor() { descriptor_ = true; }

    // The mouse with both collections of one device, and a second device of other ids.
    void Plug(bool plugged) {
        {
            std::lock_guard lock(mutex_);
            collections_.clear();
            if (plugged) {
                collections_ = {{"/dev/hidraw7", 0xFF01, 1, "usb1/1-2"},
                                {"/dev/hidraw8", 0xFF02, 2, "usb1/1-2"}};
            }
        }
        Nudge();
    }
    // The device goes without a change event of its own (its "remove" came while it was still
    // listed); its input collection hangs up, as a pulled node does, or says nothing.
    void Vanish(bool hangUp) {
        {
            std::lock_guard lock(mutex_);
            collections_.clear();
        }
        const std::uint64_t one = 1;
        if (hangUp) {
            EXPECT_EQ(write(readyFd_, &one, sizeof one), 8);
        }
    }
    // A change event that changes nothing, as udev sends for other devices.
    void Nudge() {
        const char change = 1;
        EXPECT_EQ(write(changesWrite_, &change, 1), 1);
    }
    // How often the change events were taken. A look at the changes ends the previous one,
    // with all it posted.
    std::size_t ChangesTaken() const { return taken_.Size(); }
    bool WaitForChangesTaken(std::size_t count) const { return taken_.WaitForSize(count); }
    std::size_t Enumerations() const { return enumerated_.Size(); }
    bool WaitForEnumerations(std::size_t count) const { return enumerated_.WaitForSize(count); }
    void Queue(const Bytes& report) {
        std::lock_guard lock(mutex_);
        input_.push_back(report);
        const std::uint64_t one = 1;
        EXPECT_EQ(write(readyFd_, &one, sizeof one), 8);
    }
    int Reads() {
        std::lock_guard lock(mutex_);
        return reads_;
    }
    void Flood(bool on) { flood_ = on; }
    // While held, a read gives nothing and lasts its whole timeout, unless let go before.
    void HoldReads(bool hold) {
        {
            std::lock_guard lock(mutex_);
            hold_ = hold;
        }
        letGo_.notify_all();
    }
    bool WaitForHeldRead() const { return held_.WaitForSize(1); }
    void FailSends(bool fail) { failSends_ = fail; }
    std::vector<Bytes> Sent() {
        std::lock_guard lock(mutex_);
        return sent_;
    }
    int OpenHandles() {
        std::lock_guard lock(mutex_);
        return static_cast<int>(open_.size());
    }

    std::vector<Collection> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override {
        std::lock_guard lock(mutex_);
        enumerated_.Add(true);
        if (vendorId != kVid || productId != kPid)
            return {};
        return collections_;
    }
    Handle Open(const std::string& path) override {
        std::lock_guard lock(mutex_);
        for (const Collection& collection : collections_) {
            if (collection.path == path) {
                auto* handle = new int(next_++);
                open_[handle] = path;
                return handle;
            }
        }
        return nullptr;
    }
    int InputFd(Handle) override { return descriptor_ ? readyFd_ : -1; }
    int Read(Handle device, std::uint8_t* data, std::size_t length, int timeoutMs) override {
        {
            std::unique_lock lock(mutex_);
            ++reads_;
            if (open_.count(device) == 0 || collections_.empty())
                return -1;
            if (hold_) {
                held_.Add(true);
                letGo_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !hold_; });
                return 0;
            }
            Bytes report;
            if (flood_) {
                report = {0x11, 0x11, 0x18, 0x02, 0x00};
            } else if (!input_.empty()) {
                report = input_.front();
                input_.pop_front();
                std::uint64_t count = 0;
                if (input_.empty()) {
                    EXPECT_EQ(read(readyFd_, &count, sizeof count), 8);
                }
            }
            if (!report.empty()) {
                const std::size_t n = std::min(length, report.size());
                std::copy_n(report.begin(), n, data);
                return static_cast<int>(n);
            }
        }
        // Nothing came: the read waits out its timeout, as the device's would.
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return 0;
    }
    int SendFeature(Handle device, const std::uint8_t* data, std::size_t length) override {
        std::lock_guard lock(mutex_);
        if (failSends_ || open_.count(device) == 0)
            return -1;
        sent_.emplace_back(data, data + length);
        return static_cast<int>(length);
    }
    void Close(Handle device) override {
        std::lock_guard lock(mutex_);
        open_.erase(device);
        delete static_cast<int*>(device);
    }
    int ChangesFd() override { return changesRead_; }
    void TakeChanges() override {
        char buffer[16];
        while (read(changesRead_, buffer, sizeof buffer) > 0) {
        }
        taken_.Add(true);
    }

  private:
    std::mutex mutex_;
    std::vector<Collection> collections_;
    std::deque<Bytes> input_;
    std::vector<Bytes> sent_;
    std::map<Handle, std::string> open_;
    test::Recorded<bool> taken_;
    test::Recorded<bool> enumerated_;
    test::Recorded<bool> held_;
    std::condition_variable letGo_;
    bool hold_ = false;
    std::atomic<bool> flood_{false};
    std::atomic<bool> failSends_{false};
    int next_ = 1;
    int changesRead_ = -1;
    int changesWrite_ = -1;
    int readyFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    bool descriptor_ = false;
    int reads_ = 0;
};

struct Posted {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    bool operator==(const Posted&) const = default;
};

// The window the library posts to.
struct Window {
    static void Post(void* context, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) {
        static_cast<Window*>(context)->posted.Add({message, wParam, lParam});
    }
    std::vector<Posted> Messages() const { return posted.All(); }
    bool WaitFor(std::size_t count) const { return posted.WaitForSize(count); }
    Ms1WindowHandle Handle() { return {this, &Window::Post}; }

    test::Recorded<Posted> posted;
};

int ThreadCount() {
    int count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks))
            count += entry->d_name[0] != '.';
        closedir(tasks);
    }
    return count;
}

class VendorMonitorTest : public ::testing::Test {
  protected:
    void Open() {
        monitor.SetIds(kVid, kPid);
        const Ms1WindowHandle handle = window.Handle();
        ASSERT_EQ(monitor.OpenMonitor(&handle, 1539, 1540), 1);
    }
    FakeDevice device;
    Window window;
    VendorMonitor monitor{device};
};

// Plug, reports, unplug: one arrival and one removal for the device (not one per
// collection), and each status report as A and V of its bytes 1..2 and 3..4.
TEST_F(VendorMonitorTest, PostsArrivalReportsAndRemovalOncePerDevice) {
    Open();
    device.Plug(true);
    ASSERT_TRUE(window.WaitFor(1));
    device.Queue({0x11, 0x11, 0x48, 0x03, 0x50});  // battery: charging, 80
    device.Queue({0x22, 0x01, 0x02, 0x03, 0x04});  // not a status report
    device.Queue({0x11, 0x11});                    // too short
    device.Queue({0x11, 0x11, 0x18, 0x02, 0x00});  // stage 2
    ASSERT_TRUE(window.WaitFor(3));
    device.Plug(false);
    ASSERT_TRUE(window.WaitFor(4));
    // Nothing else follows: once the monitor takes the next change event, its look at the
    // removal is over, with everything it posted for it.
    const std::size_t looks = device.ChangesTaken();
    device.Nudge();
    ASSERT_TRUE(device.WaitForChangesTaken(looks + 1));
    const std::vector<Posted> expected = {
        {1540, 1, 0}, {1539, 0x4811, 0x5003}, {1539, 0x1811, 0x0002}, {1540, 0, 0}};
    EXPECT_EQ(window.Messages(), expected);
    monitor.CloseMonitor();
    EXPECT_EQ(device.OpenHandles(), 0);
}

// A device already there when watching starts is not announced: the caller opens it.
TEST_F(VendorMonitorTest, ADevicePresentAtTheStartIsReadButNotAnnounced) {
    device.Plug(true);
    device.TakeChanges();
    Open();
    device.Queue({0x11, 0x11, 0x28, 0x01, 0x00});
    ASSERT_TRUE(window.WaitFor(1));
    EXPECT_EQ(window.Messages(), (std::vector<Posted>{{1539, 0x2811, 0x0001}}));
}

TEST_F(VendorMonitorTest, FeatureReportsGoToTheFeatureCollectionOnly) {
    monitor.SetIds(kVid, kPid);
    const Bytes report = {0x15, 0x3C, 0x01, 0x10};
    EXPECT_EQ(monitor.SetFeature(report.data(), report.size()), 0) << "nothing open yet";
    EXPECT_EQ(monitor.OpenFeature(), 0) << "no device";
    device.Plug(true);
    EXPECT_EQ(monitor.OpenFeature(), 1);
    EXPECT_EQ(monitor.OpenFeature(), 1) << "a second open keeps the first";
    EXPECT_EQ(device.OpenHandles(), 1);
    EXPECT_EQ(monitor.SetFeature(report.data(), report.size()), 1);
    EXPECT_EQ(device.Sent(), std::vector<Bytes>{report});
    device.FailSends(true);
    EXPECT_EQ(monitor.SetFeature(report.data(), report.size()), 0);
    monitor.CloseFeature();
    monitor.CloseFeature();
    EXPECT_EQ(device.OpenHandles(), 0);
    device.FailSends(false);
    EXPECT_EQ(monitor.SetFeature(report.data(), report.size()), 0) << "closed";
}

// Closing while the mouse floods reports ends the thread at once, and nothing is posted
// after the call returned. Any order of calls is harmless.
TEST_F(VendorMonitorTest, ClosingWhileReportsKeepComingLeavesNothingBehind) {
    monitor.CloseMonitor();  // before anything was opened
    const int threadsBefore = ThreadCount();
    device.Plug(true);
    device.TakeChanges();
    device.Flood(true);
    Open();
    Open();  // a second start does nothing
    ASSERT_TRUE(window.WaitFor(20));
    // Closed while the thread waits in a read: the call returns only once the thread is gone,
    // so nothing can come later.
    device.HoldReads(true);
    ASSERT_TRUE(device.WaitForHeldRead());
    monitor.CloseMonitor();
    const std::size_t postedAtClose = window.Messages().size();
    EXPECT_EQ(ThreadCount(), threadsBefore);
    device.HoldReads(false);
    EXPECT_EQ(window.Messages().size(), postedAtClose);
    EXPECT_EQ(device.OpenHandles(), 0);
    monitor.CloseMonitor();
}

// With a descriptor to sleep on, the thread reads only when a report waits: one read per
// report, none while the mouse is silent, however often other devices come and go.
TEST_F(VendorMonitorTest, WithADescriptorTheMonitorReadsOnlyWhatCame) {
    const struct {
        const char* name;
        std::vector<std::vector<Bytes>> batches;  // each queued once the one before is posted
    } cases[] = {
        {"silent mouse", {}},
        {"one report", {{{0x11, 0x11, 0x48, 0x03, 0x50}}}},
        {"reports one at a time",
         {{{0x11, 0x11, 0x48, 0x03, 0x50}}, {{0x11, 0x11, 0x18, 0x02, 0x00}}}},
        {"reports at once", {{{0x11, 0x11, 0x48, 0x03, 0x50}, {0x11, 0x11, 0x18, 0x02, 0x00}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDevice device;
        Window window;
        VendorMonitor monitor{device};
        device.GiveDescriptor();
        device.Plug(true);
        device.TakeChanges();
        monitor.SetIds(kVid, kPid);
        const Ms1WindowHandle handle = window.Handle();
        ASSERT_EQ(monitor.OpenMonitor(&handle, 1539, 1540), 1);
        std::size_t reports = 0;
        for (const auto& batch : c.batches) {
            for (const Bytes& report : batch)
                device.Queue(report);
            reports += batch.size();
            ASSERT_TRUE(window.WaitFor(reports));
        }
        // Two more looks at the changes: the thread went round its loop with nothing waiting.
        for (int look = 0; look < 2; ++look) {
            const std::size_t looks = device.ChangesTaken();
            device.Nudge();
            ASSERT_TRUE(device.WaitForChangesTaken(looks + 1));
        }
        EXPECT_EQ(device.Reads(), static_cast<int>(reports)) << "a read per report, no more";
        EXPECT_EQ(window.Messages().size(), reports);
        monitor.CloseMonitor();
    }
}

// The removal event may come while the device is still listed. The monitor looks again a
// little later, and when its input collection hangs up: either way the removal is posted.
TEST(VendorMonitorRemovalTest, ARemovalToldBeforeTheDeviceListShowsItIsPosted) {
    const struct {
        const char* name;
        bool hangUp;
    } cases[] = {{"its node hangs up", true}, {"its node says nothing", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDevice device;
        Window window;
        VendorMonitor monitor{device};
        device.GiveDescriptor();
        monitor.SetIds(kVid, kPid);
        const Ms1WindowHandle handle = window.Handle();
        ASSERT_EQ(monitor.OpenMonitor(&handle, 1539, 1540), 1);
        device.Plug(true);
        ASSERT_TRUE(window.WaitFor(1));
        const std::size_t looks = device.Enumerations();
        device.Nudge();  // the "remove", looked at while the device is still listed
        ASSERT_TRUE(device.WaitForEnumerations(looks + 1));
        device.Vanish(c.hangUp);
        ASSERT_TRUE(window.WaitFor(2));
        EXPECT_EQ(window.Messages(), (std::vector<Posted>{{1540, 1, 0}, {1540, 0, 0}}));
        monitor.CloseMonitor();
        EXPECT_EQ(device.OpenHandles(), 0);
    }
}

}  // namespace
}  // namespace ms1::vendorhid
