#include <ostream>

#include "cli/CliCommand.h"
#include "cli/MacroShow.h"
#include "cli/StoreArgs.h"
#include "cli/StoreImports.h"
#include "storage/MacroFile.h"
#include "storage/MacroStore.h"
#include "storage/StoreFileIo.h"

namespace ms1::cli {
namespace {

int ExportMacroCommand(CliContext& context, const StoreArgs& args) {
    if (args.words.size() != 3)
        return UsageError(context, kMacroCommand);
    const std::string& name = args.words[1];
    const std::string& file = args.words[2];
    MacroStore store(args.dataFolder);
    ReportLoad(context, store.FilePath(), store.LoadMacroStore(StoreMode::ReadOnly));
    auto access = store.Lock();
    for (const MacroRecord& macro : access.Macros()) {
        if (!NamesEqual(macro.name.get(), FromUtf8(name)))
            continue;
        AtomicFileWriter writer;
        Result written = ExportMacro(macro, file, writer);
        if (!written) {
            context.err << "ms1ctl macro: " << written.reason() << "\n";
            return kExitWriteFailed;
        }
        return kExitOk;
    }
    context.err << "ms1ctl macro: no macro named " << name << "\n";
    return kExitUsage;
}

int ImportMacroCommand(CliContext& context, const StoreArgs& args) {
    if (args.words.size() != 2)
        return UsageError(context, kMacroCommand);
    const std::string& file = args.words[1];
    auto bytes = ReadMacroToImport(context, file);
    if (!bytes)
        return kExitRefusedFile;
    MacroStore store(args.dataFolder);
    ReportLoad(context, store.FilePath(), store.LoadMacroStore());
    auto access = store.Lock();
    return ImportMacroInto(context, file, *bytes, access);
}

}  // namespace

const CliCommand kMacroCommand = {
    "macro",
    "macro export NAME FILE.macro [--data DIR] | macro import FILE.macro [--data DIR] |\n"
    "  macro show NAME [--data DIR]",
    "export writes the stored macro NAME (any letter case) to FILE.macro; import adds the\n"
    "      macro of FILE.macro under a unique name and prints that name; show prints one\n"
    "      line per action of NAME: index TAB key name TAB press|release TAB delay in ms",
    RunMacro,
};

int RunMacro(CliContext& context, const std::vector<std::string>& args) {
    const bool writes = !args.empty() && args[0] == "import";
    auto parsed = ParseStoreArgs(context, kMacroCommand, args, writes);
    if (!parsed)
        return kExitUsage;
    if (!parsed->words.empty() && parsed->words[0] == "export") {
        return ExportMacroCommand(context, *parsed);
    }
    if (!parsed->words.empty() && parsed->words[0] == "import") {
        return ImportMacroCommand(context, *parsed);
    }
    if (!parsed->words.empty() && parsed->words[0] == "show") {
        return ShowMacroCommand(context, *parsed);
    }
    return UsageError(context, kMacroCommand);
}

}  // namespace ms1::cli
