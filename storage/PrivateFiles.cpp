#include "storage/PrivateFiles.h"

#include <sys/stat.h>

#include <cerrno>

namespace ms1 {

std::error_code CreatePrivateFolders(const std::filesystem::path& folder) {
    std::error_code error;
    if (folder.empty() || std::filesystem::is_directory(folder, error))
        return {};
    const std::filesystem::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder) {
        if (std::error_code parentError = CreatePrivateFolders(parent))
            return parentError;
    }
    // mkdir's mode is narrowed by the umask, never widened: 0700 stays 0700 or less, and the
    // chmod makes it exactly 0700 (a umask of 0277 would leave the owner unable to write).
    if (::mkdir(folder.c_str(), 0700) != 0) {
        if (errno == EEXIST && std::filesystem::is_directory(folder, error))
            return {};
        return {errno, std::generic_category()};
    }
    ::chmod(folder.c_str(), 0700);
    return {};
}

void MakeFilePrivate(const std::filesystem::path& file) {
    std::error_code ignored;
    std::filesystem::permissions(file, kPrivateFileMode, std::filesystem::perm_options::replace,
                                 ignored);
}

}  // namespace ms1
