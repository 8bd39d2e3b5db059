#include "sim/VirtualHidBus.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sim/ManualSimClock.h"
#include "sim/PacketDump.h"
#include "sim/Simulation.h"
#include "tests/support/Eventually.h"
#include "transport/WakeEvent.h"

namespace ms1::sim {
namespace {

struct RecordingEvents : DeviceEventSink {
    void OnDeviceArrival(const DeviceEvent& event) override { arrivals.push_back(event); }
    void OnDeviceRemoval(const DeviceEvent& event) override { removals.push_back(event); }
    std::vector<DeviceEvent> arrivals;
    std::vector<DeviceEvent> removals;
};

class VirtualHidBusTest : public ::testing::Test {
  protected:
    std::shared_ptr<ManualSimClock> clock = std::make_shared<ManualSimClock>();
    VirtualHidBus bus{clock};

    std::vector<std::uint8_t> ReadOnce(HidHandle* handle, int& result) {
        std::vector<std::uint8_t> buffer(100, 0);
        result = bus.Read(handle, buffer.data(), buffer.size());
        buffer.resize(result > 0 ? static_cast<std::size_t>(result) : 0);
        return buffer;
    }
};

TEST_F(VirtualHidBusTest, ReceiverShowsItsCollectionsOnlyWhilePlugged) {
    const int r = bus.AddReceiver(ReceiverOptions{});
    EXPECT_TRUE(bus.Enumerate(0x1D57, 0xA001).empty());
    EXPECT_EQ(bus.OpenPath(bus.InputPath(r)), nullptr);

    RecordingEvents events;
    bus.SetEventSink(&events);
    bus.Plug(r);
    const auto found = bus.Enumerate(0x1D57, 0xA001);
    ASSERT_EQ(found.size(), 5u);
    const std::uint16_t pages[] = {0x0001, 0xFF01, 0xFF02, 0xFF01, 0x000C};
    const std::uint16_t usages[] = {2, 1, 2, 3, 1};
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].usagePage, pages[i]) << i;
        EXPECT_EQ(found[i].usage, usages[i]) << i;
        EXPECT_NE(found[i].path.find("&7a3c91e0&"), std::string::npos) << found[i].path;
    }
    EXPECT_TRUE(bus.Enumerate(0x1D57, 0xA011).empty());
    ASSERT_EQ(events.arrivals.size(), 6u);  // the USB device and five collections
    EXPECT_NE(events.arrivals[0].interfaceName.find("VID_1D57&PID_A001"), std::string::npos);

    bus.Unplug(r);
    EXPECT_EQ(events.removals.size(), 6u);
    EXPECT_TRUE(bus.Enumerate(0, 0).empty());
}

TEST_F(VirtualHidBusTest, ReportsGoInThroughTheFeatureCollectionAndAnswersComeOut) {
    const int r = bus.AddReceiver(ReceiverOptions{});
    bus.Plug(r);
    HidHandle* input = bus.OpenPath(bus.InputPath(r));
    HidHandle* feature = bus.OpenPath(bus.FeaturePath(r));
    ASSERT_NE(input, nullptr);
    ASSERT_NE(feature, nullptr);
    ASSERT_EQ(bus.SetNonblocking(input, 1), 0);

    int n = 0;
    EXPECT_EQ(ReadOnce(input, n), (std::vector<std::uint8_t>{0x11, 0x11, 0x48, 0x01, 0x50}));
    ReadOnce(input, n);
    EXPECT_EQ(n, 0);

    std::vector<std::uint8_t> rate(60, 0);
    const std::uint8_t head[] = {0x16, 0x3C, 0x01, 0x04, 0xFB};
    std::copy(std::begin(head), std::end(head), rate.begin());
    EXPECT_EQ(bus.SendFeatureReport(input, rate.data(), rate.size()), -1);
    EXPECT_EQ(bus.SendFeatureReport(feature, rate.data(), rate.size()), 60);
    EXPECT_EQ(ReadOnce(input, n), (std::vector<std::uint8_t>{0x11, 0x11, 0x58, 0x00, 0x00}));
    EXPECT_EQ(bus.Settings(r).rateCode, 4);
    ASSERT_EQ(bus.ReceivedPackets().size(), 1u);
    EXPECT_EQ(bus.ReceivedPackets()[0].bytes, rate);

    bus.Unplug(r);
    ReadOnce(input, n);
    EXPECT_EQ(n, -1) << "a gone receiver cannot be read";
    EXPECT_EQ(bus.SendFeatureReport(feature, rate.data(), rate.size()), -1);
    EXPECT_EQ(bus.MisusedHandleCalls(), 0);
}

TEST_F(VirtualHidBusTest, CountsMisuseOfHandles) {
    const int r = bus.AddReceiver(ReceiverOptions{});
    bus.Plug(r);
    HidHandle* input = bus.OpenPath(bus.InputPath(r));
    int n = 0;
    ReadOnce(input, n);
    EXPECT_EQ(bus.BlockingReads(), 1);
    EXPECT_EQ(bus.OpenHandles(), 1);
    bus.Close(input);
    EXPECT_EQ(bus.OpenHandles(), 0);
    ReadOnce(input, n);
    EXPECT_EQ(n, -1);
    bus.Close(input);
    EXPECT_EQ(bus.MisusedHandleCalls(), 2);
}

