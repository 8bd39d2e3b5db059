#include "transport/UsbHidLink.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "ports/WindowMessages.h"
#include "sim/ManualSimClock.h"
#include "sim/Simulation.h"
#include "sim/VirtualHidBus.h"
#include "tests/support/Eventually.h"
#include "tests/support/ResultText.h"
#include "tests/support/WindowFakes.h"
#include "transport/AsciiText.h"

namespace ms1 {
namespace {

using namespace std::chrono_literals;
using Words = std::pair<std::uint16_t, std::uint16_t>;

constexpr auto kPatience = 10s;

class RecordingStatus final : public ReceiverStatusSink {
  public:
    void OnReceiverStatus(std::uint16_t a, std::uint16_t v) override {
        {
            std::lock_guard lock(mutex_);
            words_.emplace_back(a, v);
        }
        changed_.notify_all();
    }
    bool WaitFor(Words expected) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] {
            return std::find(words_.begin(), words_.end(), expected) != words_.end();
        });
    }
    // Waits until `holds`, looked at again as each word is handed over: the report that
    // elects a receiver is handed over after its election.
    bool WaitUntil(const std::function<bool()>& holds) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, holds);
    }
    std::vector<Words> Words_() const {
        std::lock_guard lock(mutex_);
        return words_;
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Words> words_;
};

struct FakeView final : LinkView {
    void HideWirelessIndicator() override { ++hidden; }
    void RefreshLinkSections() override { ++refreshed; }
    int hidden = 0;
    int refreshed = 0;
};

using test::FakeTimers;
using test::RecordingWindow;

using test::Eventually;

// A battery heartbeat "11 11 48 01 50" as the two words: A = 0x11 + 256 * 0x48,
// V = 0x01 + 256 * 0x50.
constexpr Words kHeartbeat{0x4811, 0x5001};
constexpr Words kAckOk{0x5811, 0x0000};

std::vector<std::uint8_t> PollingReport1000() {
    std::vector<std::uint8_t> report(60, 0);
    const std::uint8_t head[] = {0x16, 0x3C, 0x01, 0x01, 0xFE};
    std::copy(std::begin(head), std::end(head), report.begin());
    return report;
}

class UsbHidLinkTest : public ::testing::Test {
  protected:
    void Start(const char* scenario) {
        bus = sim::MakeSimulation(scenario, clock);
        ASSERT_NE(bus, nullptr);
        link = std::make_unique<UsbHidLink>(
            UsbHidLink::Ports{*bus, status, flags, view, window, timers});
        bus->SetEventSink(link.get());
    }
    void TearDown() override {
        if (bus) {
            bus->SetEventSink(nullptr);
        }
        link.reset();
        if (bus) {
            EXPECT_EQ(bus->OpenHandles(), 0) << "the link closes what it opened";
            EXPECT_EQ(bus->MisusedHandleCalls(), 0) << "no call through a closed handle";
            EXPECT_EQ(bus->BlockingReads(), 0) << "every read is non-blocking";
        }
    }
    // Every report queued for receiver r has been read and handed on: its reader sleeps
    // again with nothing due.
    bool Drained(int r) {
        return Eventually([&] { return bus->ReaderAsleep(r); });
    }
    ResultOf<int> SendPolling() {
        const auto report = PollingReport1000();
        return link->SendFeatureReport(report.data(), report.size());
    }

    std::shared_ptr<sim::ManualSimClock> clock = std::make_shared<sim::ManualSimClock>();
    std::unique_ptr<sim::VirtualHidBus> bus;
    RecordingStatus status;
    LinkFlags flags;
    FakeView view;
    RecordingWindow window;
    FakeTimers timers;
    std::unique_ptr<UsbHidLink> link;
};

