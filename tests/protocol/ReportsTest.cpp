#include "protocol/Reports.h"

#include <gtest/gtest.h>

#include "tests/support/ReportBytes.h"

namespace ms1 {
namespace {

using test::Action;
using test::DefaultProfile;
using test::Hex;

std::string Zeros(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += i == 0 ? "00" : " 00";
    return text;
}

TEST(Reports, DefaultProfileGivesTheKnownReports) {
    auto p = DefaultProfile();
    EXPECT_EQ(Hex(EncodePreamble()), "1c 3c 01 fe 01 fe " + Zeros(54));
    EXPECT_EQ(Hex(EncodeDpiReport(*p)),
              "14 3c 01 01 01 3f 20 20 10 20 30 40 64 d2 00 00 00 00 00 00 00 01 00 00 02 "
              "ff 00 00 00 ff 00 00 00 ff ff 00 ff ff ff 00 00 ff ff ff 40 00 ff ff ff 01 0f 8e " +
                  Zeros(8));
    EXPECT_EQ(Hex(EncodeLightingReport(*p)), "15 3c 01 70 03 a8 00 ff 00 01 04 02 1f " + Zeros(47));
    EXPECT_EQ(Hex(EncodePollingReport(*p)), "16 3c 01 01 fe " + Zeros(55));
    EXPECT_EQ(Hex(EncodeButtonReport(*p)),
              "18 3c 01 02 00 00 03 00 00 04 00 00 0d 00 00 01 00 00 01 00 00 06 00 00 05 00 00 "
              "01 00 00 01 00 00 01 00 00 01 00 00 01 00 00 01 00 00 09 00 00 0a 00 00 00 3c " +
                  Zeros(7));
}

TEST(Reports, PollingRateCodes) {
    auto p = DefaultProfile();
    const std::pair<int, std::string> rows[] = {{0, "08 f7"}, {1, "04 fb"}, {2, "02 fd"},
                                                {3, "01 fe"}, {4, "02 fd"}, {-1, "02 fd"}};
    for (const auto& [rate, bytes] : rows) {
        p->pollingRate = rate;
        EXPECT_EQ(Hex(EncodePollingReport(*p), 3, 2), bytes) << "rate " << rate;
    }
}

TEST(Reports, DpiStageCodesOverTheFourRanges) {
    auto p = DefaultProfile();
    // Stage steps at the range boundaries; expected code, flag and high-range bit by hand.
    const int steps[8] = {1, 200, 201, 220, 221, 300, 301, 340};
    for (int i = 0; i < 8; ++i) {
        p->dpiValue[i] = steps[i];
        p->stageEnabled[i] = 1;
    }
    auto r = EncodeDpiReport(*p);
    EXPECT_EQ(Hex(r, 5, 3), "ff f0 f0");
    EXPECT_EQ(Hex(r, 8, 8), "01 c8 c9 dc 79 c8 c8 dc");
    EXPECT_EQ(Hex(r, 16, 8), "00 00 01 01 00 00 01 01");

    p->dpiValue[0] = 0;  // an empty stage sends nothing for itself
    p->dpiValue[1] = 302;
    p->stageEnabled[2] = 2;  // only 1 counts as enabled
    r = EncodeDpiReport(*p);
    EXPECT_EQ(Hex(r, 5, 3), "fb f2 f2");
    EXPECT_EQ(Hex(r, 8, 2), "00 c9");
    EXPECT_EQ(Hex(r, 16, 2), "00 01");
}

TEST(Reports, LightingNibblesAndOptionBytes) {
    auto p = DefaultProfile();
    p->lightMode = 1;  // modes 1 and 9 carry the brightness
    p->brightness = 5;
    p->sleepTimer = 0x23;
    p->breathSpeed = 2;
    p->lightColor = {0x10, 0x20, 0x30, 0};
    p->lightOffTimer = 0x105;  // low byte only
    p->keyDebounce = 7;
    auto r = EncodeLightingReport(*p);
    // 3: 1<<4; 4: (0x23 & 0xf0) | 7; 5: low byte of (0x23<<4)|5 = 0x35
    EXPECT_EQ(Hex(r, 3, 10), "10 27 35 10 20 30 05 07 00 d8");

    p->lightMode = 9;
    EXPECT_EQ(Hex(EncodeLightingReport(*p), 3, 3), "90 27 35");
    p->lightMode = 2;
    EXPECT_EQ(Hex(EncodeLightingReport(*p), 3, 3), "20 27 38");

    p->angleSnap = 1;
    p->rippleControl = 0;
    p->moveCloseLight = 0;
    p->activeStage = 7;
    EXPECT_EQ(Hex(EncodeDpiReport(*p), 3, 2), "10 00");
    EXPECT_EQ(Hex(EncodeDpiReport(*p), 24, 1), "08");
}

TEST(Reports, EveryFunctionCodeReachesTheButtonMap) {
    // The device bytes of every function, as the function table gives them.
    const std::pair<int, const char*> table[] = {{0, "01 00 00"},
                                                 {1, "02 00 00"},
                                                 {2, "03 00 00"},
                                                 {3, "04 00 00"},
                                                 {4, "06 00 00"},
                                                 {5, "05 00 00"},
                                                 {6, "0d 00 00"},
                                                 {7, "0e 00 00"},
                                                 {8, "0f 00 00"},
                                                 {9, "07 00 00"},
                                                 {10, "08 00 00"},
                                                 {11, "09 00 00"},
                                                 {12, "0a 00 00"},
                                                 {13, "0b 00 00"},
                                                 {14, "0c 00 00"},
                                                 {19, "13 00 00"},
                                                 {21, "2b 00 00"},
                                                 {22, "10 00 09"},
                                                 {23, "29 00 03"},
                                                 {32, "11 01 1b"},
                                                 {33, "11 01 06"},
                                                 {34, "11 01 19"},
                                                 {35, "11 01 12"},
                                                 {36, "11 01 16"},
                                                 {37, "11 01 09"},
                                                 {38, "11 01 1c"},
                                                 {39, "11 01 1d"},
                                                 {40, "11 01 04"},
                                                 {41, "11 01 13"},
                                                 {42, "11 04 3d"},
                                                 {43, "11 04 2b"},
                                                 {44, "11 08 07"},
                                                 {45, "11 08 15"},
                                                 {46, "11 08 0f"},
                                                 {47, "11 01 11"},
                                                 {48, "11 01 2e"},
                                                 {49, "11 01 2d"},
                                                 {50, "11 0a 16"},
                                                 {54, "34 00 00"},
                                                 {55, "35 00 00"},
                                                 {56, "36 00 00"},
                                                 {64, "15 00 00"},
                                                 {65, "18 00 00"},
                                                 {66, "19 00 00"},
                                                 {67, "16 00 00"},
                                                 {68, "17 00 00"},
                                                 {69, "1b 00 00"},
                                                 {70, "1c 00 00"},
                                                 {71, "1a 00 00"},
                                                 {80, "25 00 00"},
                                                 {81, "11 03 12"},
                                                 {82, "20 00 00"},
                                                 {83, "21 00 00"},
                                                 {84, "22 00 00"},
                                                 {85, "24 00 00"},
                                                 {86, "26 00 00"},
                                                 {87, "1e 00 00"},
                                                 {88, "1d 00 00"},
                                                 {89, "23 00 00"},
                                                 {112, "28 00 00"},
                                                 {115, "14 00 00"},
                                                 {121, "3c 00 00"},
                                                 // codes without a row send three zeros
                                                 {15, "00 00 00"},
                                                 {18, "00 00 00"},
                                                 {20, "00 00 00"},
                                                 {24, "00 00 00"},
                                                 {51, "00 00 00"},
                                                 {53, "00 00 00"},
                                                 {57, "00 00 00"},
                                                 {72, "00 00 00"},
                                                 {90, "00 00 00"},
                                                 {255, "00 00 00"}};
    auto p = DefaultProfile();
    for (const auto& [function, bytes] : table) {
        p->button[5].function = static_cast<std::uint8_t>(function);
        EXPECT_EQ(Hex(EncodeButtonReport(*p), 18, 3), bytes) << "function " << function;
    }
    EXPECT_EQ(FunctionToDeviceCode(16).value()[0], 0x11);
    EXPECT_EQ(FunctionToDeviceCode(17).value()[0], 0x12);
}

TEST(Reports, KeyCombinationAndMacroButtons) {
    auto p = DefaultProfile();
    for (int k = 0; k < 16; ++k)
        p->button[k].function = 0;
    p->button[0].function = kFunctionKeyCombination;
    p->button[0].modifiers = kModCtrl | kModShift;
    p->button[0].key = 0x04;
    p->button[2].function = kFunctionMacro;   // start page 11
    p->button[9].function = kFunctionMacro;   // start page 46
    p->button[11].function = kFunctionMacro;  // start page 0
    p->button[16].function = 3;               // beyond the 16 buttons of the map
    auto r = EncodeButtonReport(*p);
    EXPECT_EQ(Hex(r, 3, 9), "11 03 04 01 00 00 12 00 0b");
    EXPECT_EQ(Hex(r, 30, 3), "12 00 2e");
    EXPECT_EQ(Hex(r, 36, 3), "12 00 00");
    EXPECT_EQ(Hex(r, 48, 5), "01 00 00 00 93");  // 0x11+3+4 + 0x12+0x0b + 0x12+0x2e + 0x12 + 12
}

TEST(Reports, ActionUnitsForDelaysAndDirections) {
    struct Row {
        MacroAction action;
        const char* units;
    };
    const Row rows[] = {
        {Action(0x04, 1, 0), "01 04"},
        {Action(0x04, 2, 0), "81 04"},
        {Action(0x04, 1, 127), "7f 04"},
        {Action(0x04, 2, 127), "ff 04"},
        {Action(0x04, 1, 128), "1c 04 01 03"},
        {Action(0x04, 2, 128), "9c 04 01 03"},
        {Action(0x04, 1, 250), "32 04 02 03"},
        {Action(0x04, 2, 250), "b2 04 02 03"},
        {Action(0x04, 1, 300), "01 04 03 03"},
        {Action(0x04, 2, 300), "81 04 03 03"},
        {Action(0xF5, 1, 25000), "01 f5 fa 03"},
        {Action(0xF5, 2, 25000), "81 f5 fa 03"},
        {Action(0x04, 3, 10), "8a 04"},  // any other direction is a release
        {Action(0x04, 0, 10), "00 00 00 00 00 00"},
        {Action(0x04, 0, 300), "00 00 00 00 00 00 03 03"},
    };
    for (const Row& row : rows) {
        auto p = DefaultProfile();
        test::SetMacro(p->button[0], {row.action});
        auto page = EncodeMacroPage(p->button[0], 0, 1);
        std::size_t length = (std::string(row.units).size() + 1) / 3;
        EXPECT_EQ(Hex(page.bytes, 9, length), row.units)
            << "key " << int(row.action.key) << " dir " << int(row.action.direction) << " delay "
            << row.action.delay;
        EXPECT_EQ(page.bytes[8], length / 2);
        EXPECT_EQ(page.bytes[9 + length], 0);
        EXPECT_FALSE(page.more);
    }
}

TEST(Reports, MacroPageHeaderAndChecksum) {
    auto p = DefaultProfile();
    ButtonEntry& e = p->button[1];
    std::vector<MacroAction> actions(60, Action(0x04, 1, 10));
    test::SetMacro(e, actions, /*mode=*/2, /*repeat=*/0);
    e.reserved1084[0] = 0xAA;
    e.reserved1084[3] = 0xBB;  // only the first three bytes travel

    auto pages = EncodeMacroPages(e, kMacroStartPage[1]);
    ASSERT_EQ(pages.size(), 2u);
    const auto& first = pages[0];
    EXPECT_EQ(Hex(first, 0, 9), "19 83 06 02 aa 00 00 01 3c");
    EXPECT_EQ(Hex(first, 123, 8), "0a 04 0a 04 07 fe 05 28");
    // 2 + 0xaa + 1 + 0x3c + 59 * (0x0a + 4) + 7 + 0xfe = 0x0528
    const auto& second = pages[1];
    EXPECT_EQ(Hex(second, 0, 12), "19 83 07 00 00 00 00 00 01 0a 04 00");
    EXPECT_EQ(Hex(second, 129, 2), "00 0f");

    e.macroRepeat = 0x105;  // the low byte travels; a low byte of 0 would go as 1
    EXPECT_EQ(EncodeMacroPage(e, 0, 6).bytes[7], 0x05);
    e.macroRepeat = 0x100;
    EXPECT_EQ(EncodeMacroPage(e, 0, 6).bytes[7], 0x01);
}

TEST(Reports, PagesOverflowAtTheirRoomForEveryActionSize) {
    struct Row {
        MacroAction action;
        int fitting;         // actions that fill the 118 bytes of a page
        std::size_t contAt;  // report byte of the continuation unit
    };
    const Row rows[] = {
        {Action(0x04, 1, 10), 59, 127},   // 2-byte actions: 118 bytes exactly
        {Action(0x04, 1, 200), 29, 125},  // 4-byte actions: 116 bytes
        {Action(0x04, 0, 10), 19, 123},   // 6-byte actions: 114 bytes
        {Action(0x04, 0, 200), 14, 121},  // 8-byte actions: 112 bytes
    };
    for (const Row& row : rows) {
        const int size = row.action.direction == 0 ? (row.action.delay > 127 ? 8 : 6)
                                                   : (row.action.delay > 127 ? 4 : 2);
        SCOPED_TRACE("action of " + std::to_string(size) + " bytes");
        auto p = DefaultProfile();
        // Exactly as many as fit: one page, no continuation.
        test::SetMacro(p->button[0], std::vector<MacroAction>(row.fitting, row.action));
        auto pages = EncodeMacroPages(p->button[0], 1);
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(pages[0][8], row.fitting * size / 2);
        for (std::size_t i = 9 + static_cast<std::size_t>(row.fitting * size); i < 129; ++i) {
            ASSERT_EQ(pages[0][i], 0) << "byte " << i << " after the last action";
        }

        // One more: the page ends with the continuation unit, the next page takes the rest.
        test::SetMacro(p->button[0], std::vector<MacroAction>(row.fitting + 1, row.action));
        auto page = EncodeMacroPage(p->button[0], 0, 1);
        EXPECT_TRUE(page.more);
        EXPECT_EQ(page.nextCursor, row.fitting);
        EXPECT_EQ(page.bytes[8], row.fitting * size / 2 + 1);
        EXPECT_EQ(Hex(page.bytes, row.contAt, 2), "02 fe");
        for (std::size_t i = row.contAt + 2; i < 129; ++i) {
            ASSERT_EQ(page.bytes[i], 0) << "byte " << i << " after the continuation";
        }
        auto next = EncodeMacroPage(p->button[0], page.nextCursor, 2);
        EXPECT_FALSE(next.more);
        EXPECT_EQ(next.bytes[8], size / 2);
        EXPECT_EQ(Hex(next.bytes, 3, 5), "00 00 00 00 00");
    }
}

TEST(Reports, LongestMacroSpreadsOverPagesAndEmptyMacroIsOnePage) {
    auto p = DefaultProfile();
    test::SetMacro(p->button[0], std::vector<MacroAction>(200, Action(0x04, 0, 300)));
    auto pages = EncodeMacroPages(p->button[0], 1);
    EXPECT_EQ(pages.size(), 15u);  // 14 actions a page
    EXPECT_EQ(pages.back()[2], 15);
    EXPECT_EQ(pages.back()[8], 4 * 4);

    test::SetMacro(p->button[0], {});
    pages = EncodeMacroPages(p->button[0], 1);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(Hex(pages[0], 0, 10), "19 83 01 00 00 00 00 01 00 00");
    EXPECT_EQ(Hex(pages[0], 129, 2), "00 01");
}

}  // namespace
}  // namespace ms1
