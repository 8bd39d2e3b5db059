#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/ProfileRecord.h"
#include "ports/KeyboardLayout.h"
#include "ports/TextLookup.h"

namespace ms1 {

// One function a button can have: its code, the menu item that chooses it (empty for codes
// the menu does not offer) and the language key of its label (empty for composed labels).
struct ButtonFunction {
    std::uint8_t code;
    std::string_view menuItem;
    std::string_view labelKey;
};

// Every function with a label, in code order.
std::span<const ButtonFunction> ButtonFunctionTable();

// The code a menu item assigns; an item the table does not know assigns left click.
std::uint8_t FunctionCodeForMenuItem(std::string_view itemName);

// What a button's label shows: a language text by key, or composed text.
struct ButtonLabel {
    bool resourceText = false;  // true: `text` is a language key the control looks up
    std::u16string text;
};

ButtonLabel ComposeButtonLabel(const ButtonEntry& entry, const KeyboardLayout& layout,
                               const TextLookup& texts);

// The first 16 buttons must keep at least one left click, counting the new code for `button`.
bool KeepsALeftClick(const ProfileRecord& profile, int button, std::uint8_t newCode);

}  // namespace ms1
