#include "ui/KeyTables.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/keyboard/XkbKeyboardLayout.h"
#include "tests/support/TableTexts.h"

namespace ms1 {
namespace {

class KeyTables : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        us_ = XkbKeyboardLayout::FromNames("us").release();
        fr_ = XkbKeyboardLayout::FromNames("fr").release();
    }
    static void TearDownTestSuite() {
        delete us_;
        delete fr_;
    }
    void SetUp() override { ASSERT_TRUE(us_ && fr_) << "xkb data (xkb-data) is missing"; }

    static XkbKeyboardLayout* us_;
    static XkbKeyboardLayout* fr_;
    // Shows a text key as "<key>" so a test sees which key a name came from.
    test::TableTexts texts_{{}, test::TableTexts::Missing::MarkedKey};
};
XkbKeyboardLayout* KeyTables::us_ = nullptr;
XkbKeyboardLayout* KeyTables::fr_ = nullptr;

TEST_F(KeyTables, TableShapeAndOrder) {
    EXPECT_EQ(KeyCodeTable.size(), 112u);
    EXPECT_EQ(KeyCodeTable[0].virtualKey, 0x41);
    EXPECT_EQ(KeyCodeTable[51].virtualKey, 0xBF);
    EXPECT_EQ(KeyCodeTable[52].virtualKey, 0xDF);
    EXPECT_EQ(KeyCodeTable[90].usage, 0x5F);  // keypad 7 comes before keypad 6
    EXPECT_EQ(KeyCodeTable[111].usage, 0xF8);
    std::set<int> usages;
    for (const auto& row : KeyCodeTable)
        usages.insert(row.usage);
    EXPECT_EQ(usages.count(0x32) + usages.count(0x64) + usages.count(0x66) + usages.count(0xF5),
              0u);
}

TEST_F(KeyTables, VirtualKeysBecomeUsagesByPosition) {
    EXPECT_EQ(VirtualKeyToUsage(0x10, *us_).found, false);
    EXPECT_EQ(VirtualKeyToUsage(0x10, *us_).usage, 0);
    EXPECT_EQ(VirtualKeyToUsage(0x41, *us_).usage, 0x04);
    EXPECT_EQ(VirtualKeyToUsage(0xBF, *us_).usage, 0x38);
    EXPECT_EQ(VirtualKeyToUsage(0xDF, *us_).usage, 0x38);
    EXPECT_EQ(VirtualKeyToUsage(0x0D, *us_).usage, 0x28);
    EXPECT_EQ(VirtualKeyToUsage(0xA0, *us_).usage, 0xE1);  // outside the positional range
    EXPECT_EQ(VirtualKeyToUsage(0x2C, *fr_).usage, 0x46);

    // AZERTY: the key that types A sits where a US keyboard has Q.
    EXPECT_EQ(VirtualKeyToUsage(0x41, *fr_).usage, 0x14);
    EXPECT_EQ(VirtualKeyToUsage(0x51, *fr_).usage, 0x04);
    EXPECT_EQ(VirtualKeyToUsage(0x4D, *fr_).usage, 0x33);  // M sits at the US semicolon
    EXPECT_EQ(VirtualKeyToUsage(0x31, *fr_).usage, 0x1E);  // the number row keeps its digits
}

TEST_F(KeyTables, UsageNamesFollowTheLayout) {
    EXPECT_EQ(UsageToKeyName(0x14, *fr_, texts_), u"A");
    EXPECT_EQ(UsageToKeyName(0x14, *us_, texts_), u"Q");
    EXPECT_EQ(UsageToKeyName(0x04, *us_, texts_), u"A");
    EXPECT_EQ(UsageToKeyName(0x31, *us_, texts_), u"\\");
    EXPECT_EQ(UsageToKeyName(0x1F, *us_, texts_), u"2");
    EXPECT_EQ(UsageToKeyName(0x1F, *fr_, texts_), u"\u00C9");  // é, upper case
    EXPECT_EQ(UsageToKeyName(0x2F, *fr_, texts_), u"^");       // a dead key shows itself
    for (auto* layout : {us_, fr_}) {
        EXPECT_EQ(UsageToKeyName(0x28, *layout, texts_), u"<key_Enter>");
        EXPECT_EQ(UsageToKeyName(0x2C, *layout, texts_), u"<key_Space>");
        EXPECT_EQ(UsageToKeyName(0x39, *layout, texts_), u"<key_Caplk>");
    }
}

TEST_F(KeyTables, FixedNamesAndKeysWithoutAName) {
    EXPECT_EQ(UsageToKeyName(0x32, *us_, texts_), u"");
    EXPECT_EQ(UsageToKeyName(0xF0, *us_, texts_), u"");
    EXPECT_EQ(UsageToKeyName(0x66, *us_, texts_), u"");
    EXPECT_EQ(UsageToKeyName(0xE9, *us_, texts_), u"");
    EXPECT_EQ(UsageToKeyName(0xF5, *us_, texts_), u"<Forward_Button>");
    EXPECT_EQ(UsageToKeyName(0xF1, *us_, texts_), u"<L_Button>");
    EXPECT_EQ(UsageToKeyName(0x3A, *us_, texts_), u"<key_F1>");
    EXPECT_EQ(UsageToKeyName(0x45, *us_, texts_), u"<key_F12>");
    EXPECT_EQ(UsageToKeyName(0x61, *us_, texts_), u"<key_Num_9>");
    EXPECT_EQ(UsageToKeyName(0x62, *us_, texts_), u"<key_Num_0>");
    EXPECT_EQ(UsageToKeyName(0x64, *us_, texts_), u"<key_\\>");
    EXPECT_EQ(UsageToKeyName(0xE1, *us_, texts_), u"<key_LShift>");
    EXPECT_EQ(UsageToKeyName(0x82, *us_, texts_), u"<Sleep>");

    EXPECT_EQ(VirtualKeyToKeyName(0x2A, *us_, texts_), u"<key_Print Scr>");
    EXPECT_EQ(VirtualKeyToKeyName(0x2C, *us_, texts_), u"<key_Print Scr>");
    EXPECT_EQ(VirtualKeyToKeyName(0x10, *us_, texts_), u"<key_LShift>");
    EXPECT_EQ(VirtualKeyToKeyName(0xA0, *us_, texts_), u"<key_LShift>");
    EXPECT_EQ(VirtualKeyToKeyName(0x7B, *us_, texts_), u"<key_F12>");
    EXPECT_EQ(VirtualKeyToKeyName(0xBC, *us_, texts_), u",");
    EXPECT_EQ(VirtualKeyToKeyName(0xF0, *us_, texts_), u"<key_Caplk>");
}

}  // namespace
}  // namespace ms1
