#include "app/MainMessageRules.h"

#include <gtest/gtest.h>

namespace ms1 {
namespace {

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
        {"notifications", MenuCommand::Notifications},
        {"Notifications", MenuCommand::Notifications},
        {"rule_notifications", MenuCommand::RuleNotifications},
        {"notification", MenuCommand::None},
        {"app_profiles", MenuCommand::AppProfiles},
        {"APP_PROFILES", MenuCommand::AppProfiles},
        {"app_profile", MenuCommand::None},
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
