#pragma once

#include <filesystem>
#include <functional>

namespace ms1 {

// The folder of the running program (from /proc/self/exe). Empty when it cannot be found.
std::filesystem::path GetProgramFolder();

// Where the data folder goes when the program folder cannot take it.
struct UserFolders {
    std::filesystem::path xdgDataHome;  // $XDG_DATA_HOME, may be empty
    std::filesystem::path home;         // $HOME, may be empty

    static UserFolders FromEnvironment();
};

// Where the data folder is, without creating anything: "Data" beside the program, or the
// per-user folder below when the program folder is not writable.
std::filesystem::path LocateDataFolder(
    const std::filesystem::path& programFolder, const UserFolders& user,
    const std::function<bool(const std::filesystem::path&)>& isWritable = {});
std::filesystem::path LocateDataFolder();

// "Data" beside the program, created when it is not a directory yet. When the program folder
// is not writable (a system-wide install) and holds no writable "Data", the data folder is
// $XDG_DATA_HOME/ms1/Data (default ~/.local/share/ms1/Data), created with its parents.
// A "Data" that cannot be created is not an error here: the path is returned all the same
// and the saves in it fail with their own reasons.
std::filesystem::path GetDataFolder(
    const std::filesystem::path& programFolder, const UserFolders& user,
    const std::function<bool(const std::filesystem::path&)>& isWritable = {});

// The data folder of this program, for this user.
std::filesystem::path GetDataFolder();

}  // namespace ms1
