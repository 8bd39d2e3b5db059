#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/MacroRecord.h"
#include "core/ProfileRecord.h"

namespace ms1 {

struct ShortcutChoice {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
    bool win = false;
    std::uint8_t key = 0;  // HID usage
};

struct MacroChoice {
    int index = -1;  // position in the macro list; -1 none
    int mode = 0;    // repeat option 0..2
    int repeat = 1;  // loop count 1..255
};

// What a function choice needs from the windows around it.
class FunctionChoiceUi {
  public:
    virtual ~FunctionChoiceUi() = default;
    // The warning message box with "warning_title_text" and the given message key.
    virtual void ShowWarning(std::string_view messageKey) = 0;
    // The modal dialogs; nothing when they were cancelled.
    virtual std::optional<ShortcutChoice> RunShortcutDialog(const ShortcutChoice& initial) = 0;
    virtual std::optional<MacroChoice> RunMacroDialog(const MacroList& macros,
                                                      const MacroChoice& initial) = 0;
    virtual void RequestApply() = 0;
    virtual void DrawButtonLabel(int button) = 0;
};

// A menu item was chosen for button `button` of the working profile.
void OnFunctionChosen(ProfileRecord& working, int button, std::string_view itemName,
                      const MacroList& macros, FunctionChoiceUi& ui);

}  // namespace ms1
