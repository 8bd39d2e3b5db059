#include "storage/ProfileStore.h"

#include <cstring>
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

StoreLoadReport ProfileStore::LoadProfileStore(std::u16string_view addProfileText, StoreMode mode) {
    Access access = Lock();
    StoreLoadReport report;
    const auto path = FilePath();
    StoreFileContents file = ReadStoreFile(path);
    const std::size_t headerSize = sizeof(ProfileStoreHeader);
    const std::size_t recordSize = sizeof(ProfileRecord);

    profiles_.clear();
    std::memset(header_.get(), 0, headerSize);

    if (file.readable && file.bytes.size() >= headerSize + recordSize) {
        std::memcpy(header_.get(), file.bytes.data(), headerSize);
        const std::size_t count = (file.bytes.size() - headerSize) / recordSize;
        report.droppedBytes = (file.bytes.size() - headerSize) % recordSize;
        profiles_.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            auto profile = MakeZeroedProfile();
            std::memcpy(profile.get(), file.bytes.data() + headerSize + i * recordSize, recordSize);
            profiles_.push_back(std::move(profile));
        }
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

    report.freshStart = true;
    if (mode == StoreMode::ReadWrite && file.exists && (!file.readable || !file.bytes.empty())) {
        report.keepAsideError = KeepAside(path, true);
        report.keptAside = !report.keepAsideError;
    }
    std::memset(header_.get(), 0, headerSize);
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
