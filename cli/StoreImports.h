#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "storage/MacroStore.h"
#include "storage/ProfileStore.h"

namespace ms1::cli {

// The imports of `profile import` and `macro import`, shared by ms1ctl and by the running
// program that carries them out for it. Each prints what the command prints and returns its
// exit code.

// Reads and checks the file before any store is touched; nothing (after saying why on
// stderr) when it cannot be taken.
std::optional<std::vector<std::uint8_t>> ReadProfileToImport(CliContext& context,
                                                             const std::string& file);
std::optional<std::vector<std::uint8_t>> ReadMacroToImport(CliContext& context,
                                                           const std::string& file);

// Adds the checked profile (and a macro for each of its macro buttons) to loaded stores and
// saves both. A store that refuses to save stops it before anything is written.
int ImportProfileInto(CliContext& context, const std::string& file,
                      const std::vector<std::uint8_t>& bytes, ProfileStore::Access& profiles,
                      MacroStore::Access& macros);
int ImportMacroInto(CliContext& context, const std::string& file,
                    const std::vector<std::uint8_t>& bytes, MacroStore::Access& macros);

}  // namespace ms1::cli
