#include "platform/InstanceFolder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ms1 {

Result CheckInstanceFolder(const std::string& folder, uid_t uid) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return Result::Failed(std::strerror(errno));
    if (S_ISLNK(st.st_mode))
        return Result::Failed("it is a symbolic link, not a folder");
    if (!S_ISDIR(st.st_mode))
        return Result::Failed("it is not a folder");
    if (st.st_uid != uid)
        return Result::Failed("it belongs to user " + std::to_string(st.st_uid) + ", not to user " +
                              std::to_string(uid));
    if ((st.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
        return Result::Failed(std::string("other users may use it (mode ") + mode + ", not 0700)");
    }
    return Result::Done();
}

InstanceFolderChoice ChooseInstanceFolder(const std::string& runtimeFolder,
                                          const std::string& temporaryFolder, uid_t uid) {
    if (!runtimeFolder.empty())
        return {runtimeFolder, {}};
    const std::string folder = (temporaryFolder.empty() ? std::string("/tmp") : temporaryFolder) +
                               "/ms1-" + std::to_string(uid);
    // Never a chmod afterwards: on a folder someone else made it would fail, or worse, apply to
    // what a link points at. The folder is taken as it is, or not at all.
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {{}, folder + " cannot be created: " + std::strerror(errno)};
    if (const Result safe = CheckInstanceFolder(folder, uid); !safe)
        return {{}, folder + " is not safe to use: " + safe.reason()};
    return {folder, {}};
}

}  // namespace ms1
