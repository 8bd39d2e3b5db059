#include <ostream>

#include "cli/CliCommand.h"
#include "cli/StoreArgs.h"
#include "cli/StoreImports.h"
#include "storage/MacroStore.h"
#include "storage/ProfileFile.h"
#include "storage/ProfileStore.h"
#include "storage/StoreFileIo.h"

namespace ms1::cli {
namespace {

int ExportProfileCommand(CliContext& context, const StoreArgs& args) {
    if (args.words.size() != 3)
        return UsageError(context, kProfileCommand);
    const std::string& name = args.words[1];
    const std::string& file = args.words[2];
    ProfileStore store(args.dataFolder);
    ReportLoad(context, store.FilePath(),
               store.LoadProfileStore(kAddProfileText, StoreMode::ReadOnly));
    auto access = store.Lock();
    for (const auto& profile : access.Profiles()) {
        if (!NamesEqual(profile->profileName.get(), FromUtf8(name)))
            continue;
        AtomicFileWriter writer;
        Result written = ExportProfile(*profile, file, writer);
        if (!written) {
            context.err << "ms1ctl profile: " << written.reason() << "\n";
            return kExitWriteFailed;
        }
        return kExitOk;
    }
    context.err << "ms1ctl profile: no profile named " << name << "\n";
    return kExitUsage;
}

int ImportProfileCommand(CliContext& context, const StoreArgs& args) {
    if (args.words.size() != 2)
        return UsageError(context, kProfileCommand);
    const std::string& file = args.words[1];
    // The file is checked before the stores are even loaded, so a refusal changes nothing.
    auto bytes = ReadProfileToImport(context, file);
    if (!bytes)
        return kExitRefusedFile;

    ProfileStore profileStore(args.dataFolder);
    MacroStore macroStore(args.dataFolder);
    ReportLoad(context, profileStore.FilePath(), profileStore.LoadProfileStore(kAddProfileText));
    ReportLoad(context, macroStore.FilePath(), macroStore.LoadMacroStore());
    auto profiles = profileStore.Lock();
    auto macros = macroStore.Lock();
    return ImportProfileInto(context, file, *bytes, profiles, macros);
}

}  // namespace

const CliCommand kProfileCommand = {
    "profile",
    "profile export NAME FILE.pro [--data DIR] | profile import FILE.pro [--data DIR]",
    "export writes the stored profile NAME (any letter case) to FILE.pro; import adds the\n"
    "      profile of FILE.pro under a unique name, and a new macro for each macro button,\n"
    "      printing \"macro TAB name\" for each and the profile's name last; the selection\n"
    "      stays. A fresh store starts with the default profile \"Profile1\".",
    RunProfile,
};

int RunProfile(CliContext& context, const std::vector<std::string>& args) {
    const bool writes = !args.empty() && args[0] == "import";
    auto parsed = ParseStoreArgs(context, kProfileCommand, args, writes);
    if (!parsed)
        return kExitUsage;
    if (!parsed->words.empty() && parsed->words[0] == "export") {
        return ExportProfileCommand(context, *parsed);
    }
    if (!parsed->words.empty() && parsed->words[0] == "import") {
        return ImportProfileCommand(context, *parsed);
    }
    return UsageError(context, kProfileCommand);
}

}  // namespace ms1::cli
