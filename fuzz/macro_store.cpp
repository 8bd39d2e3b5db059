// macro.data as the program loads it at start, the macros then brought onto the buttons of a
// profile that names them, those buttons' pages sent to the mouse, and the store written at
// the end.
#include <cstdio>
#include <cstring>
#include <span>
#include <vector>

#include "core/ProfileRecord.h"
#include "core/Utf16Text.h"
#include "fuzz/FuzzFolder.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/MouseAnswer.h"
#include "storage/MacroStore.h"
#include "storage/StoreFileIo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ms1;
    using namespace ms1::fuzz;
    static const FuzzFolder folder;
    folder.Reset();
    const std::span<const std::uint8_t> file(data, size);
    const auto path = MacroStore::FilePath(folder.Path());
    WriteFileOrAbort(path, file);

    UnsyncedWriter writer;
    MacroStore store(folder.Path(), &writer);
    const StoreLoadReport report = store.LoadMacroStore();

    // The valid whole records are taken as they are, in order; the rest is dropped, and then
    // the file as it was is kept aside.
    std::vector<std::uint8_t> valid;
    std::size_t invalid = 0;
    for (std::size_t at = 0; at + sizeof(MacroRecord) <= size; at += sizeof(MacroRecord)) {
        MacroRecord macro;
        std::memcpy(&macro, data + at, sizeof macro);
        if (IsValidMacro(macro)) {
            valid.insert(valid.end(), data + at, data + at + sizeof macro);
        } else {
            ++invalid;
        }
    }
    const bool dropped = invalid > 0 || size % sizeof(MacroRecord) != 0;
    MS1_FUZZ_CHECK(report.droppedRecords == invalid);
    MS1_FUZZ_CHECK(report.droppedBytes == size % sizeof(MacroRecord));
    // Keeping the file aside can fail for reasons of the disk; the store then says why and
    // writes nothing over the file.
    if (report.keepAsideError)
        std::fprintf(stderr, "not kept aside: %s\n", report.keepAsideError->c_str());
    const bool notKept = dropped && report.keepAsideError.has_value();
    MS1_FUZZ_CHECK(report.keptAside == (dropped && !notKept));
    MS1_FUZZ_CHECK(!report.keepAsideError || dropped);
    if (report.keptAside)
        MS1_FUZZ_CHECK(ReadFileOrEmpty(KeptFileName(path, 0)) ==
                       std::vector(file.begin(), file.end()));

    auto access = store.Lock();
    MacroList& macros = access.Macros();
    MS1_FUZZ_CHECK(macros.size() * sizeof(MacroRecord) == valid.size());
    MS1_FUZZ_CHECK(valid.empty() || std::memcmp(macros.data(), valid.data(), valid.size()) == 0);

    // A profile whose first buttons name the first macros takes their actions on resync, and
    // the pages it then sends are ones the mouse reads.
    ProfileList profiles;
    profiles.push_back(MakeZeroedProfile());
    ProfileRecord& profile = *profiles.front();
    ResetProfileToDefaults(profile);
    const std::size_t named = std::min<std::size_t>(macros.size(), 3);
    for (std::size_t k = 0; k < named; ++k) {
        profile.button[k].function = kFunctionMacro;
        profile.button[k].macroName.set(macros[k].name.get());
    }
    ResyncMacroButtons(profiles, macros, &profile);
    MouseAnswer mouse;
    for (std::size_t k = 0; k < named; ++k) {
        const ButtonEntry& entry = profile.button[k];
        // The first macro of that name, in any letter case.
        const MacroRecord* found = nullptr;
        for (const MacroRecord& macro : macros) {
            if (NamesEqual(macro.name.get(), entry.macroName.get())) {
                found = &macro;
                break;
            }
        }
        MS1_FUZZ_CHECK(found != nullptr && entry.macroActionCount == found->actionCount);
        MS1_FUZZ_CHECK(ToUtf8(entry.macroName.get()).size() <= 3 * kMacroNameMaxChars);
        for (const auto& page : EncodeMacroPages(entry, kMacroStartPage[k]))
            MS1_FUZZ_CHECK(mouse.StatusOf(page) == sim::kAckOk);
    }

    // Nothing changed: the file stays as it is, unless something was dropped from it and it
    // was kept aside.
    MS1_FUZZ_CHECK(static_cast<bool>(access.SaveMacroStoreIfChanged()) == !notKept);
    const auto written = ReadFileOrEmpty(path);
    MS1_FUZZ_CHECK(written == (report.keptAside ? valid : std::vector(file.begin(), file.end())));
    return 0;
}
