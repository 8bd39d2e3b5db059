#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "core/Result.h"

namespace ms1 {

// Replaces a file as a whole: the bytes go to a temporary file in the same folder, named
// "." + file name + "." + six letters or digits, are flushed to the disk, and only then
// renamed over the old file. A crash or a failed write leaves the old file as it was; a
// failed save removes its temporary file, and one left by a killed save is removed by
// RemoveStaleTemporaries the next time the store is loaded.
//
// The steps that touch the disk are virtual so that tests can make one of them fail.
class AtomicFileWriter {
  public:
    virtual ~AtomicFileWriter() = default;

    // Writes the pieces one after another as the new content of `target`.
    Result Write(const std::filesystem::path& target,
                 std::span<const std::span<const std::uint8_t>> pieces);
    Result Write(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);

    // Whether `name` is a temporary name that a save of the file `targetName` uses.
    static bool IsTemporaryName(std::string_view name, std::string_view targetName);

    // Removes the temporary files of `target` that killed saves left in its folder: regular
    // files of exactly that naming, nothing else. It removes nothing while a save of any
    // program is under way in the folder (see FolderLock); they go at a later load. Returns
    // how many it removed.
    static std::size_t RemoveStaleTemporaries(const std::filesystem::path& target);

  protected:
    // Each returns 0 or the errno of the failure.
    virtual int SetMode(int fd);
    virtual int WriteAll(int fd, std::span<const std::uint8_t> bytes);
    virtual int SyncFile(int fd);
    virtual int CloseFile(int fd);
    virtual int ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to);
};

}  // namespace ms1
