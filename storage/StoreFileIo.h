#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/Result.h"
#include "storage/StoreLoadReport.h"

namespace ms1 {

// A store file as found on disk.
struct StoreFileContents {
    bool exists = false;    // something is there under that name
    bool readable = false;  // ... and it could be read as a file
    std::vector<std::uint8_t> bytes;
};

StoreFileContents ReadStoreFile(const std::filesystem::path& path);

// At most maxBytes from the start of a file; nothing when it cannot be read.
std::optional<std::vector<std::uint8_t>> ReadFilePrefix(const std::filesystem::path& path,
                                                        std::size_t maxBytes);

// How many damaged files of one store are kept.
inline constexpr int kKeptFiles = 10;

// Where a damaged store file was kept, or why it could not be.
struct KeptFile {
    std::filesystem::path path;
    std::optional<std::string> error;
};

// "<name>.bad" for slot 0, "<name>.bad.1" ... "<name>.bad.9" for the older ones.
std::filesystem::path KeptFileName(const std::filesystem::path& path, int slot);

// Keeps a store file that is about to be replaced as "<name>.bad", so that a damaged file is
// never silently destroyed: the files kept before move up one number each, as far as the
// first free one, and when ten are kept the oldest ("<name>.bad.9") is dropped. `move`
// renames the file away (the store starts afresh); otherwise it is copied (the store goes on
// with what it could read). Only regular files are ever dropped.
KeptFile KeepAside(const std::filesystem::path& path, bool move);

// Keeps a damaged store file aside and notes in the load report where, or why not. Returns
// whether saves of the store may write over it: failed, with what every save must answer,
// while the file could not be kept aside.
Result KeepDamagedFile(const std::filesystem::path& path, bool move, StoreLoadReport& report);

}  // namespace ms1
