#include "transport/RealHidApi.h"

#include <gtest/gtest.h>

namespace ms1 {
namespace {

// This machine has no receiver: the real backend starts and finds none.
TEST(RealHidApiTest, InitialisesAndFindsNoReceiver) {
    RealHidApi hid;
    ASSERT_EQ(hid.Init(), 0);
    EXPECT_TRUE(hid.Enumerate(0x1D57, 0xA001).empty());
    EXPECT_EQ(hid.OpenPath("/dev/hidraw-not-there"), nullptr);
    EXPECT_EQ(hid.Read(nullptr, nullptr, 0), -1);
    EXPECT_EQ(hid.SendFeatureReport(nullptr, nullptr, 0), -1);
    hid.Close(nullptr);
}

}  // namespace
}  // namespace ms1
