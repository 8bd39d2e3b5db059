#include "protocol/WiredMessages.h"

#include <gtest/gtest.h>

namespace ms1 {
namespace {

TEST(WiredMessagesTest, WiredDataPutsTheLow16BitsOfWParamAboveThoseOfLParam) {
    EXPECT_EQ(WiredDataValue(0x1234, 0x5678), 0x12345678u);
    EXPECT_EQ(WiredDataValue(0x0000, 0x0000), 0x00000000u);
    // Only the low 16 bits of each count.
    EXPECT_EQ(WiredDataValue(0xABCD0102, 0x7FFF0304), 0x01020304u);
    EXPECT_EQ(WiredDataValue(0xFFFF, -1), 0xFFFFFFFFu);
    EXPECT_EQ(WiredDataValue(0x0001, 0x10000), 0x00010000u);
}

TEST(WiredMessagesTest, WiredStateGivesArrivalRemovalOrNothing) {
    EXPECT_EQ(WiredStateValue(1), 0x7F000001u);
    EXPECT_EQ(WiredStateValue(0), 0x7F000002u);
    EXPECT_EQ(WiredStateValue(2), 0x7F000000u);
    EXPECT_EQ(WiredStateValue(0x101), 0x7F000000u);
}

}  // namespace
}  // namespace ms1
