#pragma once

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>

#include "protocol/ProfileState.h"

namespace ms1 {

// One profile held in memory for the command line: an apply sends it and takes it as the
// snapshot, but nothing is written to the user's profile store.
class MemoryProfileState final : public ProfileState {
  public:
    explicit MemoryProfileState(const ProfileRecord& profile)
        : working_(MakeZeroedProfile()), snapshot_(MakeZeroedProfile()) {
        std::memcpy(working_.get(), &profile, sizeof(ProfileRecord));
        std::memcpy(snapshot_.get(), &profile, sizeof(ProfileRecord));
    }

    std::unique_lock<std::recursive_mutex> Lock() override {
        return std::unique_lock<std::recursive_mutex>(mutex_);
    }
    ProfileRecord& Working() override { return *working_; }
    ProfileRecord& Snapshot() override { return *snapshot_; }
    bool& FullApplyPending() override { return fullApplyPending_; }
    // Nothing to write: the profile lives only as long as the command.
    bool SaveProfiles() override {
        ++saves_;
        return true;
    }
    int Saves() const { return saves_.load(); }

  private:
    std::recursive_mutex mutex_;
    std::unique_ptr<ProfileRecord> working_;
    std::unique_ptr<ProfileRecord> snapshot_;
    bool fullApplyPending_ = true;
    std::atomic<int> saves_{0};
};

}  // namespace ms1
