#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

#include "core/Result.h"

namespace ms1 {

// Whether a load may touch the disk. Commands that only read load read-only: a fresh start
// then happens in memory and nothing is written, kept aside, removed or created.
enum class StoreMode { ReadWrite, ReadOnly };

// What loading a store found and did. The window tells the user once when keptAside or
// keepAsideError is set.
struct StoreLoadReport {
    bool freshStart = false;          // the profile store started with one default profile
    bool unusableFile = false;        // ... because the file there held no whole profile
    std::size_t droppedBytes = 0;     // trailing fragment shorter than one record
    std::size_t droppedRecords = 0;   // macro records that were not valid
    bool selectedIndexReset = false;  // the stored selection was outside the list
    bool keptAside = false;           // the file as found was kept, as keptAs
    std::filesystem::path keptAs;     // "<name>.bad"; older kept files moved up one number
    // Why the damaged file could not be kept aside. The store then refuses every save until
    // it is loaded again, so that the file is not written over.
    std::optional<std::string> keepAsideError;
    Result save;  // the save of a fresh start
};

}  // namespace ms1
