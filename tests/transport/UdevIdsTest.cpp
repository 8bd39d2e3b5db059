#include "transport/UdevIds.h"

#include "transport/UdevMonitor.h"

#include <gtest/gtest.h>

namespace ms1 {
namespace {

TEST(UdevIdsTest, ReadsTheIdsOfUsbAndHidDevices) {
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    ASSERT_TRUE(IdsFromUsbProduct("1d57/a001/100", vid, pid));
    EXPECT_EQ(vid, 0x1D57);
    EXPECT_EQ(pid, 0xA001);
    ASSERT_TRUE(IdsFromHidId("0003:00001D57:0000A011", vid, pid));
    EXPECT_EQ(vid, 0x1D57);
    EXPECT_EQ(pid, 0xA011);
}

TEST(UdevIdsTest, OtherShapesAreNotIds) {
    std::uint16_t vid = 7;
    std::uint16_t pid = 7;
    EXPECT_FALSE(IdsFromUsbProduct(nullptr, vid, pid));
    EXPECT_FALSE(IdsFromUsbProduct("1d57", vid, pid));
    EXPECT_FALSE(IdsFromUsbProduct("/a001/100", vid, pid));
    EXPECT_FALSE(IdsFromUsbProduct("1d57/a001", vid, pid));
    EXPECT_FALSE(IdsFromUsbProduct("12345/a001/1", vid, pid));  // more than 16 bits
    EXPECT_FALSE(IdsFromHidId("0003:00001D57", vid, pid));
    EXPECT_FALSE(IdsFromHidId("0003:00001D57:0000A011x", vid, pid));
    EXPECT_FALSE(IdsFromHidId("", vid, pid));
    EXPECT_EQ(vid, 7);
    EXPECT_EQ(pid, 7);
}

struct CountingSink final : DeviceEventSink {
    void OnDeviceArrival(const DeviceEvent&) override { ++events; }
    void OnDeviceRemoval(const DeviceEvent&) override { ++events; }
    int events = 0;
};

// Nothing is plugged or unplugged while the tests run: the monitor starts, offers its
// descriptor when it could subscribe, and has nothing to deliver.
TEST(UdevMonitorTest, StartsQuietly) {
    CountingSink sink;
    UdevMonitor monitor(sink);
    if (monitor.IsActive()) {
        EXPECT_GE(monitor.Fd(), 0);
    } else {
        EXPECT_EQ(monitor.Fd(), -1);
    }
    EXPECT_EQ(monitor.ProcessPending(), sink.events);
}

}  // namespace
}  // namespace ms1
