#include <ostream>

#include "cli/CliCommand.h"
#include "cli/StoreArgs.h"
#include "storage/ProfileStore.h"

namespace ms1::cli {

const CliCommand kProfilesCommand = {
    "profiles",
    "profiles [--data DIR]",
    "lists the stored profiles: index TAB name, and TAB selected on the selected one\n"
    "      (an empty store shows the default profile \"Profile1\"; nothing is written)",
    RunProfiles,
};

int RunProfiles(CliContext& context, const std::vector<std::string>& args) {
    auto parsed = ParseStoreArgs(context, kProfilesCommand, args, false);
    if (!parsed)
        return kExitUsage;
    if (!parsed->words.empty()) {
        return UsageError(context, kProfilesCommand, "unexpected " + parsed->words[0]);
    }
    ProfileStore store(parsed->dataFolder);
    ReportLoad(context, store.FilePath(),
               store.LoadProfileStore(kAddProfileText, StoreMode::ReadOnly));
    auto access = store.Lock();
    const ProfileList& profiles = access.Profiles();
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        context.out << i << '\t' << ToUtf8(profiles[i]->profileName.get());
        if (static_cast<int>(i) == access.SelectedIndex())
            context.out << "\tselected";
        context.out << '\n';
    }
    return kExitOk;
}

}  // namespace ms1::cli
