#include "ui/dialogs/LoopCountField.h"

#include <gtest/gtest.h>

namespace ms1 {
namespace {

TEST(LoopCountField, KeepsOnlyDecimalDigits) {
    EXPECT_EQ(KeepDigits(u"3a0"), u"30");
    EXPECT_EQ(KeepDigits(u"-12.5 x"), u"125");
    // Digits of other scripts are not the ASCII digits the count is read from.
    EXPECT_EQ(KeepDigits(u"\u0663\uFF14"), u"");
    EXPECT_EQ(KeepDigits(u""), u"");
}

TEST(LoopCountField, ReadsAFinishedEntryIntoOneTo255) {
    EXPECT_EQ(LoopCountFromText(u"1"), 1);
    EXPECT_EQ(LoopCountFromText(u"30"), 30);
    EXPECT_EQ(LoopCountFromText(u"007"), 7);
    EXPECT_EQ(LoopCountFromText(u"255"), 255);
    EXPECT_EQ(LoopCountFromText(u"256"), 255);
    EXPECT_EQ(LoopCountFromText(u"300"), 255);
    // Far beyond any integer: still the largest count, never a wrapped small one.
    EXPECT_EQ(LoopCountFromText(u"4294967297"), 255);
    EXPECT_EQ(LoopCountFromText(u"99999999999999999999"), 255);
    EXPECT_EQ(LoopCountFromText(u"0"), 1);
    EXPECT_EQ(LoopCountFromText(u"000"), 1);
    EXPECT_EQ(LoopCountFromText(u""), 1);
}

}  // namespace
}  // namespace ms1