TEST_F(UsbHidLinkTest, OneReceiverIsPairedElectedAndFollowed) {
    Start("receiver");
    EXPECT_EQ(test::Said(SendPolling()), "no receiver is open")
        << "no current receiver before enumeration";
    link->EnumerateReceivers();

    UsbHidLinkState state = link->State();
    ASSERT_EQ(state.inputSlotCount, 1);
    ASSERT_EQ(state.featureSlotCount, 1);
    EXPECT_EQ(state.inputSlots[0].path, bus->InputPath(0));
    EXPECT_EQ(state.featureSlots[0].path, bus->FeaturePath(0));
    EXPECT_EQ(state.inputSlots[0].pairKey, "7a3c91e0");
    EXPECT_EQ(state.featureSlots[0].pairKey, "7a3c91e0");
    EXPECT_TRUE(state.readerRunning[0]);
    EXPECT_FALSE(state.readerRunning[1]);
    // The pointer, consumer and second vendor collections are skipped or closed at once.
    EXPECT_EQ(bus->OpenHandles(), 2);

    ASSERT_TRUE(status.WaitFor(kHeartbeat));
    state = link->State();
    EXPECT_EQ(state.notCurrent[0], 0);
    EXPECT_EQ(state.firstReportSeen[0], 1);
    EXPECT_EQ(state.currentReceiver.path, bus->FeaturePath(0));
    EXPECT_EQ(state.currentFeatureHandle, state.featureSlots[0].featureHandle);
    EXPECT_EQ(state.featureSlots[0].inputHandle, state.inputSlots[0].inputHandle);
    EXPECT_EQ(state.currentInputHandle, state.inputSlots[0].inputHandle);

    // Reports go to the mouse, its answers and its own changes come back.
    EXPECT_EQ(SendPolling().value(), 60);
    EXPECT_EQ(bus->Settings(0).rateCode, 1);
    EXPECT_TRUE(status.WaitFor(kAckOk));
    bus->WithMouse(0, [](sim::VirtualMouse& mouse) { mouse.SelectStage(3); });
    EXPECT_TRUE(status.WaitFor({0x1811, 0x0003}));
}

TEST_F(UsbHidLinkTest, FirstReportWithoutStatusMarkPairsButDoesNotElect) {
    Start("not11");
    link->EnumerateReceivers();
    ASSERT_TRUE(Drained(0));

    const UsbHidLinkState state = link->State();
    EXPECT_EQ(state.firstReportSeen[0], 1);
    EXPECT_EQ(state.notCurrent[0], -1);
    EXPECT_EQ(state.featureSlots[0].inputHandle, state.inputSlots[0].inputHandle) << "paired";
    EXPECT_TRUE(state.currentReceiver.path.empty());
    EXPECT_FALSE(link->HasCurrentReceiver());
    EXPECT_TRUE(status.Words_().empty()) << "the heartbeat after it is ignored as well";
    EXPECT_FALSE(SendPolling());

    // Later heartbeats do not elect it either; the next enumeration does.
    clock->Advance(2000);
    ASSERT_TRUE(Drained(0));
    EXPECT_FALSE(link->HasCurrentReceiver());
    link->EnumerateReceivers();
    clock->Advance(2000);
    EXPECT_TRUE(status.WaitFor(kHeartbeat));
    EXPECT_TRUE(link->HasCurrentReceiver());
}

