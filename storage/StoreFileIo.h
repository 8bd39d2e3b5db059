#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

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

// Keeps a store file that is about to be replaced under "<name>.bad", so that a damaged file
// is never silently destroyed. `move` renames it away (the store starts afresh); otherwise it
// is copied (the store goes on with what it could read). Returns an error text or nothing.
std::optional<std::string> KeepAside(const std::filesystem::path& path, bool move);

}  // namespace ms1
