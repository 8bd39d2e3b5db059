#include "storage/ProfileFile.h"

#include "storage/NameRules.h"
#include "storage/StoreFileIo.h"

namespace ms1 {

ProfileImport ImportProfileBytes(std::span<const std::uint8_t> bytes,
                                 ProfileStore::Access& profiles, MacroStore::Access& macros) {
    ProfileImport result;
    if (auto why = CheckProfileBytes(bytes)) {
        result.taken = Result::Failed(std::move(*why));
        return result;
    }
    auto profile = ProfileFromBytes(bytes);

    ProfileList& list = profiles.Profiles();
    result.name = MakeUniqueName(list, profile->profileName.get(), kProfileNameMaxChars);
    profile->profileName.set(result.name);

    MacroList& macroList = macros.Macros();
    for (int k = 0; k < kPageButtons; ++k) {
        ButtonEntry& entry = profile->button[k];
        if (entry.function != kFunctionMacro)
            continue;
        // The entry's name may fill all 24 units of its field; the rule cuts it to 23.
        std::u16string name = MakeUniqueName(macroList, entry.macroName.get(), kMacroNameMaxChars);
        entry.macroName.set(name);
        MacroRecord macro = MacroFromButton(entry);
        macro.name.set(name);
        macroList.push_back(macro);
        entry.macroIndex = static_cast<std::int32_t>(macroList.size() - 1);
        result.macroNames.push_back(std::move(name));
    }

    list.push_back(std::move(profile));
    result.index = list.size() - 1;
    if (!result.macroNames.empty())
        result.macroSave = macros.SaveMacroStore();
    return result;
}

ProfileImport ImportProfileFile(const std::filesystem::path& file, ProfileStore::Access& profiles,
                                MacroStore::Access& macros) {
    auto bytes = ReadFilePrefix(file, sizeof(ProfileRecord));
    if (!bytes) {
        ProfileImport result;
        result.taken = Result::Failed("cannot be read");
        return result;
    }
    return ImportProfileBytes(*bytes, profiles, macros);
}

Result ExportProfile(const ProfileRecord& profile, const std::filesystem::path& file,
                     AtomicFileWriter& writer) {
    return writer.Write(file, BytesOf(profile));
}

}  // namespace ms1
