#include "storage/MacroStore.h"

#include <cstring>
#include <string>
#include <system_error>

#include "storage/NameRules.h"
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

WriteResult MacroStore::Access::SaveMacroStore() {
    const auto path = store_->FilePath();
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error)
        return WriteResult::Failed(path.parent_path().string() + ": " + error.message());
    const MacroList& macros = store_->macros_;
    std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(macros.data()),
                                        macros.size() * sizeof(MacroRecord));
    return store_->writer_->Write(path, bytes);
}

StoreLoadReport MacroStore::LoadMacroStore(StoreMode mode) {
    Access access = Lock();
    StoreLoadReport report;
    const auto path = FilePath();
    StoreFileContents file = ReadStoreFile(path);
    macros_.clear();
    if (!file.exists)
        return report;

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
    // Something there could not be taken; the next save would lose it for good.
    const bool lost = !file.readable || report.droppedBytes > 0 || report.droppedRecords > 0;
    if (lost && mode == StoreMode::ReadWrite) {
        report.keepAsideError = KeepAside(path, !file.readable);
        report.keptAside = !report.keepAsideError;
    }
    return report;
}

}  // namespace ms1
