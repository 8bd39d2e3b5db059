#include "ui/dialogs/FunctionChoice.h"

#include <cstring>

#include "ui/ButtonFunctions.h"

namespace ms1 {
namespace {

void Assign(ButtonEntry& entry, std::uint8_t code, int button, FunctionChoiceUi& ui) {
    entry.function = code;
    ui.RequestApply();
    ui.DrawButtonLabel(button);
}

}  // namespace

void OnFunctionChosen(ProfileRecord& working, int button, std::string_view itemName,
                      const MacroList& macros, FunctionChoiceUi& ui) {
    if (button < 0 || button >= kPageButtons)
        return;
    ButtonEntry& entry = working.button[button];
    const std::uint8_t code = FunctionCodeForMenuItem(itemName);
    if (!KeepsALeftClick(working, button, code)) {
        ui.ShowWarning("one_click_text");
        return;
    }

    if (code == kFunctionKeyCombination) {
        if (entry.function != kFunctionKeyCombination) {
            entry.key = 0;
            std::memset(entry.reserved4, 0, sizeof entry.reserved4);
        }
        ShortcutChoice initial{(entry.modifiers & kModCtrl) != 0,
                               (entry.modifiers & kModShift) != 0, (entry.modifiers & kModAlt) != 0,
                               (entry.modifiers & kModWin) != 0, entry.key};
        std::optional<ShortcutChoice> chosen = ui.RunShortcutDialog(initial);
        if (!chosen)
            return;
        entry.key = chosen->key;
        entry.modifiers = static_cast<std::uint8_t>(
            (chosen->ctrl ? kModCtrl : 0) | (chosen->shift ? kModShift : 0) |
            (chosen->alt ? kModAlt : 0) | (chosen->win ? kModWin : 0));
        if (entry.modifiers != 0 || entry.key != 0)
            Assign(entry, code, button, ui);
        return;
    }

    if (code == kFunctionMacro) {
        MacroChoice initial;
        if (entry.function == kFunctionMacro) {
            initial = {entry.macroIndex, entry.macroMode, entry.macroRepeat};
        }
        std::optional<MacroChoice> chosen = ui.RunMacroDialog(macros, initial);
        if (!chosen || chosen->index < 0 || macros.empty() ||
            chosen->index >= static_cast<int>(macros.size())) {
            return;
        }
        const MacroRecord& macro = macros[static_cast<std::size_t>(chosen->index)];
        entry.macroMode = chosen->mode;
        entry.macroRepeat = chosen->repeat;
        entry.macroIndex = chosen->index;
        CopyMacroToButton(macro, entry);
        Assign(entry, code, button, ui);
        return;
    }

    Assign(entry, code, button, ui);
}

}  // namespace ms1
