#include "storage/StoreFileIo.h"

#include <fstream>
#include <string>
#include <system_error>

#include "storage/PrivateFiles.h"

namespace ms1 {

StoreFileContents ReadStoreFile(const std::filesystem::path& path) {
    StoreFileContents contents;
    std::error_code error;
    auto status = std::filesystem::status(path, error);
    contents.exists = std::filesystem::exists(status);
    if (!contents.exists || !std::filesystem::is_regular_file(status))
        return contents;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return contents;
    auto size = static_cast<std::size_t>(in.tellg());
    contents.bytes.resize(size);
    in.seekg(0);
    in.read(reinterpret_cast<char*>(contents.bytes.data()), static_cast<std::streamsize>(size));
    contents.readable = static_cast<std::size_t>(in.gcount()) == size;
    if (!contents.readable)
        contents.bytes.clear();
    return contents;
}

std::optional<std::vector<std::uint8_t>> ReadFilePrefix(const std::filesystem::path& path,
                                                        std::size_t maxBytes) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(maxBytes);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(maxBytes));
    if (in.bad())
        return std::nullopt;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::filesystem::path KeptFileName(const std::filesystem::path& path, int slot) {
    std::filesystem::path name = path;
    name += ".bad";
    if (slot > 0) {
        // Appended in steps: "x" + a temporary string draws a false -Wrestrict from GCC 12.
        name += ".";
        name += std::to_string(slot);
    }
    return name;
}

namespace {

bool Occupied(const std::filesystem::path& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

// Frees "<name>.bad": the kept files in front of the first free slot move up one each, the
// oldest first; when every slot is taken the oldest file is dropped to make one.
std::optional<std::string> MakeRoomForKeptFile(const std::filesystem::path& path) {
    int free = 0;
    while (free < kKeptFiles && Occupied(KeptFileName(path, free)))
        ++free;
    std::error_code error;
    if (free == kKeptFiles) {
        free = kKeptFiles - 1;
        const auto oldest = KeptFileName(path, free);
        if (std::filesystem::symlink_status(oldest, error).type() !=
            std::filesystem::file_type::regular) {
            return oldest.string() + ": not a file, so no room is made for another kept file";
        }
        if (!std::filesystem::remove(oldest, error))
            return oldest.string() + ": " + error.message();
    }
    for (int slot = free; slot > 0; --slot) {
        std::filesystem::rename(KeptFileName(path, slot - 1), KeptFileName(path, slot), error);
        if (error)
            return KeptFileName(path, slot - 1).string() + ": " + error.message();
    }
    return std::nullopt;
}

}  // namespace

KeptFile KeepAside(const std::filesystem::path& path, bool move) {
    KeptFile kept;
    if ((kept.error = MakeRoomForKeptFile(path)))
        return kept;
    const auto aside = KeptFileName(path, 0);
    std::error_code error;
    if (move) {
        std::filesystem::rename(path, aside, error);
    } else {
        // Never over a file that appeared there meanwhile.
        std::filesystem::copy_file(path, aside, error);
        // A copy cut short (a full disk) is not a kept file.
        if (error && error != std::errc::file_exists) {
            std::error_code ignored;
            std::filesystem::remove(aside, ignored);
        }
    }
    if (error) {
        kept.error = aside.string() + ": " + error.message();
        return kept;
    }
    // A store written by an older version may be readable by others; its kept copy is not.
    MakeFilePrivate(aside);
    kept.path = aside;
    return kept;
}

Result KeepDamagedFile(const std::filesystem::path& path, bool move, StoreLoadReport& report) {
    KeptFile kept = KeepAside(path, move);
    report.keptAside = !kept.error;
    report.keptAs = kept.path;
    report.keepAsideError = kept.error;
    if (!kept.error)
        return Result::Done();
    return Result::Failed(path.string() +
                          ": not written over, since the damaged file there could not be kept " +
                          "aside (" + *kept.error + ")");
}

}  // namespace ms1
