#include "storage/StoreFileIo.h"

#include <fstream>
#include <system_error>

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

std::optional<std::string> KeepAside(const std::filesystem::path& path, bool move) {
    std::filesystem::path aside = path;
    aside += ".bad";
    std::error_code error;
    std::filesystem::remove_all(aside, error);
    if (move) {
        std::filesystem::rename(path, aside, error);
    } else {
        std::filesystem::copy_file(path, aside, std::filesystem::copy_options::overwrite_existing,
                                   error);
    }
    if (error)
        return aside.string() + ": " + error.message();
    return std::nullopt;
}

}  // namespace ms1
