// A .macro file imported twice into the macro store, as ms1ctl and the macro editor take
// one, and the macro then put on a button and sent to the mouse.
#include <cstring>
#include <span>

#include "core/ProfileRecord.h"
#include "fuzz/FuzzFolder.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/MouseAnswer.h"
#include "protocol/Reports.h"
#include "storage/MacroFile.h"
#include "storage/MacroStore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ms1;
    using namespace ms1::fuzz;
    static const FuzzFolder folder;
    folder.Reset();
    const std::span<const std::uint8_t> file(data, size);
    const auto path = folder.Path() / "import.macro";
    WriteFileOrAbort(path, file);

    UnsyncedWriter writer;
    MacroStore store(folder.Path(), &writer);
    store.LoadMacroStore();
    auto access = store.Lock();
    const MacroImport first = ImportMacroFile(path, access);
    const MacroImport second = ImportMacroFile(path, access);
    const MacroList& macros = access.Macros();

    if (CheckMacroBytes(file)) {
        MS1_FUZZ_CHECK(!first.taken && !second.taken && macros.empty());
        MS1_FUZZ_CHECK(!std::filesystem::exists(store.FilePath()));
        return 0;
    }

    // Both taken, byte for byte but for the names, which differ and fit their field.
    MS1_FUZZ_CHECK(first.taken && second.taken && first.save && second.save);
    MS1_FUZZ_CHECK(macros.size() == 2 && first.index == 0 && second.index == 1);
    MS1_FUZZ_CHECK(!NamesEqual(macros[0].name.get(), macros[1].name.get()));
    for (std::size_t i = 0; i < 2; ++i) {
        const MacroRecord& macro = macros[i];
        MS1_FUZZ_CHECK(IsValidMacro(macro) && macro.name.get().size() <= kMacroNameMaxChars);
        MS1_FUZZ_CHECK(
            std::memcmp(reinterpret_cast<const std::uint8_t*>(&macro) + sizeof macro.name,
                        data + sizeof macro.name, sizeof(MacroRecord) - sizeof macro.name) == 0);
        const int weighted = WeightedLength(macro);
        MS1_FUZZ_CHECK(weighted >= macro.actionCount && weighted <= 2 * macro.actionCount);
    }
    const auto stored = ReadFileOrEmpty(store.FilePath());
    MS1_FUZZ_CHECK(stored.size() == 2 * sizeof(MacroRecord));
    MS1_FUZZ_CHECK(std::memcmp(stored.data(), macros.data(), stored.size()) == 0);

    // On a button its pages are ones the mouse takes.
    auto profile = MakeZeroedProfile();
    ResetProfileToDefaults(*profile);
    ButtonEntry& entry = profile->button[0];
    entry.function = kFunctionMacro;
    CopyMacroToButton(macros[0], entry);
    MS1_FUZZ_CHECK(MacroFromButton(entry).actionCount == macros[0].actionCount);
    MouseAnswer mouse;
    const auto pages = EncodeMacroPages(entry, kMacroStartPage[0]);
    MS1_FUZZ_CHECK(!pages.empty() && pages.size() <= 16);
    for (const auto& page : pages)
        MS1_FUZZ_CHECK(mouse.StatusOf(page) == sim::kAckOk);
    return 0;
}
