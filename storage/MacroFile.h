#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "core/MacroRecord.h"
#include "core/Result.h"
#include "storage/AtomicFileWriter.h"
#include "storage/MacroStore.h"

namespace ms1 {

// Why bytes offered as a macro file cannot be taken, or nothing when they can. Only the
// first 856 bytes of a longer file count.
std::optional<std::string> CheckMacroBytes(std::span<const std::uint8_t> bytes);

struct MacroImport {
    Result taken;           // the file was taken, or why not
    std::size_t index = 0;  // position of the new macro
    std::u16string name;    // its name, made unique
    Result save;            // the save of the macro store
};

// Takes the first record of a macro file as a new macro with a unique name, appends it and
// saves the store. A refused file changes nothing.
MacroImport ImportMacroFile(const std::filesystem::path& file, MacroStore::Access& macros);
MacroImport ImportMacroBytes(std::span<const std::uint8_t> bytes, MacroStore::Access& macros);

// Writes the record's 856 bytes as they are.
Result ExportMacro(const MacroRecord& macro, const std::filesystem::path& file,
                   AtomicFileWriter& writer);

}  // namespace ms1
