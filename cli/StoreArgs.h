#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "storage/StoreLoadReport.h"

namespace ms1::cli {

// The English texts that stand in for the language file's "add_profile_text" and
// "add_macro_text" when a store command has to name a new profile or macro.
inline constexpr char16_t kAddProfileText[] = u"Profile";
inline constexpr char16_t kAddMacroText[] = u"Macro";

// The arguments of a store command: its words and the data folder.
struct StoreArgs {
    std::vector<std::string> words;
    std::filesystem::path dataFolder;
};

// Takes "--data DIR" out of the arguments. Without it the program's data folder is used:
// only located for commands that only read, created for commands that write.
std::optional<StoreArgs> ParseStoreArgs(CliContext& context, const CliCommand& command,
                                        const std::vector<std::string>& args, bool writes);

// Tells the user on stderr what loading a store had to drop or keep aside, or that a damaged
// file could not be kept aside (the store then refuses to save).
void ReportLoad(CliContext& context, const std::filesystem::path& file,
                const StoreLoadReport& report);

}  // namespace ms1::cli
