#pragma once

#include <mutex>

#include "core/ProfileRecord.h"

namespace ms1 {

// The mouse page's profile state as the apply engine and the status decoding see it: the
// working profile, the snapshot of what the mouse last received, and the store. Whoever
// reads or writes these holds Lock(); the window thread takes the same lock for its edits.
class ProfileState {
  public:
    virtual ~ProfileState() = default;

    virtual std::unique_lock<std::recursive_mutex> Lock() = 0;
    virtual ProfileRecord& Working() = 0;
    virtual ProfileRecord& Snapshot() = 0;
    virtual bool& FullApplyPending() = 0;
    // Writes the profile list and the selected index; false when the file was not written.
    virtual bool SaveProfiles() = 0;
};

}  // namespace ms1
