#include "transport/RealHidApi.h"

#include <gtest/gtest.h>

#include <cerrno>

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

// An input collection is opened on its node itself; a node that is not there says why, and
// nothing can be waited on or read through no handle.
TEST(RealHidApiTest, AnInputCollectionThatIsNotThereIsNotOpened) {
    RealHidApi hid;
    EXPECT_EQ(hid.OpenInputPath("/dev/hidraw-not-there"), nullptr);
    EXPECT_EQ(hid.LastOpenError(), ENOENT);
    EXPECT_EQ(hid.WaitForInput(nullptr, -1), HidWait::kFailed);
    EXPECT_EQ(hid.SetNonblocking(nullptr, 1), -1);
}

}  // namespace
}  // namespace ms1
