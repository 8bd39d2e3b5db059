// What the desktop is told, for sequences of what the program sees: the battery's reports,
// the window shown and hidden, the two settings, a rule's profile switch, an apply's result.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TableTexts.h"
#include "ui/NotificationRules.h"

namespace ms1 {
namespace {

class RecordedNotices : public DesktopNotices {
  public:
    void Show(const std::u16string& summary, const std::u16string& body) override {
        shown.push_back(summary + u" | " + body);
    }
    std::vector<std::u16string> shown;
};

test::TableTexts Texts() {
    return test::TableTexts({
        {"notice_battery_low_title", u"Mouse battery low"},
        {"notice_battery_low_text", u"%s% left."},
        {"notice_rule_switch_title", u"Profile switched"},
        {"notice_rule_switch_text", u"Profile %1 for %2"},
        {"notice_unconfirmed_title", u"Settings not confirmed"},
        {"notice_unconfirmed_text", u"Sent again later."},
    });
}

// One thing the program sees.
struct Step {
    enum Kind { Shown, Hidden, Level, Charging, Rule, Apply, AllOff, AllOn, RulesOff } kind;
    int level = 0;              // Level: the reported percentage; Apply: 1 confirmed
    const char16_t* app = u"";  // Rule
    const char16_t* profile = u"";
};

Step Level(int level) {
    return {Step::Level, level};
}
Step Rule(const char16_t* app, const char16_t* profile) {
    return {Step::Rule, 0, app, profile};
}
Step Apply(bool confirmed) {
    return {Step::Apply, confirmed ? 1 : 0};
}
constexpr Step kShown{Step::Shown};
constexpr Step kHidden{Step::Hidden};
constexpr Step kCharging{Step::Charging};

struct Row {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::u16string> told;
};

void Play(NotificationRules& rules, const Step& step) {
    NotificationSettings settings = rules.Settings();
    switch (step.kind) {
        case Step::Shown:
        case Step::Hidden:
            rules.SetWindowShown(step.kind == Step::Shown);
            break;
        case Step::Level:
            rules.BatteryLevel(step.level);
            break;
        case Step::Charging:
            rules.BatteryCharging();
            break;
        case Step::Rule:
            rules.ProfileSwitchedByRule(step.app, step.profile);
            break;
        case Step::Apply:
            rules.ApplyFinished(step.level == 1);
            break;
        case Step::AllOff:
        case Step::AllOn:
            settings.all = step.kind == Step::AllOn;
            rules.SetSettings(settings);
            break;
        case Step::RulesOff:
            settings.ruleSwitches = false;
            rules.SetSettings(settings);
            break;
    }
}

TEST(NotificationRules, TellWhatHappensWhileTheWindowIsHidden) {
    const std::u16string low10 = u"Mouse battery low | 10% left.";
    const std::u16string low9 = u"Mouse battery low | 9% left.";
    const std::u16string low0 = u"Mouse battery low | 0% left.";
    const std::u16string unconfirmed = u"Settings not confirmed | Sent again later.";
    const Row rows[] = {
        {"a discharge is told once",
         {kHidden, Level(40), Level(11), Level(10), Level(10), Level(9), Level(3)},
         {low10}},
        {"the first low report may be below the level", {kHidden, Level(9)}, {low9}},
        {"an empty battery is low", {kHidden, Level(0)}, {low0}},
        {"above the level nothing", {kHidden, Level(100), Level(11), Level(50)}, {}},
        {"charging starts a new discharge",
         {kHidden, Level(10), kCharging, Level(10), Level(8)},
         {low10, low10}},
        {"a level above starts a new discharge",
         {kHidden, Level(10), Level(9), Level(11), Level(9)},
         {low10, low9}},
        {"charging alone tells nothing", {kHidden, kCharging, kCharging}, {}},
        {"the window counts as shown until told", {Level(10), Level(9)}, {}},
        {"shown: the page says it, the notice waits for the window to go",
         {kShown, Level(10), Level(9), kHidden, Level(9), Level(8), kShown, Level(7)},
         {low9}},
        {"minimised after being told: not again",
         {kHidden, Level(10), kShown, Level(10), kHidden, Level(10)},
         {low10}},
        {"all off: nothing, and a later discharge is told once on again",
         {kHidden,
          {Step::AllOff},
          Level(10),
          Rule(u"firefox", u"Work"),
          Apply(false),
          {Step::AllOn},
          Level(9),
          Level(8)},
         {low9}},
        {"a rule's switch names the profile and the application",
         {kHidden, Rule(u"firefox", u"Work"), Rule(u"krita", u"Drawing %2")},
         {u"Profile switched | Profile Work for firefox",
          u"Profile switched | Profile Drawing %2 for krita"}},
        {"a rule's switch is not told while shown", {kShown, Rule(u"firefox", u"Work")}, {}},
        {"rule switches off on their own: the others still come",
         {kHidden, {Step::RulesOff}, Rule(u"firefox", u"Work"), Level(10), Apply(false)},
         {low10, unconfirmed}},
        {"an apply the mouse did not confirm, each time",
         {kHidden, Apply(true), Apply(false), Apply(false), Apply(true)},
         {unconfirmed, unconfirmed}},
        {"an unconfirmed apply while shown: the page's notice says it",
         {kShown, Apply(false), kHidden, Apply(true)},
         {}},
    };
    for (const Row& row : rows) {
        RecordedNotices notices;
        const test::TableTexts texts = Texts();
        NotificationRules rules(notices, texts);
        for (const Step& step : row.steps)
            Play(rules, step);
        EXPECT_EQ(notices.shown, row.told) << row.name;
    }
}

TEST(NotificationRules, TextsWithTheMarksInAnotherOrder) {
    RecordedNotices notices;
    const test::TableTexts texts({
        {"notice_rule_switch_title", u"配置文件已切换"},
        {"notice_rule_switch_text", u"%2 使用配置文件 %1"},
        {"notice_battery_low_title", u"Akku der Maus fast leer"},
        {"notice_battery_low_text", u"Noch %s %."},
    });
    NotificationRules rules(notices, texts);
    rules.SetWindowShown(false);
    rules.ProfileSwitchedByRule(u"firefox", u"Work");
    rules.BatteryLevel(7);
    EXPECT_EQ(notices.shown,
              (std::vector<std::u16string>{u"配置文件已切换 | firefox 使用配置文件 Work",
                                           u"Akku der Maus fast leer | Noch 7 %."}));
}

}  // namespace
}  // namespace ms1
