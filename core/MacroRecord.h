#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/LittleEndian.h"
#include "core/Utf16Text.h"

namespace ms1 {

// One recorded step of a macro: a key or mouse button pressed or released, then a pause.
struct MacroAction {
    std::uint8_t key;        // HID keyboard usage, or 0xF1..0xF5 for a mouse button
    std::uint8_t direction;  // 1 press, 2 release
    le_u16 delay;            // milliseconds to wait after this action
};

inline constexpr std::uint8_t kDirectionPress = 1;
inline constexpr std::uint8_t kDirectionRelease = 2;
inline constexpr std::uint8_t kMouseLeft = 0xF1;
inline constexpr std::uint8_t kMouseRight = 0xF2;
inline constexpr std::uint8_t kMouseMiddle = 0xF3;
inline constexpr std::uint8_t kMouseBackward = 0xF4;
inline constexpr std::uint8_t kMouseForward = 0xF5;

inline constexpr int kMaxMacroActions = 200;
inline constexpr std::size_t kMacroNameMaxChars = 23;

// One macro, 856 bytes: the same bytes in memory, in "macro.data" and in "*.macro" files.
struct MacroRecord {
    Utf16Field<24> name;
    le_i32 repeat;  // carried unchanged; only a profile import fills it
    le_i32 actionCount;
    MacroAction actions[kMaxMacroActions];
};

static_assert(sizeof(MacroAction) == 4);
static_assert(sizeof(MacroRecord) == 856);
static_assert(std::is_standard_layout_v<MacroRecord> && std::is_trivially_copyable_v<MacroRecord>);
static_assert(offsetof(MacroRecord, name) == 0);
static_assert(offsetof(MacroRecord, repeat) == 48);
static_assert(offsetof(MacroRecord, actionCount) == 52);
static_assert(offsetof(MacroRecord, actions) == 56);
static_assert(offsetof(MacroAction, direction) == 1);
static_assert(offsetof(MacroAction, delay) == 2);

using MacroList = std::vector<MacroRecord>;

// An empty macro: every byte zero, then the name (at most 23 characters).
MacroRecord MakeEmptyMacro(std::u16string_view name);

// Actions with a delay above 128 ms take twice the room on the mouse.
int WeightedLength(const MacroRecord& macro);

// A record that may enter the program: 0..200 actions and a terminated name.
bool IsValidMacro(const MacroRecord& macro);

inline std::u16string RecordName(const MacroRecord& record) {
    return record.name.get();
}

}  // namespace ms1