TEST(SimulationTest, ScenariosByName) {
    auto clock = std::make_shared<ManualSimClock>();
    EXPECT_EQ(MakeSimulation("no-such-scenario", clock), nullptr);
    EXPECT_EQ(MakeSimulation("receiver", nullptr), nullptr);
    EXPECT_NE(MakeSimulation("receiver"), nullptr);
    for (const std::string& name : SimulationScenarios()) {
        EXPECT_NE(MakeSimulation(name, clock), nullptr) << name;
    }
    EXPECT_EQ(MakeSimulation("receiver", clock)->Enumerate(0x1D57, 0xA001).size(), 5u);
    EXPECT_TRUE(MakeSimulation("unplugged", clock)->Enumerate(0, 0).empty());
    EXPECT_EQ(MakeSimulation("many-collections", clock)->Enumerate(0x1D57, 0xA001).size(), 47u);

    auto two = MakeSimulation("two-receivers", clock);
    EXPECT_EQ(two->Enumerate(0x1D57, 0xA001).size(), 10u);
    EXPECT_NE(two->InputPath(0).find("&7a3c91e0&"), std::string::npos);
    EXPECT_NE(two->InputPath(1).find("&1f40b2d6&"), std::string::npos);

    auto not11 = MakeSimulation("not11", clock);
    HidHandle* input = not11->OpenPath(not11->InputPath(0));
    not11->SetNonblocking(input, 1);
    std::uint8_t buffer[100] = {};
    ASSERT_EQ(not11->Read(input, buffer, sizeof buffer), 5);
    EXPECT_EQ(buffer[0], 0x11);
    EXPECT_NE(buffer[1], 0x11);

    auto asleep = MakeSimulation("asleep", clock);
    input = asleep->OpenPath(asleep->InputPath(0));
    asleep->SetNonblocking(input, 1);
    clock->Advance(10000);
    EXPECT_EQ(asleep->Read(input, buffer, sizeof buffer), 0);
}

TEST(PacketDumpTest, OneLinePerPacketInOrder) {
    const std::vector<ReceivedPacket> packets = {
        {0, {0x16, 0x3C, 0x01, 0x08, 0xF7}}, {1, {0xAB, 0x0F}}, {0, {0x00}}};
    EXPECT_EQ(FormatPacketDump(packets), "16 3C 01 08 F7\nreceiver 1: AB 0F\n00\n");
    EXPECT_EQ(FormatPacketDump({}), "");
}

// A reader's wait on the input collection sleeps until something happens on the bus, and
// ends the way that thing says.
TEST(VirtualHidBusWaitTest, AWaitEndsOnWhatHappens) {
    struct Bed {
        std::shared_ptr<ManualSimClock> clock = std::make_shared<ManualSimClock>();
        VirtualHidBus bus{clock};
        WakeEvent stop;
    };
    const struct {
        const char* name;
        std::function<void(Bed&, int)> happen;
        HidWait ends;
    } cases[] = {
        {"a change on the mouse",
         [](Bed& b, int r) { b.bus.WithMouse(r, [](VirtualMouse& m) { m.SelectStage(2); }); },
         HidWait::kReadable},
        {"the heartbeat falls due", [](Bed& b, int) { b.clock->Advance(2000); },
         HidWait::kReadable},
        {"an acknowledgement of a report",
         [](Bed& b, int r) {
             std::vector<std::uint8_t> rate(60, 0);
             const std::uint8_t head[] = {0x16, 0x3C, 0x01, 0x04, 0xFB};
             std::copy(std::begin(head), std::end(head), rate.begin());
             b.bus.SendOverCable(r, rate.data(), rate.size());
         },
         HidWait::kReadable},
        {"the receiver pulled", [](Bed& b, int r) { b.bus.Unplug(r); }, HidWait::kFailed},
        {"a stop", [](Bed& b, int) { b.stop.Signal(); }, HidWait::kStopped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bed bed;
        const int r = bed.bus.AddReceiver(ReceiverOptions{});
        bed.bus.Plug(r);
        HidHandle* input = bed.bus.OpenPath(bed.bus.InputPath(r));
        bed.bus.SetNonblocking(input, 1);
        std::uint8_t buffer[100];
        while (bed.bus.Read(input, buffer, sizeof buffer) > 0) {
        }
        std::packaged_task<HidWait()> wait(
            [&] { return bed.bus.WaitForInput(input, bed.stop.Fd()); });
        std::future<HidWait> ended = wait.get_future();
        std::thread waiter(std::move(wait));
        ASSERT_TRUE(test::Eventually([&] { return bed.bus.ReaderAsleep(r); }));
        c.happen(bed, r);
        if (ended.wait_for(test::kPatience) != std::future_status::ready) {
            ADD_FAILURE() << "the wait did not end";
            std::_Exit(1);  // the waiter cannot be ended
        }
        waiter.join();
        EXPECT_EQ(ended.get(), c.ends);
        bed.bus.Close(input);
    }
}

}  // namespace
}  // namespace ms1::sim
