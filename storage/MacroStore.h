#pragma once

#include <cstddef>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/MacroRecord.h"
#include "core/Result.h"
#include "storage/AtomicFileWriter.h"
#include "storage/StoreLoadReport.h"

namespace ms1 {

// The user's macros and the file "ms_1/macro.data" that keeps them, rewritten whole after
// every change. Changes and saves happen under one lock, taken through an Access. When both
// stores are needed, lock the profile store first.
class MacroStore {
  public:
    explicit MacroStore(std::filesystem::path dataFolder, AtomicFileWriter* writer = nullptr);

    struct Added {
        std::size_t index;
        Result save;
    };

    class Access {
      public:
        MacroList& Macros() { return store_->macros_; }

        // Appends an empty macro named addMacroText + (count + 1), made unique and cut to
        // 23 characters, and saves.
        Added AddMacro(std::u16string_view addMacroText);
        Result SaveMacroStore();
        // Saves only when the list differs from the file as this store last read or wrote
        // it; otherwise Done without touching the disk, so that what another program wrote
        // meanwhile stays.
        Result SaveMacroStoreIfChanged();
        // Why every save fails until the next load (a damaged file could not be kept aside).
        const Result& SavesAllowed() const { return store_->savesAllowed_; }

      private:
        friend class MacroStore;
        explicit Access(MacroStore& store) : store_(&store), lock_(store.mutex_) {}
        MacroStore* store_;
        std::unique_lock<std::mutex> lock_;
    };

    Access Lock() { return Access(*this); }

    // Reads the file once at start; a missing file is an empty list. Records whose action
    // count is outside 0..200 or whose name is not terminated, and a trailing fragment, are
    // dropped; the file as it was is then kept as "macro.data.bad". A read-write load first
    // removes the temporary files that killed saves left. When a damaged file cannot be kept
    // aside, every save fails until the next load.
    StoreLoadReport LoadMacroStore(StoreMode mode = StoreMode::ReadWrite);
    Result SaveMacroStore() { return Lock().SaveMacroStore(); }
    Result SaveMacroStoreIfChanged() { return Lock().SaveMacroStoreIfChanged(); }

    std::filesystem::path FilePath() const;
    static std::filesystem::path FilePath(const std::filesystem::path& dataFolder);

  private:
    std::filesystem::path dataFolder_;
    AtomicFileWriter defaultWriter_;
    AtomicFileWriter* writer_;
    std::mutex mutex_;
    MacroList macros_;
    // The file's bytes as last read or written (none for a missing file); nothing when
    // unknown (an unreadable file, a failed save).
    std::optional<std::vector<std::uint8_t>> onDisk_;
    // Set while a damaged file that could not be kept aside must not be written over.
    Result savesAllowed_;

    std::span<const std::uint8_t> ListBytes() const;
};

}  // namespace ms1
