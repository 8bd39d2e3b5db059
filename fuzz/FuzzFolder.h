#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "storage/AtomicFileWriter.h"

namespace ms1::fuzz {

// A data folder of the fuzz run's own under the temporary folder (TMPDIR), emptied before
// every input and removed at the end of the run.
class FuzzFolder {
  public:
    FuzzFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ms1-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path_ = pattern;
    }
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path StoreFolder() const { return path_ / "ms_1"; }

    // Empties the folder and creates "ms_1" in it.
    void Reset() const {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(path_, ignored))
            std::filesystem::remove_all(entry.path(), ignored);
        std::filesystem::create_directories(StoreFolder(), ignored);
    }

  private:
    std::filesystem::path path_;
};

// Saves as the program does, without waiting for the disk: a fuzz run writes thousands of
// stores a second and keeps none of them.
class UnsyncedWriter : public AtomicFileWriter {
  protected:
    int SyncFile(int) override { return 0; }
};

inline void WriteFileOrAbort(const std::filesystem::path& path,
                             std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        std::abort();
}

// The file's bytes; empty when there is none.
inline std::vector<std::uint8_t> ReadFileOrEmpty(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

}  // namespace ms1::fuzz
