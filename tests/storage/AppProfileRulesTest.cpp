#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Utf16Text.h"
#include "storage/AppProfileRules.h"
#include "tests/support/TempFolder.h"

namespace ms1::test {
namespace {

const std::string kTop =
    "# ms1 application profiles: \"switch\" TAB on|off, then \"rule\" TAB application TAB "
    "profile\n";

std::filesystem::path RulesFile(const TempFolder& data) {
    return data / "ms_1" / "appprofiles.txt";
}

std::string Listed(const AppProfileRules& rules) {
    std::string text;
    for (const auto& rule : rules.Rules())
        text += rule.app + "=" + ToUtf8(rule.profile) + ";";
    return text;
}

// What the program writes for a set of changes, and that it reads back the same.
struct RoundTripCase {
    const char* label;
    std::vector<std::pair<std::string, std::u16string>> rules;
    bool switchOn;
    std::string file;  // written out by hand
};

TEST(AppProfileRulesFile, WritesAndReadsBack) {
    const RoundTripCase cases[] = {
        {"empty", {}, true, kTop + "switch\ton\n"},
        {"two rules, switch off",
         {{"firefox", u"Drawing"}, {"Gimp-2.10", u"Profile1"}},
         false,
         kTop + "switch\toff\nrule\tfirefox\tDrawing\nrule\tGimp-2.10\tProfile1\n"},
        {"escapes and non-ASCII",
         {{"a\\b", u"tab\there"}, {"Überspiel", u"Profil \u00e4\u4e2d"}},
         true,
         kTop + "switch\ton\nrule\ta\\\\b\ttab\\there\n"
                "rule\t\xc3\x9c"
                "berspiel\tProfil \xc3\xa4\xe4\xb8\xad\n"},
        {"profile with line breaks",
         {{"x", u"one\ntwo\r"}},
         true,
         kTop + "switch\ton\nrule\tx\tone\\ntwo\\r\n"},
    };
    for (const auto& c : cases) {
        TempFolder data;
        AppProfileRules rules(data.path());
        rules.Load();
        for (const auto& [app, profile] : c.rules)
            ASSERT_TRUE(rules.Set(app, profile)) << c.label;
        ASSERT_TRUE(rules.SetSwitch(c.switchOn)) << c.label;
        ASSERT_TRUE(rules.Save()) << c.label;
        EXPECT_EQ(ReadText(RulesFile(data)), c.file) << c.label;

        AppProfileRules again(data.path());
        StoreLoadReport report = again.Load();
        EXPECT_EQ(report.droppedRecords, 0u) << c.label;
        EXPECT_FALSE(report.keptAside) << c.label;
        EXPECT_EQ(Listed(again), Listed(rules)) << c.label;
        EXPECT_EQ(again.SwitchOn(), c.switchOn) << c.label;
    }
}

// Files as a user or another version may leave them: what is taken and what is dropped.
struct ReadCase {
    const char* label;
    std::string file;
    std::string listed;
    bool switchOn;
    std::size_t dropped;
};

TEST(AppProfileRulesFile, ReadsWhatItCanAndCountsTheRest) {
    const ReadCase cases[] = {
        {"no switch line means on", "rule\tfirefox\tDrawing\n", "firefox=Drawing;", true, 0},
        {"comments, blank lines, CRLF", "# hi\n\r\nswitch\toff\r\nrule\tA\tB\r\n", "A=B;", false,
         0},
        {"last line without line feed", "rule\tA\tB", "A=B;", true, 0},
        {"second rule of one app in other case", "rule\tFirefox\tOne\nrule\tfirefox\tTwo\n",
         "Firefox=One;", true, 1},
        {"empty application", "rule\t\tOne\nrule\tb\tTwo\n", "b=Two;", true, 1},
        {"empty profile", "rule\ta\t\n", "", true, 1},
        {"too many fields", "rule\ta\tb\tc\n", "", true, 1},
        {"unknown switch value", "switch\tmaybe\nrule\ta\tb\n", "a=b;", true, 1},
        {"not UTF-8", "rule\ta\xff\tb\nrule\tc\td\n", "c=d;", true, 1},
        {"backslash at the end", "rule\ta\\\tb\n", "", true, 1},
        {"control character in application", "rule\ta\x01\tb\n", "", true, 1},
    };
    for (const auto& c : cases) {
        TempFolder data;
        WriteText(RulesFile(data), c.file);
        AppProfileRules rules(data.path());
        StoreLoadReport report = rules.Load();
        EXPECT_EQ(Listed(rules), c.listed) << c.label;
        EXPECT_EQ(rules.SwitchOn(), c.switchOn) << c.label;
        EXPECT_EQ(report.droppedRecords, c.dropped) << c.label;
        EXPECT_EQ(report.keptAside, c.dropped > 0) << c.label;
        // Nothing is written back at load; the file stays as it was until a change.
        EXPECT_EQ(ReadText(RulesFile(data)), c.file) << c.label;
    }
}

TEST(AppProfileRulesFile, ReadOnlyLoadKeepsNothingAside) {
    TempFolder data;
    WriteText(RulesFile(data), "nonsense\nrule\ta\tb\n");
    AppProfileRules rules(data.path());
    StoreLoadReport report = rules.Load(StoreMode::ReadOnly);
    EXPECT_EQ(report.droppedRecords, 1u);
    EXPECT_FALSE(report.keptAside);
    EXPECT_FALSE(std::filesystem::exists(RulesFile(data).string() + ".bad"));
    EXPECT_EQ(Listed(rules), "a=b;");
}

TEST(AppProfileRules, MatchesApplicationsWithoutLetterCase) {
    TempFolder data;
    AppProfileRules rules(data.path());
    rules.Load();
    ASSERT_TRUE(rules.Set("Firefox", u"Web"));
    ASSERT_TRUE(rules.Set("\u00c4pp", u"Umlaut"));
    const std::pair<const char*, std::optional<std::u16string>> lookups[] = {
        {"firefox", u"Web"}, {"FIREFOX", u"Web"},     {"Firefox", u"Web"},
        {"firefox-esr", {}}, {"\u00e4PP", u"Umlaut"}, {"", {}},
    };
    for (const auto& [app, expected] : lookups)
        EXPECT_EQ(rules.ProfileFor(app), expected) << app;
    // Setting it again under another spelling changes the one rule.
    ASSERT_TRUE(rules.Set("FIREFOX", u"Other"));
    EXPECT_EQ(Listed(rules), "Firefox=Other;\u00c4pp=Umlaut;");
    ASSERT_TRUE(rules.Unset("fIrEfOx"));
    EXPECT_EQ(Listed(rules), "\u00c4pp=Umlaut;");
    EXPECT_TRUE(rules.Unset("not there"));
    EXPECT_FALSE(rules.Set("", u"P"));
    EXPECT_FALSE(rules.Set("   ", u"P"));
    EXPECT_FALSE(rules.Set("tab\there", u"P"));
    EXPECT_FALSE(rules.Set("ok", u""));
    EXPECT_EQ(Listed(rules), "\u00c4pp=Umlaut;");
}

// The switch: on by default once a rule exists; off stays off while rules are there.
TEST(AppProfileRules, SwitchIsOnOnceARuleExists) {
    TempFolder data;
    AppProfileRules rules(data.path());
    rules.Load();
    EXPECT_TRUE(rules.SwitchOn());
    EXPECT_FALSE(rules.Enabled());  // nothing to switch to
    ASSERT_TRUE(rules.Set("a", u"P"));
    EXPECT_TRUE(rules.Enabled());
    ASSERT_TRUE(rules.SetSwitch(false));
    EXPECT_FALSE(rules.Enabled());
    ASSERT_TRUE(rules.Set("b", u"P"));
    EXPECT_FALSE(rules.Enabled()) << "a second rule does not undo the user's off";
    ASSERT_TRUE(rules.Unset("a"));
    ASSERT_TRUE(rules.Unset("b"));
    ASSERT_TRUE(rules.Set("c", u"P"));
    EXPECT_TRUE(rules.Enabled()) << "the first rule of an empty list turns it on";
}

// Renames and deletes of profiles: a rule follows its profile or goes, and the file says so.
struct FollowCase {
    const char* label;
    void (*change)(AppProfileRules&);
    std::string listed;
};

TEST(AppProfileRules, RulesFollowRenamedAndDeletedProfiles) {
    const FollowCase cases[] = {
        {"rename", [](AppProfileRules& r) { ASSERT_TRUE(r.ProfileRenamed(u"Web", u"Browse")); },
         "firefox=Browse;gimp=Draw;chromium=Browse;"},
        {"rename in other letter case",
         [](AppProfileRules& r) { ASSERT_TRUE(r.ProfileRenamed(u"wEB", u"Browse")); },
         "firefox=Browse;gimp=Draw;chromium=Browse;"},
        {"rename of a profile without rules",
         [](AppProfileRules& r) { ASSERT_TRUE(r.ProfileRenamed(u"Games", u"Play")); },
         "firefox=Web;gimp=Draw;chromium=Web;"},
        {"delete", [](AppProfileRules& r) { ASSERT_TRUE(r.ProfileDeleted(u"web")); }, "gimp=Draw;"},
        {"stored profiles only",
         [](AppProfileRules& r) {
             ASSERT_TRUE(r.KeepOnlyProfiles({u"DRAW", u"Games"}));
         },
         "gimp=DRAW;"},
    };
    for (const auto& c : cases) {
        TempFolder data;
        AppProfileRules rules(data.path());
        rules.Load();
        ASSERT_TRUE(rules.Set("firefox", u"Web"));
        ASSERT_TRUE(rules.Set("gimp", u"Draw"));
        ASSERT_TRUE(rules.Set("chromium", u"Web"));
        int calls = 0;
        rules.AddListener([&] { ++calls; });
        c.change(rules);
        EXPECT_EQ(Listed(rules), c.listed) << c.label;
        EXPECT_EQ(calls, c.listed == "firefox=Web;gimp=Draw;chromium=Web;" ? 0 : 1) << c.label;
        AppProfileRules reloaded(data.path());
        reloaded.Load();
        EXPECT_EQ(Listed(reloaded), c.listed) << c.label << ": saved at once";
    }
}

}  // namespace
}  // namespace ms1::test
