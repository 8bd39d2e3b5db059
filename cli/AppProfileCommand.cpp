// "app-profile set|unset" and "app-profiles": the rules that pick a profile by the application
// that has the focus.
#include <ostream>

#include "cli/AppProfileRulesEdit.h"
#include "cli/CliCommand.h"
#include "cli/StoreArgs.h"
#include "core/Utf16Text.h"
#include "storage/AppProfileRules.h"
#include "storage/ProfileStore.h"

namespace ms1::cli {

const CliCommand kAppProfileCommand = {
    "app-profile",
    "app-profile set APP PROFILE [--data DIR] | app-profile unset APP [--data DIR]",
    "set makes the stored profile PROFILE (any letter case) the one used while a window of\n"
    "      application APP has the focus (its WM_CLASS class, app_id or process name, any\n"
    "      letter case); unset removes the rule of APP",
    RunAppProfile,
};

const CliCommand kAppProfilesCommand = {
    "app-profiles",
    "app-profiles [--data DIR]",
    "lists the application profile rules: APP TAB PROFILE, one line each",
    RunAppProfiles,
};

void ReportRulesLoad(CliContext& context, const AppProfileRules& rules,
                     const StoreLoadReport& report) {
    const std::string name = rules.FilePath().string();
    if (report.droppedRecords > 0) {
        context.err << name << ": dropped " << report.droppedRecords
                    << " line(s) that are not a rule or the switch\n";
    }
    if (report.keptAside)
        context.err << name << ": the file as found is kept as " << report.keptAs.string() << "\n";
    if (report.keepAsideError) {
        context.err << name << ": cannot be kept aside (" << *report.keepAsideError
                    << "); it is left as found and not written over\n";
    }
}

int SetAppProfileIn(CliContext& context, AppProfileRules& rules, ProfileStore::Access& profiles,
                    const std::string& app, const std::string& profile) {
    if (!AppProfileRules::ValidAppId(app)) {
        context.err << "ms1ctl app-profile: not an application id: \"" << app << "\"\n";
        return kExitUsage;
    }
    const ProfileRecord* stored = nullptr;
    for (const auto& record : profiles.Profiles()) {
        if (NamesEqual(record->profileName.get(), FromUtf8(profile)))
            stored = record.get();
    }
    if (stored == nullptr) {
        context.err << "ms1ctl app-profile: no profile named " << profile << "\n";
        return kExitRefusedFile;
    }
    Result saved = rules.Set(app, stored->profileName.get());
    if (!saved) {
        context.err << "ms1ctl app-profile: " << saved.reason() << "\n";
        return kExitWriteFailed;
    }
    return kExitOk;
}

int UnsetAppProfileIn(CliContext& context, AppProfileRules& rules, const std::string& app) {
    if (!rules.Has(app)) {
        context.err << "ms1ctl app-profile: no rule for " << app << "\n";
        return kExitRefusedFile;
    }
    Result saved = rules.Unset(app);
    if (!saved) {
        context.err << "ms1ctl app-profile: " << saved.reason() << "\n";
        return kExitWriteFailed;
    }
    return kExitOk;
}

std::optional<AppProfileArgs> ParseAppProfileArgs(CliContext& context,
                                                  const std::vector<std::string>& args) {
    auto parsed = ParseStoreArgs(context, kAppProfileCommand, args, true);
    if (!parsed)
        return std::nullopt;
    const auto& words = parsed->words;
    if (!words.empty() && words[0] == "set" && words.size() == 3)
        return AppProfileArgs{true, words[1], words[2], parsed->dataFolder};
    if (!words.empty() && words[0] == "unset" && words.size() == 2)
        return AppProfileArgs{false, words[1], {}, parsed->dataFolder};
    UsageError(context, kAppProfileCommand);
    return std::nullopt;
}

int RunAppProfile(CliContext& context, const std::vector<std::string>& args) {
    auto parsed = ParseAppProfileArgs(context, args);
    if (!parsed)
        return kExitUsage;
    AppProfileRules rules(parsed->dataFolder);
    ReportRulesLoad(context, rules, rules.Load());
    if (!parsed->set)
        return UnsetAppProfileIn(context, rules, parsed->app);
    ProfileStore store(parsed->dataFolder);
    ReportLoad(context, store.FilePath(),
               store.LoadProfileStore(kAddProfileText, StoreMode::ReadOnly));
    auto access = store.Lock();
    return SetAppProfileIn(context, rules, access, parsed->app, parsed->profile);
}

int RunAppProfiles(CliContext& context, const std::vector<std::string>& args) {
    auto parsed = ParseStoreArgs(context, kAppProfilesCommand, args, false);
    if (!parsed)
        return kExitUsage;
    if (!parsed->words.empty())
        return UsageError(context, kAppProfilesCommand, "unexpected " + parsed->words[0]);
    AppProfileRules rules(parsed->dataFolder);
    ReportRulesLoad(context, rules, rules.Load(StoreMode::ReadOnly));
    for (const auto& rule : rules.Rules())
        context.out << rule.app << '\t' << ToUtf8(rule.profile) << '\n';
    return kExitOk;
}

}  // namespace ms1::cli