TEST_F(UsbHidLinkTest, TwoReceiversEachPairWithTheirOwnCollections) {
    Start("two-receivers");
    link->EnumerateReceivers();
    ASSERT_TRUE(Drained(0));
    ASSERT_TRUE(Drained(1));

    const UsbHidLinkState state = link->State();
    ASSERT_EQ(state.inputSlotCount, 2);
    ASSERT_EQ(state.featureSlotCount, 2);
    EXPECT_TRUE(state.readerRunning[0] && state.readerRunning[1]);
    EXPECT_NE(state.inputSlots[0].pairKey, state.inputSlots[1].pairKey);
    for (int j = 0; j < 2; ++j) {
        const auto& feature = state.featureSlots[j];
        const auto& input = state.inputSlots[0].pairKey == feature.pairKey ? state.inputSlots[0]
                                                                           : state.inputSlots[1];
        EXPECT_EQ(feature.inputHandle, input.inputHandle) << "feature slot " << j;
    }
    EXPECT_EQ(state.notCurrent[0], 0);
    EXPECT_EQ(state.notCurrent[1], 0);
    // Whichever was elected first is current, and reports go to that receiver.
    const int current = state.currentReceiver.path == bus->FeaturePath(0) ? 0 : 1;
    EXPECT_EQ(state.currentReceiver.path, bus->FeaturePath(current));
    EXPECT_EQ(SendPolling().value(), 60);
    ASSERT_EQ(bus->ReceivedPackets().size(), 1u);
    EXPECT_EQ(bus->ReceivedPackets()[0].receiver, current);
    EXPECT_EQ(bus->Settings(1 - current).rateCode, 0);
}

TEST_F(UsbHidLinkTest, AReceiverWhoseMouseSpeaksLaterDoesNotTakeOverTheCurrentOne) {
    bus = std::make_unique<sim::VirtualHidBus>(clock);
    sim::ReceiverOptions asleep;
    asleep.instanceKey = "1f40b2d6";
    asleep.asleep = true;
    bus->Plug(bus->AddReceiver(sim::ReceiverOptions{}));
    bus->Plug(bus->AddReceiver(asleep));
    link =
        std::make_unique<UsbHidLink>(UsbHidLink::Ports{*bus, status, flags, view, window, timers});
    link->EnumerateReceivers();
    ASSERT_TRUE(status.WaitFor(kHeartbeat));
    ASSERT_TRUE(Drained(0));
    EXPECT_EQ(link->State().currentReceiver.path, bus->FeaturePath(0));
    EXPECT_EQ(SendPolling().value(), 60);

    // The second receiver's mouse wakes in the middle of an apply.
    bus->WithMouse(1, [](sim::VirtualMouse& mouse) { mouse.SelectStage(2); });
    ASSERT_TRUE(Drained(1));
    const UsbHidLinkState state = link->State();
    EXPECT_EQ(state.firstReportSeen[1], 1);
    EXPECT_EQ(state.currentReceiver.path, bus->FeaturePath(0));
    EXPECT_EQ(SendPolling().value(), 60);
    ASSERT_EQ(bus->ReceivedPackets().size(), 2u);
    EXPECT_EQ(bus->ReceivedPackets()[0].receiver, 0);
    EXPECT_EQ(bus->ReceivedPackets()[1].receiver, 0) << "the rest of the apply stays with it";

    // The next enumeration elects anew.
    link->EnumerateReceivers();
    clock->Advance(2000);
    EXPECT_TRUE(status.WaitUntil([&] { return link->HasCurrentReceiver(); }));
}

TEST_F(UsbHidLinkTest, EnumeratingAgainStopsEveryReaderBeforeClearing) {
    Start("many-collections");
    link->EnumerateReceivers();
    ASSERT_TRUE(status.WaitFor(kHeartbeat));
    for (int round = 0; round < 5; ++round) {
        link->EnumerateReceivers();
        const UsbHidLinkState state = link->State();
        EXPECT_EQ(state.inputSlotCount, 20);
        EXPECT_EQ(state.featureSlotCount, 20);
        EXPECT_EQ(bus->OpenHandles(), 40) << "the previous tables' handles are closed";
    }
    EXPECT_EQ(bus->MisusedHandleCalls(), 0);
    // The election starts over with the new tables.
    clock->Advance(2000);
    EXPECT_TRUE(status.WaitUntil([&] { return link->HasCurrentReceiver(); }));
    EXPECT_EQ(link->State().currentReceiver.path, bus->FeaturePath(0));
}

