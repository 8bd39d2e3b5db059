#pragma once

#include <functional>
#include <optional>

#include "core/MacroRecord.h"
#include "platform/dui/DuiWindow.h"
#include "ports/HookTable.h"
#include "ports/KeyboardLayout.h"
#include "ui/dialogs/FunctionChoice.h"

namespace ms1 {

// The shortcut dialog over `owner`, modal, preset from `initial`. Nothing when it was
// cancelled or its skin is missing. The hook table and layout must outlive the call.
std::optional<ShortcutChoice> RunShortcutDialog(const dui::DuiWindow& owner,
                                                const HookTable& hookFunctions,
                                                const KeyboardLayout& layout,
                                                const ShortcutChoice& initial);

// The macro selection dialog over `owner`, modal, preset from `initial`. Nothing when it was
// cancelled or its skin is missing.
std::optional<MacroChoice> RunMacroDialog(const dui::DuiWindow& owner, const MacroList& macros,
                                          const MacroChoice& initial);

// The two dialogs in the shape the mouse page takes them (CMS_1_Page::shortcutDialog and
// macroDialog). Everything referenced must outlive the page.
std::function<std::optional<ShortcutChoice>(const ShortcutChoice&)> ShortcutDialogFor(
    const dui::DuiWindow& owner, const HookTable& hookFunctions, const KeyboardLayout& layout);
std::function<std::optional<MacroChoice>(const MacroList&, const MacroChoice&)> MacroDialogFor(
    const dui::DuiWindow& owner);

}  // namespace ms1
