#include <ostream>

#include "cli/CliCommand.h"
#include "cli/StoreArgs.h"
#include "storage/MacroStore.h"

namespace ms1::cli {

const CliCommand kMacrosCommand = {
    "macros",
    "macros [--data DIR]",
    "lists the stored macros: index TAB name TAB action count TAB weighted length",
    RunMacros,
};

int RunMacros(CliContext& context, const std::vector<std::string>& args) {
    auto parsed = ParseStoreArgs(context, kMacrosCommand, args, false);
    if (!parsed)
        return kExitUsage;
    if (!parsed->words.empty()) {
        return UsageError(context, kMacrosCommand, "unexpected " + parsed->words[0]);
    }
    MacroStore store(parsed->dataFolder);
    ReportLoad(context, store.FilePath(), store.LoadMacroStore(StoreMode::ReadOnly));
    auto access = store.Lock();
    const MacroList& macros = access.Macros();
    for (std::size_t i = 0; i < macros.size(); ++i) {
        context.out << i << '\t' << ToUtf8(macros[i].name.get()) << '\t'
                    << macros[i].actionCount.get() << '\t' << WeightedLength(macros[i]) << '\n';
    }
    return kExitOk;
}

}  // namespace ms1::cli
