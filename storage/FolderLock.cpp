#include "storage/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace ms1 {

FolderLock::FolderLock(const std::filesystem::path& folder, Mode mode) {
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    const int operation = mode == Mode::SharedWaiting ? LOCK_SH : LOCK_EX | LOCK_NB;
    int result;
    do {
        result = ::flock(fd_, operation);
    } while (result != 0 && errno == EINTR);
    held_ = result == 0;
}

FolderLock::~FolderLock() {
    // Closing the folder lets go of the lock.
    if (fd_ >= 0)
        ::close(fd_);
}

}  // namespace ms1
