#include "storage/MacroFile.h"

#include <cstring>

#include "core/ProfileRecord.h"
#include "storage/NameRules.h"
#include "storage/StoreFileIo.h"

namespace ms1 {

std::optional<std::string> CheckMacroBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < sizeof(MacroRecord)) {
        return "shorter than one macro (" + std::to_string(bytes.size()) + " of " +
               std::to_string(sizeof(MacroRecord)) + " bytes)";
    }
    MacroRecord macro;
    std::memcpy(&macro, bytes.data(), sizeof macro);
    if (!macro.name.terminated()) {
        return "the macro name is not terminated within its 24 characters";
    }
    const int count = macro.actionCount;
    if (count < 0 || count > kMaxMacroActions) {
        return "the macro holds " + std::to_string(count) + " actions (0 to 200 allowed)";
    }
    return std::nullopt;
}

MacroImport ImportMacroBytes(std::span<const std::uint8_t> bytes, MacroStore::Access& macros) {
    MacroImport result;
    if (auto why = CheckMacroBytes(bytes)) {
        result.taken = Result::Failed(std::move(*why));
        return result;
    }
    MacroRecord macro;
    std::memcpy(&macro, bytes.data(), sizeof macro);
    MacroList& list = macros.Macros();
    result.name = MakeUniqueName(list, macro.name.get(), kMacroNameMaxChars);
    macro.name.set(result.name);
    list.push_back(macro);
    result.index = list.size() - 1;
    result.save = macros.SaveMacroStore();
    return result;
}

MacroImport ImportMacroFile(const std::filesystem::path& file, MacroStore::Access& macros) {
    auto bytes = ReadFilePrefix(file, sizeof(MacroRecord));
    if (!bytes) {
        MacroImport result;
        result.taken = Result::Failed("cannot be read");
        return result;
    }
    return ImportMacroBytes(*bytes, macros);
}

Result ExportMacro(const MacroRecord& macro, const std::filesystem::path& file,
                   AtomicFileWriter& writer) {
    return writer.Write(file, BytesOf(macro));
}

}  // namespace ms1
