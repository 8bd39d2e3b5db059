#include "cli/MacroShow.h"

#include <QDir>
#include <QString>
#include <cstdio>
#include <memory>
#include <ostream>

#include "platform/dui/LanguageTexts.h"
#include "platform/keyboard/XkbKeyboardLayout.h"
#include "storage/DataFolders.h"
#include "storage/MacroStore.h"
#include "ui/KeyTables.h"

namespace ms1::cli {
namespace {

// The language file in res/ beside the program; a key it lacks is shown as it is.
class ProgramTexts final : public TextLookup {
  public:
    ProgramTexts() {
        const QString folder = QString::fromStdString(GetProgramFolder().string());
        texts_.Load(QDir(folder).filePath(QStringLiteral("res/lan.xml")));
    }
    std::u16string Text(std::string_view key) const override {
        return texts_.Text(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())))
            .toStdU16String();
    }

  private:
    dui::LanguageTexts texts_;
};

// Without xkb data, names come from the key tables alone (no letters then).
class NoLayout final : public KeyboardLayout {
  public:
    std::uint32_t VirtualKeyToScanCode(std::uint32_t) const override { return 0; }
    std::uint32_t ScanCodeToVirtualKey(std::uint32_t) const override { return 0; }
    std::u16string Characters(std::uint32_t, std::uint32_t) const override { return {}; }
};

std::string KeyName(std::uint8_t key, const KeyboardLayout& layout, const TextLookup& texts) {
    std::string name = ToUtf8(UsageToKeyName(key, layout, texts));
    if (name.empty()) {
        // A key with no name still says which one it is.
        char code[8];
        std::snprintf(code, sizeof code, "0x%02X", key);
        name = code;
    }
    return name;
}

}  // namespace

int ShowMacroCommand(CliContext& context, const StoreArgs& args) {
    if (args.words.size() != 2)
        return UsageError(context, kMacroCommand);
    const std::string& name = args.words[1];
    MacroStore store(args.dataFolder);
    ReportLoad(context, store.FilePath(), store.LoadMacroStore(StoreMode::ReadOnly));
    auto access = store.Lock();
    for (const MacroRecord& macro : access.Macros()) {
        if (!NamesEqual(macro.name.get(), FromUtf8(name)))
            continue;
        std::unique_ptr<KeyboardLayout> layout = XkbKeyboardLayout::FromSystem();
        if (layout == nullptr)
            layout = std::make_unique<NoLayout>();
        const ProgramTexts texts;
        for (int i = 0; i < macro.actionCount; ++i) {
            const MacroAction& action = macro.actions[i];
            context.out << i << '\t' << KeyName(action.key, *layout, texts) << '\t'
                        << (action.direction == kDirectionPress ? "press" : "release") << '\t'
                        << action.delay.get() << '\n';
        }
        return kExitOk;
    }
    context.err << "ms1ctl macro: no macro named " << name << "\n";
    return kExitUsage;
}

}  // namespace ms1::cli
