#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Utf16Text.h"
#include "tests/support/TempFolder.h"
#include "ui/dialogs/AppProfilesDialog.h"

namespace ms1::test {
namespace {

class FixedWindows : public OpenWindowApps {
  public:
    std::vector<std::string> AppIds() override { return ids; }
    std::vector<std::string> ids;
};

std::string Listed(const std::vector<AppProfileRule>& rules) {
    std::string text;
    for (const auto& rule : rules)
        text += rule.app + "=" + ToUtf8(rule.profile) + ";";
    return text;
}

std::string Joined(const std::vector<std::string>& apps) {
    std::string text;
    for (const auto& app : apps)
        text += app + ";";
    return text;
}

class AppProfilesDialogTest : public ::testing::Test {
  protected:
    AppProfilesDialogTest() { rules.Load(); }

    AppProfilesDialog Open() {
        return AppProfilesDialog({rules, [this] { return profiles; }, &windows, "why not"});
    }

    TempFolder data;
    AppProfileRules rules{data.path()};
    std::vector<std::u16string> profiles{u"Main", u"Drawing", u"Games"};
    FixedWindows windows;
};

// One user's way through the dialog, step by step: what each step leaves in the dialog and in
// the rules.
TEST_F(AppProfilesDialogTest, AddChooseAndRemoveRules) {
    windows.ids = {"firefox", "Gimp", "firefox", "gimp", "", "bad\tid", "krita", "Alacritty"};
    ASSERT_TRUE(rules.Set("krita", u"Drawing"));
    AppProfilesDialog dialog = Open();
    EXPECT_EQ(dialog.UnavailableWhy(), "why not");
    EXPECT_EQ(dialog.Selected(), 0);
    EXPECT_EQ(dialog.ChosenProfile(), 1);
    // Each open application once, in any letter case, without the ones that have a rule.
    EXPECT_EQ(Joined(dialog.OpenApps()), "Alacritty;firefox;Gimp;");

    struct Step {
        const char* label;
        void (*act)(AppProfilesDialog&);
        std::string rules;
        int selected;
        int chosenProfile;
        std::string openApps;
        std::string problemKey;
    };
    const Step steps[] = {
        {"profile of the selected rule", [](AppProfilesDialog& d) { d.ChooseProfile(2); },
         "krita=Games;", 0, 2, "Alacritty;firefox;Gimp;", ""},
        {"add an open window: it takes the chosen profile",
         [](AppProfilesDialog& d) { d.AddOpenApp(1); }, "krita=Games;firefox=Games;", 1, 2,
         "Alacritty;Gimp;", ""},
        {"choose another profile for it", [](AppProfilesDialog& d) { d.ChooseProfile(0); },
         "krita=Games;firefox=Main;", 1, 0, "Alacritty;Gimp;", ""},
        {"typed id with spaces around", [](AppProfilesDialog& d) { d.AddTyped("  steam_app_1 "); },
         "krita=Games;firefox=Main;steam_app_1=Main;", 2, 0, "Alacritty;Gimp;", ""},
        {"typed id that has a rule selects it", [](AppProfilesDialog& d) { d.AddTyped("KRITA"); },
         "krita=Games;firefox=Main;steam_app_1=Main;", 0, 2, "Alacritty;Gimp;", ""},
        {"typed id of an open window takes it from the list",
         [](AppProfilesDialog& d) { d.AddTyped("gimp"); },
         "krita=Games;firefox=Main;steam_app_1=Main;gimp=Games;", 3, 2, "Alacritty;", ""},
        {"empty typed id", [](AppProfilesDialog& d) { d.AddTyped("   "); },
         "krita=Games;firefox=Main;steam_app_1=Main;gimp=Games;", 3, 2, "Alacritty;",
         "app_profiles_bad_id_text"},
        {"select the first", [](AppProfilesDialog& d) { d.Select(0); },
         "krita=Games;firefox=Main;steam_app_1=Main;gimp=Games;", 0, 2, "Alacritty;",
         "app_profiles_bad_id_text"},
        {"remove it: the next is selected", [](AppProfilesDialog& d) { d.Remove(); },
         "firefox=Main;steam_app_1=Main;gimp=Games;", 0, 0, "Alacritty;krita;", ""},
        {"remove the last row: the one before is selected",
         [](AppProfilesDialog& d) {
             d.Select(2);
             d.Remove();
         },
         "firefox=Main;steam_app_1=Main;", 1, 0, "Alacritty;Gimp;krita;", ""},
        {"a row that is not there changes nothing", [](AppProfilesDialog& d) { d.Select(7); },
         "firefox=Main;steam_app_1=Main;", 1, 0, "Alacritty;Gimp;krita;", ""},
    };
    for (const Step& step : steps) {
        step.act(dialog);
        EXPECT_EQ(Listed(dialog.Rules()), step.rules) << step.label;
        EXPECT_EQ(Listed(rules.Rules()), step.rules) << step.label << ": in the rules";
        EXPECT_EQ(dialog.Selected(), step.selected) << step.label;
        EXPECT_EQ(dialog.ChosenProfile(), step.chosenProfile) << step.label;
        EXPECT_EQ(Joined(dialog.OpenApps()), step.openApps) << step.label;
        EXPECT_EQ(dialog.ProblemKey(), step.problemKey) << step.label;
    }
    AppProfileRules onDisk(data.path());
    onDisk.Load(StoreMode::ReadOnly);
    EXPECT_EQ(Listed(onDisk.Rules()), "firefox=Main;steam_app_1=Main;");
}

TEST_F(AppProfilesDialogTest, SwitchGoesToTheRules) {
    ASSERT_TRUE(rules.Set("a", u"Main"));
    AppProfilesDialog dialog = Open();
    EXPECT_TRUE(dialog.SwitchOn());
    ASSERT_TRUE(dialog.SetSwitch(false));
    EXPECT_FALSE(dialog.SwitchOn());
    EXPECT_FALSE(rules.Enabled());
    ASSERT_TRUE(dialog.SetSwitch(true));
    EXPECT_TRUE(rules.Enabled());
}

// Changes made elsewhere (ms1ctl through the program, a rename on the page) show on reload;
// the selected application stays selected.
TEST_F(AppProfilesDialogTest, ReloadKeepsTheSelectedApplication) {
    ASSERT_TRUE(rules.Set("a", u"Main"));
    ASSERT_TRUE(rules.Set("b", u"Drawing"));
    AppProfilesDialog dialog = Open();
    dialog.Select(1);
    ASSERT_TRUE(rules.Set("0first", u"Games"));
    ASSERT_TRUE(rules.Unset("a"));
    profiles = {u"Main", u"Sketch", u"Games"};
    ASSERT_TRUE(rules.ProfileRenamed(u"Drawing", u"Sketch"));
    dialog.Reload();
    EXPECT_EQ(Listed(dialog.Rules()), "b=Sketch;0first=Games;");
    EXPECT_EQ(dialog.Selected(), 0);
    EXPECT_EQ(dialog.ChosenProfile(), 1);
    ASSERT_TRUE(rules.Unset("b"));
    dialog.Reload();
    EXPECT_EQ(dialog.Selected(), -1);
}

TEST_F(AppProfilesDialogTest, WithoutWindowListOrProfiles) {
    profiles.clear();
    AppProfilesDialog dialog({rules, [this] { return profiles; }, nullptr, ""});
    EXPECT_FALSE(dialog.CanListOpenWindows());
    EXPECT_TRUE(dialog.OpenApps().empty());
    EXPECT_EQ(dialog.ChosenProfile(), -1);
    EXPECT_FALSE(dialog.AddTyped("firefox"));
    EXPECT_EQ(dialog.ProblemKey(), "app_profiles_no_profile_text");
    EXPECT_TRUE(rules.Rules().empty());
}

}  // namespace
}  // namespace ms1::test
