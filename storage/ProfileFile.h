#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/ProfileRecord.h"
#include "core/Result.h"
#include "storage/AtomicFileWriter.h"
#include "storage/MacroStore.h"
#include "storage/ProfileStore.h"

namespace ms1 {

struct ProfileImport {
    Result taken;                            // the file was taken, or why not
    std::size_t index = 0;                   // position of the new profile
    std::u16string name;                     // its name, made unique
    std::vector<std::u16string> macroNames;  // macros created for its macro buttons
    Result macroSave;                        // the save of the macro store, when macros came
};

// Appends the first record of a profile file under a unique name. Each of its first 18
// buttons that holds a macro becomes a new macro in the list, in button order, and the
// button is renamed and re-indexed to it; the macro store is saved when any was created.
// The selection does not change and the profile store is not saved: the caller saves it
// (the apply that follows does, in the window). A refused file changes nothing.
ProfileImport ImportProfileFile(const std::filesystem::path& file, ProfileStore::Access& profiles,
                                MacroStore::Access& macros);
ProfileImport ImportProfileBytes(std::span<const std::uint8_t> bytes,
                                 ProfileStore::Access& profiles, MacroStore::Access& macros);

// Writes the profile's 47776 bytes as they are.
Result ExportProfile(const ProfileRecord& profile, const std::filesystem::path& file,
                     AtomicFileWriter& writer);

}  // namespace ms1
