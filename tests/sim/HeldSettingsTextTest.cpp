// The virtual mouse's window says what the mouse holds, in the mouse's own terms.
#include <gtest/gtest.h>

#include "sim/HeldSettingsText.h"

namespace ms1::sim {
namespace {

TEST(HeldSettingsText, NamesStageDpiRateLightingChangedButtonsMacroPagesAndBattery) {
    struct Row {
        const char* what;
        void (*set)(MouseSettings&);
        int batteryState;
        int batteryLevel;
        const char* expected;
    };
    const Row rows[] = {
        {"nothing sent yet", [](MouseSettings&) {}, 1, 80,
         "No DPI stages sent yet · no polling rate yet\nLighting mode 0, colour #000000\n"
         "Buttons changed: none\nMacro pages stored: 0\nBattery 80 %, on battery"},
        {"low stage, factory buttons",
         [](MouseSettings& s) {
             s.stageEnableMask = 0x3F;
             s.activeStage = 2;
             s.stageCode[1] = 0x20;  // step 32
             s.rateCode = 2;
             s.lightMode = 7;
             s.lightColor = {0x00, 0xFF, 0x00};
             s.buttons[0] = {0x02, 0, 0};
             s.buttons[3] = {0x0D, 0, 0};
         },
         3, 50,
         "Stage 2 at 1600 DPI · 500 reports/s\nLighting mode 7, colour #00FF00\n"
         "Buttons changed: none\nMacro pages stored: 0\nBattery 50 %, charging"},
        {"high range stage, two buttons changed, macro pages",
         [](MouseSettings& s) {
             s.stageEnableMask = 0x3F;
             s.activeStage = 6;
             s.stageCode[5] = 0xD2;  // step 320: (320 - 300) / 2 - 56, as a byte
             s.extensionFlag[5] = 1;
             s.highRangeMask = 0x20;
             s.rateCode = 8;
             s.buttons[4] = {0x0D, 0, 0};
             s.buttons[6] = {0x05, 0, 0};
             s.buttons[7] = {0x05, 0, 0};
             s.macroPages[0] = {};
             s.macroPages[1] = {};
         },
         2, 100,
         "Stage 6 at 22000 DPI · 125 reports/s\nLighting mode 0, colour #000000\n"
         "Buttons changed: 5: 0D 00 00, 7: 05 00 00\nMacro pages stored: 2\n"
         "Battery 100 %, full"},
        {"middle ranges",
         [](MouseSettings& s) {
             s.stageEnableMask = 0x07;
             s.activeStage = 3;
             s.stageCode[2] = 0xD2;  // step 210, extension flag without high range
             s.extensionFlag[2] = 1;
             s.rateCode = 1;
         },
         1, 15,
         "Stage 3 at 11000 DPI · 1000 reports/s\nLighting mode 0, colour #000000\n"
         "Buttons changed: none\nMacro pages stored: 0\nBattery 15 %, on battery"},
    };
    for (const Row& row : rows) {
        MouseSettings settings;
        row.set(settings);
        EXPECT_EQ(DescribeHeldSettings(settings, row.batteryState, row.batteryLevel), row.expected)
            << row.what;
    }
    MouseSettings high;
    high.stageCode[0] = 0x96;  // high range without the flag: step 150 + 100
    high.highRangeMask = 0x01;
    EXPECT_EQ(HeldStageDpi(high, 1), 15000);
    EXPECT_EQ(HeldStageDpi(high, 9), 0);
}

}  // namespace
}  // namespace ms1::sim
