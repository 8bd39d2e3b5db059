#include "core/ProfileRecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>

#include "tests/support/ReportBytes.h"

namespace ms1 {
namespace {

using test::DefaultProfile;

const std::uint8_t* Raw(const ProfileRecord& p) {
    return reinterpret_cast<const std::uint8_t*>(&p);
}

std::int32_t I32At(const ProfileRecord& p, std::size_t offset) {
    const std::uint8_t* b = Raw(p) + offset;
    return static_cast<std::int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) |
                                     (static_cast<std::uint32_t>(b[3]) << 24));
}

TEST(ProfileRecord, NewProfileHoldsExactlyTheDefaultsAndZerosElsewhere) {
    auto p = DefaultProfile(u"Ab");
    const std::uint8_t* b = Raw(*p);
    std::vector<bool> named(sizeof(ProfileRecord), false);
    auto expectI32 = [&](std::size_t offset, std::int32_t value) {
        EXPECT_EQ(I32At(*p, offset), value) << "at offset " << offset;
        for (std::size_t i = 0; i < 4; ++i)
            named[offset + i] = true;
    };
    auto expectBytes = [&](std::size_t offset, std::vector<std::uint8_t> bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            EXPECT_EQ(b[offset + i], bytes[i]) << "at offset " << offset + i;
            named[offset + i] = true;
        }
    };
    expectBytes(0, {'A', 0, 'b', 0});
    expectI32(2200, 420);
    expectI32(2204, 3);
    expectI32(2212, 6);
    const std::int32_t dpi[] = {16, 32, 48, 64, 100, 320, 0, 0};
    const std::int32_t enabled[] = {1, 1, 1, 1, 1, 1, 0, 0};
    for (int i = 0; i < 8; ++i) {
        expectI32(2244 + 4 * i, dpi[i]);
        expectI32(2276 + 4 * i, dpi[i]);
        expectI32(2308 + 4 * i, enabled[i]);
    }
    expectI32(2340, 8);
    expectI32(2344, 6);
    expectI32(2348, 10);
    expectI32(2352, 1);
    expectI32(2356, 1);
    expectI32(2360, 3);
    expectI32(2364, 1);
    expectI32(2368, 1);
    expectI32(2376, 1);
    expectI32(2380, 7);
    expectI32(2384, 3);
    expectI32(2388, 1);
    expectI32(2392, 4);
    expectBytes(2396, {0, 255, 0, 0});
    expectBytes(2400, {255, 0,   0, 0, 0, 255, 0,   0, 0,   0,  255, 0, 255, 0,   255, 0,
                       255, 255, 0, 0, 0, 255, 255, 0, 255, 64, 0,   0, 255, 255, 255, 0});
    expectBytes(2432, {255, 0,   0, 0, 0,   255, 0,   0, 0,   0,   255, 0, 255, 0,   255, 0,
                       255, 255, 0, 0, 255, 255, 255, 0, 255, 255, 255, 0, 255, 128, 0,   0});
    const std::uint8_t functions[] = {1, 2, 3, 6, 0, 0, 4, 5, 0, 0, 0, 0, 0, 0, 11, 12, 0, 0};
    for (int k = 0; k < 18; ++k) {
        std::size_t e = 2464 + 1888 * static_cast<std::size_t>(k);
        expectBytes(e, {static_cast<std::uint8_t>(k), functions[k]});
        expectBytes(e + 8, {0x32, 0x02});
        expectI32(e + 1072, -1);
        expectI32(e + 1076, -1);
    }
    for (std::size_t i = 0; i < sizeof(ProfileRecord); ++i) {
        if (!named[i] && b[i] != 0)
            ADD_FAILURE() << "unexpected byte at offset " << i;
    }
    static_assert(sizeof(ProfileRecord) == 0xBAA0);
}

TEST(ProfileRecord, ResetsKeepTheirScope) {
    auto p = DefaultProfile(u"Keep me");
    p->brightness = 2;
    p->dpiValue[0] = 99;
    p->stageColor[3] = {1, 2, 3, 0};
    p->button[4].function = 7;
    p->rippleControl = 0;
    ResetDpiToDefaults(*p);
    EXPECT_EQ(p->dpiValue[0], 16);
    EXPECT_EQ(p->stageColor[3].r, 255);
    EXPECT_EQ(p->brightness, 2);  // lighting, buttons and sensor options stay
    EXPECT_EQ(p->button[4].function, 7);
    EXPECT_EQ(p->rippleControl, 0);

    p->reservedText1[3] = 'x';
    ResetProfileToDefaults(*p);
    EXPECT_EQ(p->profileName.get(), u"Keep me");
    EXPECT_EQ(p->brightness, 8);
    EXPECT_EQ(p->button[4].function, 0);
    EXPECT_EQ(p->reservedText1[3], 0);
}

