#include "ui/macro/MacroNumbers.h"

namespace ms1 {

long long ParseDecimal(std::string_view text) {
    constexpr long long kCeiling = 1'000'000'000'000LL;
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (value < kCeiling)
            value = value * 10 + (text[at] - '0');
    }
    return negative ? -value : value;
}

}  // namespace ms1
