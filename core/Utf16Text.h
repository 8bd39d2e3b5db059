#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/LittleEndian.h"

namespace ms1 {

// Names are UTF-16 in fixed, NUL-terminated fields. In the program they travel as
// std::u16string; on the command line and in messages as UTF-8.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// Simple case folding of one UTF-16 unit (Latin, Greek and Cyrillic letters), which is what
// names are compared with.
char16_t FoldCase(char16_t unit);
bool NamesEqual(std::u16string_view a, std::u16string_view b);

// Cuts text to at most maxUnits without splitting a surrogate pair.
std::u16string_view TruncateUtf16(std::u16string_view text, std::size_t maxUnits);

// A fixed field of N UTF-16LE units holding at most N - 1 characters and a NUL.
template <std::size_t N>
struct Utf16Field {
    le_u16 units[N];

    std::u16string get() const {
        std::u16string text;
        for (std::size_t i = 0; i < N && units[i].get() != 0; ++i) {
            text.push_back(static_cast<char16_t>(units[i].get()));
        }
        return text;
    }
    // Clears the whole field, then writes at most N - 1 units and the terminating NUL.
    void set(std::u16string_view text) {
        clear();
        auto kept = TruncateUtf16(text, N - 1);
        for (std::size_t i = 0; i < kept.size(); ++i) {
            units[i] = static_cast<std::uint16_t>(kept[i]);
        }
    }
    void clear() {
        for (auto& unit : units)
            unit = 0;
    }
    bool terminated() const {
        for (const auto& unit : units) {
            if (unit.get() == 0)
                return true;
        }
        return false;
    }
};

}  // namespace ms1