TEST(ProfileRecord, DpiConversionsAtTheirBoundaries) {
    struct Row {
        long long typed;
        int step;
        int shown;
    };
    const Row rows[] = {{24001, 340, 24000}, {24000, 340, 24000}, {10, 1, 50},
                        {-5, 1, 50},         {50, 1, 50},         {75, 1, 50},
                        {10050, 200, 10000}, {10000, 200, 10000}, {10100, 201, 10100},
                        {10199, 201, 10100}, {23999, 339, 23900}, {3200, 64, 3200},
                        {149, 2, 100}};
    for (const Row& row : rows) {
        EXPECT_EQ(DisplayToDpiStep(row.typed), row.step) << "typed " << row.typed;
        EXPECT_EQ(DpiStepToDisplay(row.step), row.shown) << "step " << row.step;
    }

    // Steps no control sets, as a damaged store holds them: an unused stage's 0 shows 0, and
    // the rest the nearest end without overflowing.
    const std::pair<int, int> stored[] = {{0, 0},       {-1, 0},           {INT32_MIN, 0},
                                          {341, 24000}, {21474837, 24000}, {INT32_MAX, 24000}};
    for (const auto& [step, shown] : stored)
        EXPECT_EQ(DpiStepToDisplay(step), shown) << "step " << step;
}

TEST(ProfileRecord, ColoursConvertBothWays) {
    EXPECT_EQ(ColorToDisplay({0x12, 0x34, 0x56, 0}), 0xFF123456u);
    RgbColor c = DisplayToColor(0x00ABCDEF);
    EXPECT_EQ(c.r, 0xAB);
    EXPECT_EQ(c.g, 0xCD);
    EXPECT_EQ(c.b, 0xEF);
    EXPECT_EQ(c.spare, 0);
}

TEST(ProfileRecord, ResyncFollowsMacrosByNameAndDropsVanishedOnes) {
    ProfileList profiles;
    profiles.push_back(DefaultProfile(u"One"));
    profiles.push_back(DefaultProfile(u"Two"));
    ButtonEntry& kept = profiles[0]->button[2];
    test::SetMacro(kept, {test::Action(4, 1, 10)});
    kept.macroName.set(u"Jump");
    kept.macroIndex = 5;
    ButtonEntry& gone = profiles[1]->button[0];
    test::SetMacro(gone, {test::Action(5, 1, 10)});
    gone.macroName.set(u"Gone");
    ButtonEntry& beyond = profiles[1]->button[12];  // only the first 12 buttons follow
    test::SetMacro(beyond, {test::Action(6, 1, 10)});
    beyond.macroName.set(u"Gone");

    MacroList macros;
    MacroRecord jump = MakeEmptyMacro(u"JUMP");
    jump.actionCount = 2;
    jump.actions[0] = test::Action(0x2C, 1, 30);
    jump.actions[1] = test::Action(0x2C, 2, 40);
    macros.push_back(jump);

    const MacroResync first = ResyncMacroButtons(profiles, macros, nullptr);
    EXPECT_FALSE(first.workingChanged);
    EXPECT_TRUE(first.anyChanged);
    EXPECT_EQ(kept.function, kFunctionMacro);
    EXPECT_EQ(kept.macroName.get(), u"JUMP");
    EXPECT_EQ(kept.macroActionCount, 2);
    EXPECT_EQ(kept.macroActions[1].key, 0x2C);
    EXPECT_EQ(kept.macroActions[1].delay, 40);
    EXPECT_EQ(kept.macroIndex, 5);

    const std::uint8_t* g = reinterpret_cast<const std::uint8_t*>(&gone);
    EXPECT_EQ(g[0], 0);
    EXPECT_EQ(gone.function, 1);  // default of button 1
    for (std::size_t i = 2; i < sizeof(ButtonEntry); ++i) {
        if (i >= 1072 && i < 1076)
            continue;
        ASSERT_EQ(g[i], 0) << "entry byte " << i;
    }
    EXPECT_EQ(gone.macroIndex, -1);
    EXPECT_EQ(beyond.function, kFunctionMacro);
    EXPECT_EQ(beyond.macroName.get(), u"Gone");

    // Everything is up to date now: a second resync changes nothing, in either profile.
    const MacroResync again = ResyncMacroButtons(profiles, macros, profiles[0].get());
    EXPECT_FALSE(again.workingChanged);
    EXPECT_FALSE(again.anyChanged);
    EXPECT_FALSE(ResyncMacroButtons(profiles, macros, profiles[1].get()).workingChanged);
}

