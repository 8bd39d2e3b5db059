#include <cstring>
#include <ostream>

#include "cli/CliCommand.h"
#include "cli/DeviceCommands.h"
#include "cli/HeadlessHost.h"
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

int UseProfileCommand(CliContext& context, const std::vector<std::string>& args) {
    const auto parsed = ParseProfileUseArgs(context, args);
    if (!parsed)
        return kExitUsage;
    ProfileStore store(parsed->dataFolder);
    ReportLoad(context, store.FilePath(), store.LoadProfileStore(kAddProfileText));
    auto profile = MakeZeroedProfile();
    {
        auto access = store.Lock();
        const auto& list = access.Profiles();
        std::size_t index = 0;
        while (index < list.size() &&
               !NamesEqual(list[index]->profileName.get(), FromUtf8(parsed->name)))
            ++index;
        if (index == list.size()) {
            context.err << "ms1ctl profile: no profile named " << parsed->name << "\n";
            return kExitRefusedFile;
        }
        // The choice is kept even when no mouse answers: it goes to the mouse with the
        // program's next apply, as a choice in the window's list does.
        access.SetSelectedIndex(static_cast<int>(index));
        const Result saved = access.SaveProfileStoreIfChanged();
        if (!saved) {
            context.err << "ms1ctl profile: " << saved.reason() << "\n";
            return kExitWriteFailed;
        }
        std::memcpy(profile.get(), list[index].get(), sizeof(ProfileRecord));
    }
    return ApplyOverOwnLink(context, "profile use", *profile, parsed->dumpDevice);
}

}  // namespace

std::optional<ProfileUseArgs> ParseProfileUseArgs(CliContext& context,
                                                  const std::vector<std::string>& args) {
    std::vector<std::string> rest;
    bool dumpDevice = false;
    for (const std::string& arg : args) {
        if (arg == "--dump-device")
            dumpDevice = true;
        else
            rest.push_back(arg);
    }
    auto store = ParseStoreArgs(context, kProfileCommand, rest, true);
    if (!store)
        return std::nullopt;
    if (store->words.size() != 2 || store->words[0] != "use") {
        UsageError(context, kProfileCommand);
        return std::nullopt;
    }
    if (dumpDevice && !context.simulate) {
        UsageError(context, kProfileCommand, "--dump-device needs --simulate");
        return std::nullopt;
    }
    if (!HeadlessHost::CheckScenario(context, kProfileCommand))
        return std::nullopt;
    return ProfileUseArgs{store->words[1], store->dataFolder, dumpDevice};
}

const CliCommand kProfileCommand = {
    "profile",
    "profile export NAME FILE.pro [--data DIR] | profile import FILE.pro [--data DIR]\n"
    "         | profile use NAME [--data DIR] [--dump-device]",
    "export writes the stored profile NAME (any letter case) to FILE.pro; import adds the\n"
    "      profile of FILE.pro under a unique name, and a new macro for each macro button,\n"
    "      printing \"macro TAB name\" for each and the profile's name last; the selection\n"
    "      stays. A fresh store starts with the default profile \"Profile1\".\n"
    "      use makes the stored profile NAME (any letter case) the active one and sends it\n"
    "      whole to the mouse, printing the lines of apply (and --dump-device as there);\n"
    "      the choice is kept even without a mouse. exit 3 no profile of that name,\n"
    "      4 no mouse connected, 1 any report not confirmed.",
    RunProfile,
};

int RunProfile(CliContext& context, const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "use")
        return UseProfileCommand(context, args);
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
