#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "storage/ProfileStore.h"
#include "storage/StoreLoadReport.h"

namespace ms1 {
class AppProfileRules;
}

namespace ms1::cli {

// "app-profile set APP PROFILE" or "app-profile unset APP", with the data folder.
struct AppProfileArgs {
    bool set = false;
    std::string app;
    std::string profile;
    std::filesystem::path dataFolder;
};

// The arguments of "app-profile"; nothing (after the usage on stderr) when they do not fit.
std::optional<AppProfileArgs> ParseAppProfileArgs(CliContext& context,
                                                  const std::vector<std::string>& args);

// The rule changes of "app-profile", on loaded rules and profiles: ms1ctl's own or the running
// program's. Both print what went wrong and return ms1ctl's exit code.
int SetAppProfileIn(CliContext& context, AppProfileRules& rules, ProfileStore::Access& profiles,
                    const std::string& app, const std::string& profile);
int UnsetAppProfileIn(CliContext& context, AppProfileRules& rules, const std::string& app);

// Tells the user on stderr what loading the rules dropped or kept aside.
void ReportRulesLoad(CliContext& context, const AppProfileRules& rules,
                     const StoreLoadReport& report);

}  // namespace ms1::cli