TEST_F(UsbHidLinkTest, MoreThanTwentyCollectionsFillTwentySlotsEach) {
    Start("many-collections");
    link->EnumerateReceivers();
    const UsbHidLinkState state = link->State();
    EXPECT_EQ(state.inputSlotCount, 20);
    EXPECT_EQ(state.featureSlotCount, 20);
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(state.readerRunning[i]) << i;
        EXPECT_EQ(state.inputSlots[i].index, i);
        EXPECT_EQ(state.featureSlots[i].index, i);
    }
    EXPECT_EQ(bus->OpenHandles(), 40) << "the extra collections are closed at once";
}

TEST_F(UsbHidLinkTest, RemovalClearsTheReceiverAndPostsOnce) {
    Start("receiver");
    link->EnumerateReceivers();
    ASSERT_TRUE(status.WaitFor(kHeartbeat));
    // What the status decoding does on the first report of the elected receiver.
    flags.wirelessConnected = true;
    flags.RecomputeAnyConnected();
    EXPECT_TRUE(link->ReceiverPluggedIn());

    bus->Unplug(0);  // the USB device and every collection go, each with its own event

    EXPECT_FALSE(link->ReceiverPluggedIn()) << "gone before the next enumeration";
    const UsbHidLinkState state = link->State();
    EXPECT_FALSE(state.readerRunning[0]);
    EXPECT_TRUE(state.inputSlots[0].empty());
    EXPECT_EQ(state.inputSlotCount, 1) << "the count stays until the next enumeration";
    EXPECT_TRUE(state.currentReceiver.empty());
    EXPECT_EQ(state.featureSlots[0].inputHandle, nullptr) << "no copy of a closed handle";
    EXPECT_EQ(state.featureSlots[0].path, bus->FeaturePath(0)) << "feature slots stay";
    EXPECT_FALSE(link->HasCurrentReceiver());
    EXPECT_FALSE(SendPolling());
    EXPECT_FALSE(flags.wirelessConnected.load());
    EXPECT_FALSE(flags.anyConnected.load());
    EXPECT_EQ(view.hidden, 1);
    EXPECT_EQ(view.refreshed, 1);
    EXPECT_EQ(window.Count(MSG_CONNECTION_CHANGED), 1);
    EXPECT_EQ(bus->OpenHandles(), 1) << "the feature handle waits for the next enumeration";

    link->EnumerateReceivers();
    EXPECT_EQ(link->State().inputSlotCount, 0);
    EXPECT_EQ(bus->OpenHandles(), 0);
    EXPECT_EQ(window.Count(MSG_CONNECTION_CHANGED), 1);
}

TEST_F(UsbHidLinkTest, RemovalWithoutTheWirelessStateSetPostsNothing) {
    Start("receiver");
    link->EnumerateReceivers();
    ASSERT_TRUE(status.WaitFor(kHeartbeat));
    flags.wiredConnected = WiredState::kUp;

    // Only the input collection goes: its reader stops, the current receiver stays.
    link->OnReceiverRemoved({ToUpperAscii(bus->InputPath(0)), 0, 0});
    EXPECT_FALSE(link->ReceiverPluggedIn()) << "no status report can come any more";
    UsbHidLinkState state = link->State();
    EXPECT_FALSE(state.readerRunning[0]);
    EXPECT_TRUE(link->HasCurrentReceiver());
    EXPECT_EQ(state.currentInputHandle, nullptr);

    bus->Unplug(0);
    EXPECT_FALSE(link->HasCurrentReceiver());
    EXPECT_EQ(window.Count(MSG_CONNECTION_CHANGED), 0);
    EXPECT_EQ(view.hidden, 0);
    EXPECT_EQ(flags.wiredConnected.load(), WiredState::kUp);
}

