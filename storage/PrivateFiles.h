#pragma once

#include <filesystem>
#include <system_error>

namespace ms1 {

// Macros hold what the user typed (a login name, a password), and every profile carries a
// copy of its buttons' macros: the folders and files that can hold them are the user's alone.
inline constexpr std::filesystem::perms kPrivateFileMode =
    std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;

// Creates `folder` and its missing parents with mode 0700, whatever the umask. Folders that
// exist already are left as they are. An empty error when `folder` is a folder afterwards.
std::error_code CreatePrivateFolders(const std::filesystem::path& folder);

// Narrows a file's mode to 0600 (the kept copies of damaged stores, which keep the mode of
// the file they were). Errors are ignored: a file system without modes loses nothing.
void MakeFilePrivate(const std::filesystem::path& file);

}  // namespace ms1
