#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/LittleEndian.h"
#include "core/ProfileRecord.h"
#include "core/Result.h"
#include "storage/AtomicFileWriter.h"
#include "storage/StoreLoadReport.h"

namespace ms1 {

// The block in front of the profiles in "pro.data". Only the selection has a meaning; the
// rest is written back exactly as it was read.
struct ProfileStoreHeader {
    le_i32 selectedIndex;
    std::uint8_t reserved[238880];
};
static_assert(sizeof(ProfileStoreHeader) == 238884);
static_assert(std::is_trivially_copyable_v<ProfileStoreHeader>);

// The user's profiles and the file "ms_1/pro.data" that keeps them.
//
// Every change of the list and every save happen under one lock: the window thread, the
// apply worker and the status decoding all change and save the profiles. Take an Access to
// read or change anything; a save through it keeps the lock it already holds. When both
// stores are needed, lock the profile store first.
class ProfileStore {
  public:
    explicit ProfileStore(std::filesystem::path dataFolder, AtomicFileWriter* writer = nullptr);

    class Access {
      public:
        ProfileList& Profiles() { return store_->profiles_; }
        ProfileStoreHeader& Header() { return *store_->header_; }
        int SelectedIndex() const { return store_->header_->selectedIndex; }
        void SetSelectedIndex(int index) { store_->header_->selectedIndex = index; }

        // Appends a profile with the default settings, named addProfileText + (count + 1)
        // (made unique); does not save.
        ProfileRecord& AddDefaultProfile(std::u16string_view addProfileText);
        // Writes the header and every profile, replacing the file as a whole.
        Result SaveProfileStore();
        // Saves only when the header or a profile differs from the file as this store last
        // read or wrote it; otherwise Done without touching the disk, so that what another
        // program wrote meanwhile stays.
        Result SaveProfileStoreIfChanged();
        // Why every save fails until the next load (a damaged file could not be kept aside).
        const Result& SavesAllowed() const { return store_->savesAllowed_; }

      private:
        friend class ProfileStore;
        explicit Access(ProfileStore& store) : store_(&store), lock_(store.mutex_) {}
        ProfileStore* store_;
        std::unique_lock<std::mutex> lock_;
    };

    Access Lock() { return Access(*this); }

    // Reads the file once at start. A missing file, or one that holds no whole profile,
    // gives a fresh start: a zero header and one default profile, saved at once (an
    // unusable file is first kept as "pro.data.bad"). A trailing fragment is dropped (the
    // file is kept as it was) and a selection outside the list becomes 0. A read-write load
    // first removes the temporary files that killed saves left. When a damaged file cannot
    // be kept aside, every save fails until the next load.
    StoreLoadReport LoadProfileStore(std::u16string_view addProfileText,
                                     StoreMode mode = StoreMode::ReadWrite);
    Result SaveProfileStore() { return Lock().SaveProfileStore(); }
    Result SaveProfileStoreIfChanged() { return Lock().SaveProfileStoreIfChanged(); }

    std::filesystem::path FilePath() const;
    static std::filesystem::path FilePath(const std::filesystem::path& dataFolder);

  private:
    std::filesystem::path dataFolder_;
    AtomicFileWriter defaultWriter_;
    AtomicFileWriter* writer_;
    std::mutex mutex_;
    std::unique_ptr<ProfileStoreHeader> header_;
    ProfileList profiles_;
    // The file's bytes as last read or written; nothing when unknown (after a failed save).
    std::optional<std::vector<std::uint8_t>> onDisk_;
    // Set while a damaged file that could not be kept aside must not be written over.
    Result savesAllowed_;

    std::vector<std::uint8_t> FileBytes() const;
    bool MatchesDisk() const;
};

}  // namespace ms1