TEST_F(UsbHidLinkTest, ArrivalsAreDebouncedIntoOneEnumeration) {
    Start("unplugged");
    link->EnumerateReceivers();  // start-up: nothing there
    EXPECT_EQ(bus->Enumerations(), 1);
    EXPECT_EQ(link->State().inputSlotCount, 0);

    // Other devices and the wired mouse do not start the timer.
    link->OnDeviceArrival({"/dev/hidraw7", 0x1D57, 0xA011});
    link->OnDeviceArrival({"\\\\?\\HID#VID_046D&PID_C077#1&2&3&4&5", 0, 0});
    EXPECT_FALSE(timers.IsTimerRunning(TIMER_USB_ARRIVAL));

    bus->Plug(0);  // six arrivals
    EXPECT_EQ(timers.starts[TIMER_USB_ARRIVAL], 6);
    EXPECT_EQ(timers.running[TIMER_USB_ARRIVAL], 1000);
    EXPECT_EQ(bus->Enumerations(), 1) << "nothing runs before the timer expires";

    link->OnArrivalTimer();
    EXPECT_EQ(bus->Enumerations(), 2);
    EXPECT_FALSE(timers.IsTimerRunning(TIMER_USB_ARRIVAL));
    EXPECT_EQ(link->State().inputSlotCount, 1);
    EXPECT_TRUE(status.WaitFor(kHeartbeat));
}

TEST_F(UsbHidLinkTest, NothingFoundMeansNoReaders) {
    Start("unplugged");
    link->EnumerateReceivers();
    const UsbHidLinkState state = link->State();
    EXPECT_EQ(state.inputSlotCount, 0);
    EXPECT_EQ(state.featureSlotCount, 0);
    EXPECT_EQ(std::count(state.readerRunning.begin(), state.readerRunning.end(), true), 0);
    EXPECT_FALSE(SendPolling());
}

TEST_F(UsbHidLinkTest, SendingIsSafeWhileTheReceiverIsRemovedAndFound) {
    Start("receiver");
    link->EnumerateReceivers();
    ASSERT_TRUE(status.WaitFor(kHeartbeat));

    std::atomic<bool> done{false};
    std::atomic<int> sent{0};
    std::thread sender([&] {
        while (!done.load()) {
            if (SendPolling().value() == 60) {
                ++sent;
            }
            std::this_thread::sleep_for(100us);  // pacing, so the mouse's log stays small
        }
    });
    EXPECT_TRUE(Eventually([&] { return sent.load() > 0; }));
    for (int round = 0; round < 20; ++round) {
        bus->Unplug(0);
        bus->Plug(0);
        link->OnArrivalTimer();
        clock->Advance(2000);
        if (!status.WaitUntil([&] { return link->HasCurrentReceiver(); })) {
            ADD_FAILURE() << "not elected again in round " << round;
            break;
        }
    }
    done = true;
    sender.join();
    EXPECT_GT(sent.load(), 0);
    EXPECT_EQ(bus->MisusedHandleCalls(), 0);
}

TEST_F(UsbHidLinkTest, ShutdownEndsEveryRunningReader) {
    Start("many-collections");
    link->EnumerateReceivers();
    ASSERT_TRUE(status.WaitFor(kHeartbeat));
    link->Shutdown();
    const UsbHidLinkState state = link->State();
    EXPECT_EQ(std::count(state.readerRunning.begin(), state.readerRunning.end(), true), 0);
    EXPECT_EQ(std::count(state.firstReportSeen.begin(), state.firstReportSeen.end(), 1), 0);

    // No reader comes back, and nothing is read any more.
    link->EnumerateReceivers();
    const UsbHidLinkState after = link->State();
    EXPECT_EQ(std::count(after.readerRunning.begin(), after.readerRunning.end(), true), 0);
    bus->WithMouse(0, [](sim::VirtualMouse& mouse) { mouse.SelectStage(2); });
    EXPECT_EQ(bus->PendingInput(0), 1u);
}

