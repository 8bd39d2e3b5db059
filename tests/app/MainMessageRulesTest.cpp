#include "app/MainMessageRules.h"

#include <gtest/gtest.h>

namespace ms1 {
namespace {

TEST(MainMessageRulesTest, WiredDataPutsTheLow16BitsOfWParamAboveThoseOfLParam) {
    EXPECT_EQ(WiredDataValue(0x1234, 0x5678), 0x12345678u);
    EXPECT_EQ(WiredDataValue(0x0000, 0x0000), 0x00000000u);
    // Only the low 16 bits of each count.
    EXPECT_EQ(WiredDataValue(0xABCD0102, 0x7FFF0304), 0x01020304u);
    EXPECT_EQ(WiredDataValue(0xFFFF, -1), 0xFFFFFFFFu);
    EXPECT_EQ(WiredDataValue(0x0001, 0x10000), 0x00010000u);
}

TEST(MainMessageRulesTest, WiredStateGivesArrivalRemovalOrNothing) {
    EXPECT_EQ(WiredStateValue(1), 0x7F000001u);
    EXPECT_EQ(WiredStateValue(0), 0x7F000002u);
    EXPECT_EQ(WiredStateValue(2), 0x7F000000u);
    EXPECT_EQ(WiredStateValue(0x101), 0x7F000000u);
}

TEST(MainMessageRulesTest, MenuNamesAndTheirCaseRules) {
    struct Row {
        const char* name;
        MenuCommand expected;
    };
    const Row rows[] = {
        {"configuration", MenuCommand::ShowWindow},
        {"CONFIGURATION", MenuCommand::ShowWindow},
        {"Configuration", MenuCommand::ShowWindow},
        {"exit", MenuCommand::Exit},
        {"eXiT", MenuCommand::Exit},
        {"exit2", MenuCommand::None},
        {"AutoStart", MenuCommand::Autostart},
        {"about", MenuCommand::About},
        {"About", MenuCommand::About},
        {"about_", MenuCommand::None},
        {"configuration ", MenuCommand::None},
        {"ms_1_left_click", MenuCommand::ButtonMenu},
        {"ms_1", MenuCommand::ButtonMenu},
        {"MS_1_left_click", MenuCommand::None},  // the prefix is case-sensitive
        {"Ms_1_left_click", MenuCommand::None},
        {"ms_2_left_click", MenuCommand::None},
        // Shorter names are no items of the button menu, even when "ms_1" starts with them.
        {"ms", MenuCommand::None},
        {"m", MenuCommand::None},
        {"", MenuCommand::None},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ClassifyMenuCommand(QString::fromUtf8(row.name)), row.expected)
            << "item \"" << row.name << "\"";
    }
}

}  // namespace
}  // namespace ms1
