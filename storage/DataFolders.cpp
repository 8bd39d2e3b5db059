#include "storage/DataFolders.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "storage/PrivateFiles.h"

namespace ms1 {
namespace {

bool WritableByUs(const std::filesystem::path& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool IsFolder(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

}  // namespace

std::filesystem::path GetProgramFolder() {
    std::error_code error;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return exe.parent_path();
}

UserFolders UserFolders::FromEnvironment() {
    UserFolders user;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"))
        user.xdgDataHome = xdg;
    if (const char* home = std::getenv("HOME"))
        user.home = home;
    return user;
}

std::filesystem::path LocateDataFolder(
    const std::filesystem::path& programFolder, const UserFolders& user,
    const std::function<bool(const std::filesystem::path&)>& isWritable) {
    const auto writable = isWritable ? isWritable : WritableByUs;
    const std::filesystem::path beside = programFolder / "Data";
    if (IsFolder(beside) && writable(beside))
        return beside;
    if (writable(programFolder))
        return beside;
    // Only an absolute XDG_DATA_HOME counts; a relative one is ignored, as XDG asks.
    std::filesystem::path base = user.xdgDataHome;
    if (base.empty() || base.is_relative())
        base = user.home / ".local" / "share";
    return base / "ms1" / "Data";
}

std::filesystem::path LocateDataFolder() {
    return LocateDataFolder(GetProgramFolder(), UserFolders::FromEnvironment());
}

std::filesystem::path GetDataFolder(
    const std::filesystem::path& programFolder, const UserFolders& user,
    const std::function<bool(const std::filesystem::path&)>& isWritable) {
    std::filesystem::path folder = LocateDataFolder(programFolder, user, isWritable);
    if (!IsFolder(folder)) {
        // A failure shows later, in the saves that need the folder.
        CreatePrivateFolders(folder);
    }
    return folder;
}

std::filesystem::path GetDataFolder() {
    return GetDataFolder(GetProgramFolder(), UserFolders::FromEnvironment());
}

}  // namespace ms1
