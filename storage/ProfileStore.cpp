#include "storage/ProfileStore.h"

#include <cstring>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "storage/NameRules.h"
#include "storage/StoreFileIo.h"

namespace ms1 {
namespace {

std::u16string NumberedName(std::u16string_view text, std::size_t number) {
    std::string digits = std::to_string(number);
    std::u16string name(text);
    name.append(digits.begin(), digits.end());
    return name;
}

}  // namespace

ProfileStore::ProfileStore(std::filesystem::path dataFolder, AtomicFileWriter* writer)
    : dataFolder_(std::move(dataFolder)),
      writer_(writer ? writer : &defaultWriter_),
      header_(std::make_unique<ProfileStoreHeader>()) {
    std::memset(header_.get(), 0, sizeof(ProfileStoreHeader));
}

std::filesystem::path ProfileStore::FilePath(const std::filesystem::path& dataFolder) {
    return dataFolder / "ms_1" / "pro.data";
}

std::filesystem::path ProfileStore::FilePath() const {
    return FilePath(dataFolder_);
}

ProfileRecord& ProfileStore::Access::AddDefaultProfile(std::u16string_view addProfileText) {
    ProfileList& profiles = store_->profiles_;
    auto profile = MakeZeroedProfile();
    ResetProfileToDefaults(*profile);
    std::u16string base = NumberedName(addProfileText, profiles.size() + 1);
    profile->profileName.set(MakeUniqueName(profiles, base, kProfileNameMaxChars));
    profiles.push_back(std::move(profile));
    return *profiles.back();
}

WriteResult ProfileStore::Access::SaveProfileStore() {
    const auto path = store_->FilePath();
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error)
        return WriteResult::Failed(path.parent_path().string() + ": " + error.message());

    std::vector<std::span<const std::uint8_t>> pieces;
    pieces.reserve(store_->profiles_.size() + 1);
    pieces.emplace_back(reinterpret_cast<const std::uint8_t*>(store_->header_.get()),
                        sizeof(ProfileStoreHeader));
    for (const auto& profile : store_->profiles_)
        pieces.push_back(BytesOf(*profile));
    return store_->writer_->Write(path, pieces);
}

namespace {

// Reads header and records straight into their places; false when the file does not hold
// the header and at least one whole record, or cannot be read.
bool ReadProfiles(const std::filesystem::path& path, ProfileStoreHeader& header,
                  ProfileList& profiles, std::size_t& droppedBytes) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(path, error));
    if (error || size < sizeof(ProfileStoreHeader) + sizeof(ProfileRecord))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(&header), sizeof header))
        return false;
    const std::size_t count = (size - sizeof header) / sizeof(ProfileRecord);
    droppedBytes = (size - sizeof header) % sizeof(ProfileRecord);
    profiles.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        auto profile = std::make_unique<ProfileRecord>();
        if (!in.read(reinterpret_cast<char*>(profile.get()), sizeof(ProfileRecord))) {
            profiles.clear();
            return false;
        }
        profiles.push_back(std::move(profile));
    }
    return true;
}

}  // namespace

StoreLoadReport ProfileStore::LoadProfileStore(std::u16string_view addProfileText, StoreMode mode) {
    Access access = Lock();
    StoreLoadReport report;
    const auto path = FilePath();
    profiles_.clear();
    std::memset(header_.get(), 0, sizeof(ProfileStoreHeader));

    if (ReadProfiles(path, *header_, profiles_, report.droppedBytes)) {
        const int selected = header_->selectedIndex;
        if (selected < 0 || static_cast<std::size_t>(selected) >= profiles_.size()) {
            header_->selectedIndex = 0;
            report.selectedIndexReset = true;
        }
        // The next save would drop the fragment for good; keep the file as it was.
        if (report.droppedBytes > 0 && mode == StoreMode::ReadWrite) {
            report.keepAsideError = KeepAside(path, false);
            report.keptAside = !report.keepAsideError;
        }
        return report;
    }

    std::error_code error;
    const bool exists = std::filesystem::exists(path, error);
    const bool empty = exists && std::filesystem::is_regular_file(path, error) &&
                       std::filesystem::file_size(path, error) == 0;
    report.freshStart = true;
    report.unusableFile = exists && !empty;
    if (mode == StoreMode::ReadWrite && report.unusableFile) {
        report.keepAsideError = KeepAside(path, true);
        report.keptAside = !report.keepAsideError;
    }
    profiles_.clear();
    std::memset(header_.get(), 0, sizeof(ProfileStoreHeader));
    access.AddDefaultProfile(addProfileText);
    if (mode == StoreMode::ReadOnly)
        return report;
    // Saving now would overwrite the damaged file that could not be kept aside.
    if (report.keepAsideError) {
        report.save = WriteResult::Failed(*report.keepAsideError);
    } else {
        report.save = access.SaveProfileStore();
    }
    return report;
}

}  // namespace ms1
