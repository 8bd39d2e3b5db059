#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "storage/WriteResult.h"

namespace ms1 {

// Replaces a file as a whole: the bytes go to a temporary file in the same folder, are
// flushed to the disk, and only then renamed over the old file. A crash or a failed write
// leaves the old file as it was; the temporary file is removed on failure.
//
// The three steps that touch the disk are virtual so that tests can make one of them fail.
class AtomicFileWriter {
  public:
    virtual ~AtomicFileWriter() = default;

    // Writes the pieces one after another as the new content of `target`.
    WriteResult Write(const std::filesystem::path& target,
                      std::span<const std::span<const std::uint8_t>> pieces);
    WriteResult Write(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);

  protected:
    // Each returns 0 or the errno of the failure.
    virtual int WriteAll(int fd, std::span<const std::uint8_t> bytes);
    virtual int SyncFile(int fd);
    virtual int ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to);
};

}  // namespace ms1
