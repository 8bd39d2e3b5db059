#include "storage/MacroStore.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <system_error>

#include "storage/NameRules.h"
#include "storage/PrivateFiles.h"
#include "storage/StoreFileIo.h"

namespace ms1 {

MacroStore::MacroStore(std::filesystem::path dataFolder, AtomicFileWriter* writer)
    : dataFolder_(std::move(dataFolder)), writer_(writer ? writer : &defaultWriter_) {}

std::filesystem::path MacroStore::FilePath(const std::filesystem::path& dataFolder) {
    return dataFolder / "ms_1" / "macro.data";
}

std::filesystem::path MacroStore::FilePath() const {
    return FilePath(dataFolder_);
}

MacroStore::Added MacroStore::Access::AddMacro(std::u16string_view addMacroText) {
    MacroList& macros = store_->macros_;
    std::string digits = std::to_string(macros.size() + 1);
    std::u16string base(addMacroText);
    base.append(digits.begin(), digits.end());
    macros.push_back(MakeEmptyMacro(MakeUniqueName(macros, base, kMacroNameMaxChars)));
    return {macros.size() - 1, SaveMacroStore()};
}

std::span<const std::uint8_t> MacroStore::ListBytes() const {
    return {reinterpret_cast<const std::uint8_t*>(macros_.data()),
            macros_.size() * sizeof(MacroRecord)};
}

Result MacroStore::Access::SaveMacroStore() {
    const auto path = store_->FilePath();
    if (!store_->savesAllowed_)
        return store_->savesAllowed_;
    std::error_code error;
    error = CreatePrivateFolders(path.parent_path());
    if (error)
        return Result::Failed(path.parent_path().string() + ": " + error.message());
    const std::span<const std::uint8_t> bytes = store_->ListBytes();
    Result written = store_->writer_->Write(path, bytes);
    if (written) {
        store_->onDisk_.emplace(bytes.begin(), bytes.end());
    } else {
        store_->onDisk_.reset();
    }
    return written;
}

Result MacroStore::Access::SaveMacroStoreIfChanged() {
    const std::span<const std::uint8_t> bytes = store_->ListBytes();
    if (store_->savesAllowed_ && store_->onDisk_ &&
        std::equal(bytes.begin(), bytes.end(), store_->onDisk_->begin(), store_->onDisk_->end())) {
        return Result::Done();
    }
    return SaveMacroStore();
}

StoreLoadReport MacroStore::LoadMacroStore(StoreMode mode) {
    Access access = Lock();
    StoreLoadReport report;
    const auto path = FilePath();
    const bool writes = mode == StoreMode::ReadWrite;
    macros_.clear();
    onDisk_.reset();
    savesAllowed_ = Result::Done();
    if (writes)
        AtomicFileWriter::RemoveStaleTemporaries(path);
    StoreFileContents file = ReadStoreFile(path);
    if (!file.exists) {
        onDisk_.emplace();
        return report;
    }

    const std::size_t count = file.bytes.size() / sizeof(MacroRecord);
    report.droppedBytes = file.bytes.size() % sizeof(MacroRecord);
    macros_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        MacroRecord macro;
        std::memcpy(&macro, file.bytes.data() + i * sizeof(MacroRecord), sizeof macro);
        if (IsValidMacro(macro)) {
            macros_.push_back(macro);
        } else {
            ++report.droppedRecords;
        }
    }
    if (file.readable)
        onDisk_ = std::move(file.bytes);
    // Something there could not be taken; the next save would lose it for good.
    const bool lost = !file.readable || report.droppedBytes > 0 || report.droppedRecords > 0;
    if (lost && writes)
        savesAllowed_ = KeepDamagedFile(path, !file.readable, report);
    return report;
}

}  // namespace ms1
