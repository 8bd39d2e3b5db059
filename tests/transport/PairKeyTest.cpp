#include "transport/PairKey.h"

#include <gtest/gtest.h>

#include "ports/LinkFlags.h"
#include "transport/UsbHidLink.h"

namespace ms1 {
namespace {

TEST(PairKeyTest, FifthAmpersandFieldOfWindowsPaths) {
    EXPECT_EQ(ExtractPairKey("\\\\?\\hid#vid_1d57&pid_a001&mi_01&col02#8&2c6e01f5&0&0001#{4d1e55b2-"
                             "f16f-11cf-88cb-001111000030}"),
              "2c6e01f5");
    // Runs of '&' are one separator; leading ones are skipped.
    EXPECT_EQ(ExtractPairKey("&&a&&&b&c&d&&key&f"), "key");
    EXPECT_EQ(ExtractPairKey("a&b&c&d&e"), "e");
    // Fewer than five fields: no key.
    EXPECT_EQ(ExtractPairKey("a&b&c&d"), "");
    EXPECT_EQ(ExtractPairKey("a&b&c&d&&&"), "");
    EXPECT_EQ(ExtractPairKey(""), "");
}

TEST(PairKeyTest, PathsOfOtherFormsKeyByTheirInterface) {
    EXPECT_EQ(PairKeyForPath("a&b&c&d&k1&f"), "k1");
    EXPECT_EQ(PairKeyForPath("x&y"), "");
    // Not a hidraw node of a USB device: the node itself is the key, so the collections
    // opened through one node pair with each other and with nothing else.
    EXPECT_EQ(PairKeyForPath("/dev/hidraw-not-there"), "/dev/hidraw-not-there");
}

TEST(ReceiverInterfaceTest, IdsWhenKnownElseTheName) {
    EXPECT_TRUE(IsReceiverInterface({"/dev/hidraw4", 0x1D57, 0xA001}));
    EXPECT_FALSE(IsReceiverInterface({"/dev/hidraw4", 0x1D57, 0xA011}));  // the wired mouse
    EXPECT_FALSE(IsReceiverInterface({"\\\\?\\HID#VID_1D57&PID_A001", 0x046D, 0xC077}));
    EXPECT_TRUE(IsReceiverInterface({"\\\\?\\hid#vid_1d57&pid_a001&mi_01#x", 0, 0}));
    EXPECT_FALSE(IsReceiverInterface({"\\\\?\\hid#vid_1d57&pid_a011&mi_01#x", 0, 0}));
    EXPECT_FALSE(IsReceiverInterface({"", 0, 0}));
}

TEST(LinkFlagsTest, AnyConnectedCountsOnlyWiredOne) {
    LinkFlags flags;
    EXPECT_FALSE(flags.RecomputeAnyConnected());
    flags.wiredConnected = WiredState::kRemoved;  // after a removal event
    EXPECT_FALSE(flags.RecomputeAnyConnected());
    flags.wiredConnected = WiredState::kUp;
    EXPECT_TRUE(flags.RecomputeAnyConnected());
    flags.wiredConnected = WiredState::kAbsent;
    flags.wirelessConnected = true;
    EXPECT_TRUE(flags.RecomputeAnyConnected());
    flags.wirelessConnected = false;
    flags.bleConnected = true;
    EXPECT_TRUE(flags.RecomputeAnyConnected());
    EXPECT_TRUE(flags.anyConnected.load());
}

}  // namespace
}  // namespace ms1
