#include <ostream>

#include "cli/CliCommand.h"
#include "cli/StoreArgs.h"
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
        WriteResult written = ExportProfile(*profile, file, writer);
        if (!written) {
            context.err << "ms1ctl profile: " << written.reason << "\n";
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
    auto bytes = ReadFilePrefix(file, sizeof(ProfileRecord));
    if (!bytes) {
        context.err << file << ": cannot be read\n";
        return kExitRefusedFile;
    }
    if (auto reason = CheckProfileBytes(*bytes)) {
        context.err << file << ": " << *reason << "\n";
        return kExitRefusedFile;
    }

    ProfileStore profileStore(args.dataFolder);
    MacroStore macroStore(args.dataFolder);
    const StoreLoadReport profileLoad = profileStore.LoadProfileStore(kAddProfileText);
    ReportLoad(context, profileStore.FilePath(), profileLoad);
    const StoreLoadReport macroLoad = macroStore.LoadMacroStore();
    ReportLoad(context, macroStore.FilePath(), macroLoad);
    // A store that refuses to save stops the import before either is written: no macros for
    // a profile that would not be stored.
    if (profileLoad.keepAsideError || macroLoad.keepAsideError) {
        context.err << "ms1ctl profile: nothing imported\n";
        return kExitWriteFailed;
    }
    auto profiles = profileStore.Lock();
    auto macros = macroStore.Lock();
    ProfileImport imported = ImportProfileBytes(*bytes, profiles, macros);
    if (imported.refused) {
        context.err << file << ": " << *imported.refused << "\n";
        return kExitRefusedFile;
    }
    if (!imported.macroSave) {
        context.err << "ms1ctl profile: " << imported.macroSave.reason << "\n";
        return kExitWriteFailed;
    }
    WriteResult saved = profiles.SaveProfileStore();
    if (!saved) {
        context.err << "ms1ctl profile: " << saved.reason << "\n";
        return kExitWriteFailed;
    }
    for (const std::u16string& macro : imported.macroNames) {
        context.out << "macro\t" << ToUtf8(macro) << "\n";
    }
    context.out << ToUtf8(imported.name) << "\n";
    return kExitOk;
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
