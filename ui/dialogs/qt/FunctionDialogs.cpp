#include "ui/dialogs/qt/FunctionDialogs.h"

#include <QWidget>
#include <string>

#include "platform/DebugLog.h"
#include "platform/dui/LanguageTexts.h"
#include "ports/TextLookup.h"
#include "ui/dialogs/qt/CMS_1_SelectMacro.h"
#include "ui/dialogs/qt/CShortcutWnd.h"

namespace ms1 {
namespace {

// Key names come from the owner's language texts.
class WindowTexts final : public TextLookup {
  public:
    explicit WindowTexts(const dui::LanguageTexts* texts) : texts_(texts) {}
    std::u16string Text(std::string_view key) const override {
        const QString id = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
        return (texts_ != nullptr ? texts_->Text(id) : id).toStdU16String();
    }

  private:
    const dui::LanguageTexts* texts_;
};

// Shows a created dialog over its owner and runs it; true for OK.
bool RunModal(dui::DuiWindow& dialog) {
    dialog.Widget()->setWindowModality(Qt::ApplicationModal);
    dialog.CenterOnScreen();
    return dialog.ShowModal() == 1;
}

}  // namespace

std::optional<ShortcutChoice> RunShortcutDialog(const dui::DuiWindow& owner,
                                                const HookTable& hookFunctions,
                                                const KeyboardLayout& layout,
                                                const ShortcutChoice& initial) {
    const WindowTexts keyTexts(owner.Texts());
    CShortcutWnd dialog(owner.SharedSkins(), owner.SharedTexts(), hookFunctions, layout, keyTexts);
    dialog.ctrlFlag = initial.ctrl ? 1 : 0;
    dialog.shiftFlag = initial.shift ? 1 : 0;
    dialog.altFlag = initial.alt ? 1 : 0;
    dialog.winFlag = initial.win ? 1 : 0;
    dialog.shortcutKey = initial.key;
    if (!dialog.Create(owner.Widget())) {
        qCWarning(lcMs1) << "shortcut dialog skin missing";
        return std::nullopt;
    }
    if (!RunModal(dialog)) {
        return std::nullopt;
    }
    return ShortcutChoice{dialog.ctrlFlag != 0, dialog.shiftFlag != 0, dialog.altFlag != 0,
                          dialog.winFlag != 0, dialog.shortcutKey};
}

std::optional<MacroChoice> RunMacroDialog(const dui::DuiWindow& owner, const MacroList& macros,
                                          const MacroChoice& initial) {
    CMS_1_SelectMacro dialog(owner.SharedSkins(), owner.SharedTexts(), macros);
    dialog.selectedMacro = initial.index;
    dialog.repeatMode = initial.mode;
    dialog.loopCount = initial.repeat;
    if (!dialog.Create(owner.Widget())) {
        qCWarning(lcMs1) << "macro selection skin missing";
        return std::nullopt;
    }
    if (!RunModal(dialog)) {
        return std::nullopt;
    }
    return MacroChoice{dialog.selectedMacro, dialog.repeatMode, dialog.loopCount};
}

std::function<std::optional<ShortcutChoice>(const ShortcutChoice&)> ShortcutDialogFor(
    const dui::DuiWindow& owner, const HookTable& hookFunctions, const KeyboardLayout& layout) {
    return [&owner, &hookFunctions, &layout](const ShortcutChoice& initial) {
        return RunShortcutDialog(owner, hookFunctions, layout, initial);
    };
}

std::function<std::optional<MacroChoice>(const MacroList&, const MacroChoice&)> MacroDialogFor(
    const dui::DuiWindow& owner) {
    return [&owner](const MacroList& macros, const MacroChoice& initial) {
        return RunMacroDialog(owner, macros, initial);
    };
}

}  // namespace ms1