// hidapi over hidraw: a node is listed once per top-level collection, all under its path,
// and every handle opened on it reads every report of the device.
class HidrawNodes final : public HidApi {
  public:
    explicit HidrawNodes(std::vector<HidDeviceInfo> records) : records_(std::move(records)) {}
    int Init() override { return 0; }
    std::vector<HidDeviceInfo> Enumerate(std::uint16_t, std::uint16_t) override { return records_; }
    HidHandle* OpenPath(const std::string& path) override {
        std::lock_guard lock(mutex_);
        ++opens[path];
        ++open;
        return reinterpret_cast<HidHandle*>(++next_);
    }
    HidHandle* OpenInputPath(const std::string& path) override { return OpenPath(path); }
    // Nothing ever arrives: the wait lasts until the stop.
    HidWait WaitForInput(HidHandle*, int stopFd) override {
        pollfd stop{stopFd, POLLIN, 0};
        while (::poll(&stop, 1, -1) < 0) {
        }
        return HidWait::kStopped;
    }
    int SetNonblocking(HidHandle*, int) override { return 0; }
    int Read(HidHandle*, std::uint8_t*, std::size_t) override { return 0; }
    int SendFeatureReport(HidHandle*, const std::uint8_t*, std::size_t length) override {
        return static_cast<int>(length);
    }
    void Close(HidHandle*) override {
        std::lock_guard lock(mutex_);
        --open;
    }
    std::mutex mutex_;
    std::map<std::string, int> opens;
    int open = 0;

  private:
    std::vector<HidDeviceInfo> records_;
    std::uintptr_t next_ = 0;
};

HidDeviceInfo Collection(const char* path, std::uint16_t usagePage, std::uint16_t usage) {
    HidDeviceInfo info;
    info.path = path;
    info.vendorId = kReceiverVendorId;
    info.productId = kReceiverProductId;
    info.usagePage = usagePage;
    info.usage = usage;
    return info;
}

TEST(UsbHidLinkOnHidrawTest, EachNodeIsOpenedOncePerKindOfCollection) {
    // A receiver's node with 23 more collections after its two, input and feature in turn.
    std::vector<HidDeviceInfo> wide = {Collection("/dev/hidraw3", 0xFF01, 1),
                                       Collection("/dev/hidraw3", 0xFF02, 2)};
    for (int i = 0; i < 23; ++i) {
        wide.push_back(i % 2 == 0 ? Collection("/dev/hidraw3", 0xFF01, 1)
                                  : Collection("/dev/hidraw3", 0xFF02, 2));
    }
    const struct {
        const char* name;
        std::vector<HidDeviceInfo> records;
        int inputs;
        int features;
        std::map<std::string, int> opens;
    } cases[] = {
        {"one node of two collections",
         {Collection("/dev/hidraw3", 0xFF01, 1), Collection("/dev/hidraw3", 0xFF02, 2)},
         1,
         1,
         {{"/dev/hidraw3", 2}}},
        {"one node of 25 collections", wide, 1, 1, {{"/dev/hidraw3", 2}}},
        {"two nodes",
         {Collection("/dev/hidraw3", 0xFF01, 1), Collection("/dev/hidraw3", 0xFF02, 2),
          Collection("/dev/hidraw4", 0xFF02, 2), Collection("/dev/hidraw4", 0xFF01, 1)},
         2,
         2,
         {{"/dev/hidraw3", 2}, {"/dev/hidraw4", 2}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HidrawNodes hid(c.records);
        RecordingStatus status;
        LinkFlags flags;
        FakeView view;
        RecordingWindow window;
        FakeTimers timers;
        {
            UsbHidLink link(UsbHidLink::Ports{hid, status, flags, view, window, timers});
            link.EnumerateReceivers();
            const UsbHidLinkState state = link.State();
            EXPECT_EQ(state.inputSlotCount, c.inputs);
            EXPECT_EQ(state.featureSlotCount, c.features);
            EXPECT_EQ(std::count(state.readerRunning.begin(), state.readerRunning.end(), true),
                      c.inputs);
            std::lock_guard lock(hid.mutex_);
            EXPECT_EQ(hid.opens, c.opens);
        }
        EXPECT_EQ(hid.open, 0) << "the link closes what it opened";
    }
}

}  // namespace
}  // namespace ms1
