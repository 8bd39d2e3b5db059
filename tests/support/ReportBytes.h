#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/ProfileRecord.h"

namespace ms1::test {

// Lowercase hex with single spaces, so a failing comparison prints the bytes readably.
template <typename Bytes>
std::string Hex(const Bytes& bytes, std::size_t first = 0, std::size_t count = ~std::size_t{0}) {
    std::string text;
    char buffer[4];
    for (std::size_t i = first; i < bytes.size() && i - first < count; ++i) {
        std::snprintf(buffer, sizeof buffer, i == first ? "%02x" : " %02x",
                      static_cast<unsigned>(bytes[i]));
        text += buffer;
    }
    return text;
}

// A profile as the program creates one: zeroed, defaults, then the name.
inline std::unique_ptr<ProfileRecord> DefaultProfile(std::u16string_view name = u"Profile1") {
    auto profile = MakeZeroedProfile();
    ResetProfileToDefaults(*profile);
    profile->profileName.set(name);
    return profile;
}

inline void SetMacro(ButtonEntry& entry, std::vector<MacroAction> actions, int mode = 0,
                     int repeat = 1) {
    entry.function = kFunctionMacro;
    entry.macroMode = mode;
    entry.macroRepeat = repeat;
    entry.macroActionCount = static_cast<std::uint16_t>(actions.size());
    for (std::size_t i = 0; i < actions.size(); ++i)
        entry.macroActions[i] = actions[i];
}

inline MacroAction Action(std::uint8_t key, std::uint8_t direction, std::uint16_t delay) {
    MacroAction action{};
    action.key = key;
    action.direction = direction;
    action.delay = delay;
    return action;
}

}  // namespace ms1::test
