#include "storage/NameRules.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/MacroRecord.h"

namespace ms1 {
namespace {

MacroList Macros(std::initializer_list<std::u16string_view> names) {
    MacroList list;
    for (auto name : names)
        list.push_back(MakeEmptyMacro(name));
    return list;
}

TEST(NameRules, LookupIgnoresLetterCase) {
    EXPECT_FALSE(NameExists(MacroList{}, u"macro1"));
    EXPECT_TRUE(NameExists(Macros({u"macro1"}), u"MACRO1"));
    EXPECT_TRUE(NameExists(Macros({u"MACRO1"}), u"macro1"));
    EXPECT_TRUE(NameExists(Macros({u"Ärger"}), u"äRGER"));
    EXPECT_TRUE(NameExists(Macros({u"Привет"}), u"пРИВЕТ"));
    EXPECT_FALSE(NameExists(Macros({u"macro1"}), u"macro"));
    EXPECT_FALSE(NameExists(Macros({u"macro"}), u"macro1"));
}

TEST(NameRules, SuffixIsAddedOnceToTheBase) {
    EXPECT_EQ(MakeUniqueName(Macros({u"Macro3", u"Macro3_1"}), u"Macro3", 23), u"Macro3_2");
    EXPECT_EQ(MakeUniqueName(Macros({u"Macro3_1"}), u"Macro3", 23), u"Macro3");
    EXPECT_EQ(MakeUniqueName(Macros({u"macro3", u"MACRO3_1"}), u"Macro3", 23), u"Macro3_2");
    EXPECT_EQ(MakeUniqueName(Macros({u"Macro3_1"}), u"Macro3_1", 23), u"Macro3_1_1");
}

TEST(NameRules, UniqueNamesNeverOverflowTheirField) {
    const std::u16string full23 = u"ABCDEFGHIJKLMNOPQRSTUVW";
    EXPECT_EQ(MakeUniqueName(Macros({full23}), full23, 23), u"ABCDEFGHIJKLMNOPQRSTU_1");
    EXPECT_EQ(MakeUniqueName(Macros({full23, u"ABCDEFGHIJKLMNOPQRSTU_1"}), full23, 23),
              u"ABCDEFGHIJKLMNOPQRSTU_2");

    // A base longer than the field is cut to the field first.
    EXPECT_EQ(MakeUniqueName(MacroList{}, full23 + u"XYZ", 23), full23);

    // Ten or more suffixes take one more character of the base.
    MacroList many = Macros({u"Long name for a macro!!"});
    for (int n = 1; n <= 9; ++n) {
        std::string s = "Long name for a macro_" + std::to_string(n);
        many.push_back(MakeEmptyMacro(std::u16string(s.begin(), s.end())));
    }
    EXPECT_EQ(MakeUniqueName(many, u"Long name for a macro!!", 23), u"Long name for a macr_10");

    // A surrogate pair is never split by the shortening.
    std::u16string emoji = u"ABCDEFGHIJKLMNOPQRST\U0001F600X";  // 23 units
    std::u16string unique = MakeUniqueName(Macros({emoji}), emoji, 23);
    EXPECT_EQ(unique, u"ABCDEFGHIJKLMNOPQRST_1");
    EXPECT_LE(unique.size(), 23u);
}

TEST(MacroRecordRules, WeightedLengthCountsLongDelaysTwice) {
    MacroRecord macro = MakeEmptyMacro(u"m");
    macro.actionCount = 100;
    for (int i = 0; i < 100; ++i)
        macro.actions[i].delay = 129;
    EXPECT_EQ(WeightedLength(macro), 200);
    for (int i = 0; i < 100; ++i)
        macro.actions[i].delay = 128;
    EXPECT_EQ(WeightedLength(macro), 100);
    macro.actions[150].delay = 5000;  // slots past the count are not part of the macro
    EXPECT_EQ(WeightedLength(macro), 100);
}

TEST(MacroRecordRules, RecordLayoutAndValidity) {
    MacroRecord macro = MakeEmptyMacro(u"Fwd");
    macro.actionCount = 1;
    macro.actions[0].key = kMouseForward;
    macro.actions[0].direction = kDirectionRelease;
    macro.actions[0].delay = 0x1234;
    const auto* b = reinterpret_cast<const std::uint8_t*>(&macro);
    EXPECT_EQ(b[0], 'F');
    EXPECT_EQ(b[6], 0);
    EXPECT_EQ(b[52], 1);
    const std::uint8_t action[] = {0xF5, 0x02, 0x34, 0x12};
    EXPECT_EQ(std::memcmp(b + 56, action, 4), 0);
    EXPECT_TRUE(IsValidMacro(macro));

    macro.actionCount = 201;
    EXPECT_FALSE(IsValidMacro(macro));
    macro.actionCount = -1;
    EXPECT_FALSE(IsValidMacro(macro));
    macro.actionCount = 0;
    for (auto& unit : macro.name.units)
        unit = 'x';
    EXPECT_FALSE(IsValidMacro(macro));
}

TEST(Utf16Text, Utf8RoundTripAndBadInput) {
    std::u16string text = u"Prøfil \U0001F600 ö";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(u"Prøfil"),
              "Pr\xC3\xB8"
              "fil");
    EXPECT_EQ(FromUtf8("a\xFF"
                       "b"),
              u"a\uFFFDb");
    EXPECT_EQ(FromUtf8("\xE2\x82"), u"\uFFFD\uFFFD");  // cut sequence
}

}  // namespace
}  // namespace ms1
