#include "ui/page/AppProfileSwitcher.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace ms1 {
namespace {

// A page of three profiles with "Default" active, and two rules.
struct SwitcherBed {
    std::vector<std::u16string> profiles = {u"Default", u"Paint", u"Game"};
    std::u16string active = u"Default";
    std::map<std::string, std::u16string> rules = {{"gimp", u"Paint"}, {"steam_app_1", u"game"}};
    bool enabled = true;
    std::vector<std::string> calls;  // "Paint auto", "Default by hand", ...

    AppProfileSwitcher switcher{AppProfileSwitcher::Ports{
        [this](std::string_view appId) -> std::optional<std::u16string> {
            std::string lower(appId);
            for (char& c : lower)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const auto it = rules.find(lower);
            return it == rules.end() ? std::nullopt : std::optional(it->second);
        },
        [this] { return enabled; },
        [this](const std::u16string& name, bool byHand) {
            for (const auto& p : profiles) {
                std::u16string a = p, b = name;
                for (auto* s : {&a, &b})
                    for (auto& c : *s)
                        c = static_cast<char16_t>(c < 128 ? std::tolower(c) : c);
                if (a == b) {
                    active = p;
                    calls.push_back(std::string(p.begin(), p.end()) +
                                    (byHand ? " by hand" : " auto"));
                    return true;
                }
            }
            return false;
        },
        [this] { return active; }, nullptr}};

    // A step: "focus APP", "hand NAME" (the user picks NAME in the list), "off", "on",
    // "delete NAME".
    void Step(const std::string& step) {
        const std::string arg = step.substr(step.find(' ') + 1);
        if (step.rfind("focus", 0) == 0) {
            switcher.OnFocus(step == "focus" ? std::string() : arg);
        } else if (step.rfind("hand", 0) == 0) {
            active = std::u16string(arg.begin(), arg.end());
            switcher.OnChosenByHand(active);
        } else if (step == "off" || step == "on") {
            enabled = step == "on";
            switcher.Reconsider();
        } else if (step.rfind("delete", 0) == 0) {
            std::erase(profiles, std::u16string(arg.begin(), arg.end()));
        }
    }
};

struct Row {
    const char* what;
    std::vector<std::string> steps;
    std::vector<std::string> activated;
    std::string ruleApp;  // whose rule is in force at the end
};

TEST(AppProfileSwitcher, FocusSequencesActivateTheRulesProfilesAndBringTheHandsBack) {
    const Row rows[] = {
        {"no rule, no switch", {"focus xterm", "focus firefox", "focus"}, {}, ""},
        {"a rule's application, then one without",
         {"focus xterm", "focus gimp", "focus xterm"},
         {"Paint auto", "Default auto"},
         ""},
        {"ids and profile names without regard to letter case",
         {"focus Gimp", "focus STEAM_APP_1"},
         {"Paint auto", "Game auto"},
         "STEAM_APP_1"},
        {"from rule to rule, the hand's profile comes back at the end",
         {"focus gimp", "focus steam_app_1", "focus gimp", "focus"},
         {"Paint auto", "Game auto", "Paint auto", "Default auto"},
         ""},
        {"the same application again switches nothing",
         {"focus gimp", "focus gimp"},
         {"Paint auto"},
         "gimp"},
        {"chosen by hand while a rule is in force: that one comes back",
         {"focus gimp", "hand Game", "focus xterm", "focus gimp", "focus xterm"},
         {"Paint auto", "Paint auto", "Game auto"},
         ""},
        {"chosen by hand, then the focus leaves: nothing to bring back",
         {"focus gimp", "hand Default", "focus xterm"},
         {"Paint auto"},
         ""},
        {"the hand's profile is the rule's: no switch back and forth",
         {"hand Paint", "focus gimp", "focus xterm"},
         {},
         ""},
        {"switched off: the hand's profile comes back, and rules rest",
         {"focus gimp", "off", "focus steam_app_1", "on"},
         {"Paint auto", "Default auto", "Game auto"},
         "steam_app_1"},
        {"a rule whose profile is gone changes nothing",
         {"delete Paint", "focus gimp", "focus xterm"},
         {},
         ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SwitcherBed bed;
        for (const std::string& step : row.steps)
            bed.Step(step);
        EXPECT_EQ(bed.calls, row.activated);
        EXPECT_EQ(bed.switcher.RuleApp(), row.ruleApp);
    }
}

}  // namespace
}  // namespace ms1
