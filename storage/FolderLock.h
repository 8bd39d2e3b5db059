#pragma once

#include <filesystem>

namespace ms1 {

// A lock on the folder a file is saved in, which tells a save under way from the temporary
// file of a save that was killed.
//
// Every save holds it shared from before it creates its temporary file until that file has
// been renamed or removed. The clean-up when a store is loaded takes it exclusively, without
// waiting: while it holds the lock, no save of any program (ms1, ms1ctl, several threads) is
// under way in that folder, so every temporary file of our naming there is stale. The kernel
// drops the lock of a process however it ends, SIGKILL included, so a killed save never keeps
// it. The lock is flock(2) on the folder itself: no lock file of its own is left behind.
class FolderLock {
  public:
    enum class Mode {
        SharedWaiting,    // a save: waits while a clean-up scans the folder
        ExclusiveIfFree,  // a clean-up: gives up at once while any save is under way
    };

    FolderLock(const std::filesystem::path& folder, Mode mode);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // False when a save is under way (ExclusiveIfFree), or when the folder cannot be opened or
    // locked at all.
    bool Held() const { return held_; }
    // The open folder, or -1.
    int Descriptor() const { return fd_; }

  private:
    int fd_ = -1;
    bool held_ = false;
};

}  // namespace ms1
