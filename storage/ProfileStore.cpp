#include "storage/ProfileStore.h"

#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "storage/NameRules.h"
#include "storage/PrivateFiles.h"
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

std::vector<std::uint8_t> ProfileStore::FileBytes() const {
    std::vector<std::uint8_t> bytes(sizeof(ProfileStoreHeader) +
                                    profiles_.size() * sizeof(ProfileRecord));
    std::memcpy(bytes.data(), header_.get(), sizeof(ProfileStoreHeader));
    std::uint8_t* at = bytes.data() + sizeof(ProfileStoreHeader);
    for (const auto& profile : profiles_) {
        std::memcpy(at, profile.get(), sizeof(ProfileRecord));
        at += sizeof(ProfileRecord);
    }
    return bytes;
}

bool ProfileStore::MatchesDisk() const {
    if (!onDisk_ ||
        onDisk_->size() != sizeof(ProfileStoreHeader) + profiles_.size() * sizeof(ProfileRecord)) {
        return false;
    }
    const std::uint8_t* at = onDisk_->data();
    if (std::memcmp(at, header_.get(), sizeof(ProfileStoreHeader)) != 0)
        return false;
    at += sizeof(ProfileStoreHeader);
    for (const auto& profile : profiles_) {
        if (std::memcmp(at, profile.get(), sizeof(ProfileRecord)) != 0)
            return false;
        at += sizeof(ProfileRecord);
    }
    return true;
}

Result ProfileStore::Access::SaveProfileStore() {
    const auto path = store_->FilePath();
    if (!store_->savesAllowed_)
        return store_->savesAllowed_;
    std::error_code error;
    error = CreatePrivateFolders(path.parent_path());
    if (error)
        return Result::Failed(path.parent_path().string() + ": " + error.message());

    std::vector<std::uint8_t> bytes = store_->FileBytes();
    Result written = store_->writer_->Write(path, bytes);
    if (written) {
        store_->onDisk_ = std::move(bytes);
    } else {
        store_->onDisk_.reset();
    }
    return written;
}

Result ProfileStore::Access::SaveProfileStoreIfChanged() {
    if (store_->savesAllowed_ && store_->MatchesDisk())
        return Result::Done();
    return SaveProfileStore();
}

namespace {

// Fills header and records from the file's bytes; false when they do not hold the header
// and at least one whole record.
bool TakeProfiles(const std::vector<std::uint8_t>& bytes, ProfileStoreHeader& header,
                  ProfileList& profiles, std::size_t& droppedBytes) {
    if (bytes.size() < sizeof(ProfileStoreHeader) + sizeof(ProfileRecord))
        return false;
    std::memcpy(&header, bytes.data(), sizeof header);
    const std::size_t count = (bytes.size() - sizeof header) / sizeof(ProfileRecord);
    droppedBytes = (bytes.size() - sizeof header) % sizeof(ProfileRecord);
    profiles.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        auto profile = std::make_unique<ProfileRecord>();
        std::memcpy(profile.get(), bytes.data() + sizeof header + i * sizeof(ProfileRecord),
                    sizeof(ProfileRecord));
        profiles.push_back(std::move(profile));
    }
    return true;
}

}  // namespace

StoreLoadReport ProfileStore::LoadProfileStore(std::u16string_view addProfileText, StoreMode mode) {
    Access access = Lock();
    StoreLoadReport report;
    const auto path = FilePath();
    const bool writes = mode == StoreMode::ReadWrite;
    profiles_.clear();
    std::memset(header_.get(), 0, sizeof(ProfileStoreHeader));
    onDisk_.reset();
    savesAllowed_ = Result::Done();
    if (writes)
        AtomicFileWriter::RemoveStaleTemporaries(path);

    StoreFileContents file = ReadStoreFile(path);
    if (file.readable && TakeProfiles(file.bytes, *header_, profiles_, report.droppedBytes)) {
        onDisk_ = std::move(file.bytes);
        const int selected = header_->selectedIndex;
        if (selected < 0 || static_cast<std::size_t>(selected) >= profiles_.size()) {
            header_->selectedIndex = 0;
            report.selectedIndexReset = true;
        }
        // The next save would drop the fragment for good; keep the file as it was.
        if (report.droppedBytes > 0 && writes)
            savesAllowed_ = KeepDamagedFile(path, false, report);
        return report;
    }

    const bool empty = file.readable && file.bytes.empty();
    report.freshStart = true;
    report.unusableFile = file.exists && !empty;
    if (writes && report.unusableFile)
        savesAllowed_ = KeepDamagedFile(path, true, report);
    profiles_.clear();
    std::memset(header_.get(), 0, sizeof(ProfileStoreHeader));
    access.AddDefaultProfile(addProfileText);
    // Refused while a damaged file that could not be kept aside is still there.
    if (writes)
        report.save = access.SaveProfileStore();
    return report;
}

}  // namespace ms1
