#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace ms1::test {

// A fresh folder under the temporary directory, removed with everything in it at the end.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ms1-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const {
        return path_ / name;
    }

  private:
    std::filesystem::path path_;
};

using Bytes = std::vector<std::uint8_t>;

inline Bytes ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const std::filesystem::path& path, std::string_view text) {
    WriteBytes(path, Bytes(text.begin(), text.end()));
}

inline std::string ReadText(const std::filesystem::path& path) {
    Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Writes an ASCII name as UTF-16LE at `offset`, the way the files hold names.
inline void PutName(Bytes& bytes, std::size_t offset, std::string_view name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        bytes[offset + 2 * i] = static_cast<std::uint8_t>(name[i]);
        bytes[offset + 2 * i + 1] = 0;
    }
}

inline void PutI32(Bytes& bytes, std::size_t offset, std::int32_t value) {
    auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

// What tests that write the stored files by hand use, with the files' layout: one
// `using namespace test::files;` brings it all.
namespace files {
using test::Bytes;
using test::PutI32;
using test::PutName;
using test::ReadBytes;
using test::ReadText;
using test::TempFolder;
using test::WriteBytes;
using test::WriteText;

inline constexpr std::size_t kHeader = 238884;  // profile store: selection and reserved block
inline constexpr std::size_t kRecord = 47776;   // one profile
inline constexpr std::size_t kMacro = 856;      // one macro
inline constexpr std::size_t kButtons = 2464;   // where a profile's button entries begin
inline constexpr std::size_t kEntry = 1888;     // one button entry
}  // namespace files

}  // namespace ms1::test
