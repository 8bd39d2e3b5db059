#include "cli/StoreImports.h"

#include <ostream>

#include "core/Utf16Text.h"
#include "storage/MacroFile.h"
#include "storage/ProfileFile.h"
#include "storage/StoreFileIo.h"

namespace ms1::cli {
namespace {

std::optional<std::vector<std::uint8_t>> ReadChecked(
    CliContext& context, const std::string& file, std::size_t recordSize,
    std::optional<std::string> (*check)(std::span<const std::uint8_t>)) {
    auto bytes = ReadFilePrefix(context.Resolve(file), recordSize);
    if (!bytes) {
        context.err << file << ": cannot be read\n";
        return std::nullopt;
    }
    if (auto reason = check(*bytes)) {
        context.err << file << ": " << *reason << "\n";
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadProfileToImport(CliContext& context,
                                                             const std::string& file) {
    return ReadChecked(context, file, sizeof(ProfileRecord), CheckProfileBytes);
}

std::optional<std::vector<std::uint8_t>> ReadMacroToImport(CliContext& context,
                                                           const std::string& file) {
    return ReadChecked(context, file, sizeof(MacroRecord), CheckMacroBytes);
}

int ImportProfileInto(CliContext& context, const std::string& file,
                      const std::vector<std::uint8_t>& bytes, ProfileStore::Access& profiles,
                      MacroStore::Access& macros) {
    // No macros for a profile that would not be stored.
    if (!profiles.SavesAllowed() || !macros.SavesAllowed()) {
        context.err << "ms1ctl profile: nothing imported\n";
        return kExitWriteFailed;
    }
    ProfileImport imported = ImportProfileBytes(bytes, profiles, macros);
    if (!imported.taken) {
        context.err << file << ": " << imported.taken.reason() << "\n";
        return kExitRefusedFile;
    }
    if (!imported.macroSave) {
        context.err << "ms1ctl profile: " << imported.macroSave.reason() << "\n";
        return kExitWriteFailed;
    }
    Result saved = profiles.SaveProfileStore();
    if (!saved) {
        context.err << "ms1ctl profile: " << saved.reason() << "\n";
        return kExitWriteFailed;
    }
    for (const std::u16string& macro : imported.macroNames) {
        context.out << "macro\t" << ToUtf8(macro) << "\n";
    }
    context.out << ToUtf8(imported.name) << "\n";
    return kExitOk;
}

int ImportMacroInto(CliContext& context, const std::string& file,
                    const std::vector<std::uint8_t>& bytes, MacroStore::Access& macros) {
    MacroImport imported = ImportMacroBytes(bytes, macros);
    if (!imported.taken) {
        context.err << file << ": " << imported.taken.reason() << "\n";
        return kExitRefusedFile;
    }
    if (!imported.save) {
        context.err << "ms1ctl macro: " << imported.save.reason() << "\n";
        return kExitWriteFailed;
    }
    context.out << ToUtf8(imported.name) << "\n";
    return kExitOk;
}

}  // namespace ms1::cli
