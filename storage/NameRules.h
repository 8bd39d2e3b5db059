#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/Utf16Text.h"

namespace ms1 {

inline std::u16string RecordName(const std::u16string& name) {
    return name;
}

// Case-insensitive name lookup over any list of records that have a RecordName overload
// (macros, profiles, plain names). The first match wins; an empty list has no names.
template <typename List>
bool NameExists(const List& list, std::u16string_view name) {
    for (const auto& record : list) {
        if (NamesEqual(RecordName(record), name))
            return true;
    }
    return false;
}

// "_1", "_2", ... in UTF-16. Built by appending to a named string: GCC 12 at -O2 and above
// warns falsely (-Wrestrict) on "_" + std::to_string(n), which prepends to a temporary.
inline std::u16string NumberSuffix(unsigned n) {
    std::u16string suffix = u"_";
    for (char digit : std::to_string(n))
        suffix += static_cast<char16_t>(digit);
    return suffix;
}

// The suffix rule "%s_%d": the base when it is free, else base_1, base_2, ... Every
// candidate is the base plus one suffix. The result never exceeds maxChars: a long base is
// shortened so that base and suffix fit the field they are written to.
template <typename List>
std::u16string MakeUniqueName(const List& list, std::u16string_view base, std::size_t maxChars) {
    std::u16string_view fitted = TruncateUtf16(base, maxChars);
    if (!NameExists(list, fitted))
        return std::u16string(fitted);
    for (unsigned n = 1;; ++n) {
        const std::u16string suffix = NumberSuffix(n);
        std::size_t room = maxChars > suffix.size() ? maxChars - suffix.size() : 0;
        std::u16string candidate(TruncateUtf16(base, room));
        candidate += suffix;
        if (!NameExists(list, candidate))
            return candidate;
    }
}

}  // namespace ms1
