#pragma once

#include <string>
#include <string_view>

namespace ms1 {

// Numbered control names of the page skin: "ms_1_btn_key_" + 3 -> "ms_1_btn_key_3". The
// number is 64-bit so that one made from a stored value plus one never overflows.
inline std::string Numbered(std::string_view prefix, long long n) {
    return std::string(prefix) + std::to_string(n);
}

// "prefix%d" with %d in [1, count]: the number, or 0 when the name is not of that form.
inline int NumberAfter(const std::string& name, std::string_view prefix, int count) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return 0;
    int n = 0;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || n > count)
            return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n >= 1 && n <= count ? n : 0;
}

inline constexpr const char* kProfileList = "ms_1_list_profile";

}  // namespace ms1