// Buttons 1 and 2 carry macros "A" (key 0x04) and "B" (key 0x05) in both profiles; the editor
// leaves the macro list `after`, having renamed and deleted as `changes` says.
TEST(ProfileRecord, ResyncFollowsRenamesAndFreesOnlyDeletedMacros) {
    struct Macro {
        std::u16string name;
        std::uint8_t key;  // of its only action
    };
    struct Row {
        const char* name;
        std::vector<Macro> after;
        MacroNameChanges changes;
        Macro button1, button2;  // name "" for a freed button
        bool changed;
    } rows[] = {
        {"nothing happened", {{u"A", 4}, {u"B", 5}}, {}, {u"A", 4}, {u"B", 5}, false},
        {"A renamed",
         {{u"Greeting", 4}, {u"B", 5}},
         {{u"A", u"Greeting"}},
         {u"Greeting", 4},
         {u"B", 5},
         true},
        {"renamed twice",
         {{u"C", 4}, {u"B", 5}},
         {{u"A", u"X"}, {u"x", u"C"}},
         {u"C", 4},
         {u"B", 5},
         true},
        {"swapped through a third name",
         {{u"B", 4}, {u"A", 5}},
         {{u"A", u"X"}, {u"B", u"A"}, {u"X", u"B"}},
         {u"B", 4},
         {u"A", 5},
         true},
        {"B deleted, then A renamed B",
         {{u"B", 4}},
         {{u"B", {}}, {u"A", u"B"}},
         {u"B", 4},
         {u"", 0},
         true},
        {"A renamed, then deleted",
         {{u"B", 5}},
         {{u"A", u"D"}, {u"D", {}}},
         {u"", 0},
         {u"B", 5},
         true},
        {"B deleted, a new B made",
         {{u"A", 4}, {u"B", 6}},
         {{u"B", {}}},
         {u"A", 4},
         {u"", 0},
         true},
        {"only the letter case",
         {{u"a", 4}, {u"B", 5}},
         {{u"A", u"a"}},
         {u"a", 4},
         {u"B", 5},
         true},
        {"A's actions changed", {{u"A", 7}, {u"B", 5}}, {}, {u"A", 7}, {u"B", 5}, true},
        {"A gone without a word (deleted elsewhere)", {{u"B", 5}}, {}, {u"", 0}, {u"B", 5}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ProfileList profiles;
        for (const char16_t* name : {u"One", u"Two"}) {
            profiles.push_back(DefaultProfile(name));
            test::SetMacro(profiles.back()->button[0], {test::Action(0x04, 1, 10)});
            profiles.back()->button[0].macroName.set(u"A");
            test::SetMacro(profiles.back()->button[1], {test::Action(0x05, 1, 10)});
            profiles.back()->button[1].macroName.set(u"B");
        }
        MacroList macros;
        for (const Macro& m : row.after) {
            MacroRecord macro = MakeEmptyMacro(m.name);
            macro.actionCount = 1;
            macro.actions[0] = test::Action(m.key, 1, 10);
            macros.push_back(macro);
        }
        const MacroResync resync =
            ResyncMacroButtons(profiles, macros, profiles[0].get(), row.changes);
        EXPECT_EQ(resync.workingChanged, row.changed);
        EXPECT_EQ(resync.anyChanged, row.changed);
        for (const auto& profile : profiles) {
            for (auto [index, expected] : {std::pair{0, row.button1}, {1, row.button2}}) {
                const ButtonEntry& entry = profile->button[index];
                EXPECT_EQ(entry.macroName.get(), expected.name) << "button " << index + 1;
                EXPECT_EQ(entry.function == kFunctionMacro, !expected.name.empty());
                EXPECT_EQ(entry.macroActions[0].key, expected.key) << "button " << index + 1;
            }
        }
    }
}

TEST(ProfileRecord, ProfileFilesAreCheckedBeforeUse) {
    auto p = DefaultProfile();
    std::vector<std::uint8_t> bytes(BytesOf(*p).begin(), BytesOf(*p).end());
    EXPECT_FALSE(CheckProfileBytes(bytes));

    std::vector<std::uint8_t> longer = bytes;
    longer.resize(bytes.size() + 10, 0xEE);
    EXPECT_FALSE(CheckProfileBytes(longer));
    EXPECT_EQ(std::memcmp(ProfileFromBytes(longer).get(), p.get(), sizeof(ProfileRecord)), 0);

    std::vector<std::uint8_t> shorter(bytes.begin(), bytes.end() - 1);
    EXPECT_TRUE(CheckProfileBytes(shorter));

    std::vector<std::uint8_t> unterminated = bytes;
    for (std::size_t i = 0; i < 200; i += 2)
        unterminated[i] = 'A';
    EXPECT_TRUE(CheckProfileBytes(unterminated));

    std::vector<std::uint8_t> tooMany = bytes;
    std::size_t countAt = 2464 + 1888 * 20 + 68;  // even an unused entry must be sane
    tooMany[countAt] = 201;
    EXPECT_TRUE(CheckProfileBytes(tooMany));
    tooMany[countAt] = 200;
    EXPECT_FALSE(CheckProfileBytes(tooMany));
}

}  // namespace
}  // namespace ms1
