// A .pro file imported on the mouse page, as the user picks it in the file dialog: the check,
// the unique names, the macros made of its macro buttons, the page showing the new profile
// and the stores written at the end.
#include <cstring>
#include <span>
#include <string>

#include "core/Utf16Text.h"
#include "fuzz/FuzzFolder.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/PageHarness.h"
#include "storage/NameRules.h"

namespace ms1::fuzz {
namespace {

// The record the import should have added: the file's first record with the new names and
// the indexes of the macros made for it.
std::unique_ptr<ProfileRecord> ExpectedImport(std::span<const std::uint8_t> file,
                                              const ProfileRecord& added, const MacroList& macros) {
    auto expected = ProfileFromBytes(file);
    expected->profileName.set(added.profileName.get());
    std::size_t made = 0;
    for (int k = 0; k < kPageButtons; ++k) {
        ButtonEntry& entry = expected->button[k];
        if (entry.function != kFunctionMacro)
            continue;
        MS1_FUZZ_CHECK(made < macros.size());
        const MacroRecord& macro = macros[made];
        // The macro is the button's copy under the button's new name.
        MS1_FUZZ_CHECK(macro.actionCount == entry.macroActionCount);
        MS1_FUZZ_CHECK(macro.repeat == entry.macroRepeat);
        MS1_FUZZ_CHECK(std::memcmp(macro.actions, entry.macroActions, sizeof macro.actions) == 0);
        entry.macroName.set(macro.name.get());
        entry.macroIndex = static_cast<std::int32_t>(made);
        ++made;
    }
    MS1_FUZZ_CHECK(made == macros.size());
    return expected;
}

void CheckNames(const ProfileList& profiles, const MacroList& macros) {
    const std::u16string name = profiles[1]->profileName.get();
    MS1_FUZZ_CHECK(profiles[1]->profileName.terminated() && name.size() <= kProfileNameMaxChars);
    MS1_FUZZ_CHECK(!NamesEqual(name, profiles[0]->profileName.get()));
    for (std::size_t i = 0; i < macros.size(); ++i) {
        MS1_FUZZ_CHECK(IsValidMacro(macros[i]));
        MS1_FUZZ_CHECK(macros[i].name.get().size() <= kMacroNameMaxChars);
        for (std::size_t j = 0; j < i; ++j)
            MS1_FUZZ_CHECK(!NamesEqual(macros[i].name.get(), macros[j].name.get()));
    }
}

}  // namespace
}  // namespace ms1::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ms1;
    using namespace ms1::fuzz;
    static const FuzzFolder folder;
    folder.Reset();
    const std::span<const std::uint8_t> file(data, size);
    const auto path = folder.Path() / "import.pro";
    WriteFileOrAbort(path, file);

    PageHarness h(folder);
    h.page.LoadProfiles();
    h.dialogs.openFile = path;
    h.page.ImportProfile();

    if (CheckProfileBytes(file)) {
        // Refused with a message; nothing changed.
        MS1_FUZZ_CHECK(h.dialogs.problems.size() == 1);
        MS1_FUZZ_CHECK(h.profiles.Lock().Profiles().size() == 1);
        MS1_FUZZ_CHECK(h.macros.Lock().Macros().empty());
        MS1_FUZZ_CHECK(h.controls.listLines.size() == 1 && h.apply.now == 0);
        return 0;
    }

    {
        auto profiles = h.profiles.Lock();
        auto macros = h.macros.Lock();
        const ProfileList& list = profiles.Profiles();
        MS1_FUZZ_CHECK(list.size() == 2);
        CheckNames(list, macros.Macros());
        auto expected = ExpectedImport(file, *list[1], macros.Macros());
        MS1_FUZZ_CHECK(std::memcmp(expected.get(), list[1].get(), sizeof(ProfileRecord)) == 0);

        // The page shows the new profile and asked for its apply.
        MS1_FUZZ_CHECK(h.page.SelectedIndex() == 1 && &h.page.Working() == list[1].get());
        MS1_FUZZ_CHECK(h.controls.listLines.size() == 2 && h.controls.listSelection == 1);
        MS1_FUZZ_CHECK(h.controls.listLines[1] == ToUtf8(list[1]->profileName.get()));
        MS1_FUZZ_CHECK(h.apply.now == 1);

        // Macros made are saved at once; none made, no macro store is written.
        const auto macroFile = ReadFileOrEmpty(h.macros.FilePath());
        const auto* listBytes = reinterpret_cast<const std::uint8_t*>(macros.Macros().data());
        MS1_FUZZ_CHECK(macroFile.size() == macros.Macros().size() * sizeof(MacroRecord));
        MS1_FUZZ_CHECK(std::equal(macroFile.begin(), macroFile.end(), listBytes));
        MS1_FUZZ_CHECK(!macros.Macros().empty() || !std::filesystem::exists(h.macros.FilePath()));
    }

    // At the end the profile store holds both profiles, the new one selected.
    h.page.SaveStores();
    const auto stored = ReadFileOrEmpty(h.profiles.FilePath());
    MS1_FUZZ_CHECK(stored.size() == sizeof(ProfileStoreHeader) + 2 * sizeof(ProfileRecord));
    MS1_FUZZ_CHECK(stored[0] == 1 && stored[1] == 0 && stored[2] == 0 && stored[3] == 0);
    MS1_FUZZ_CHECK(std::memcmp(stored.data() + sizeof(ProfileStoreHeader) + sizeof(ProfileRecord),
                               &h.page.Working(), sizeof(ProfileRecord)) == 0);
    return 0;
}
