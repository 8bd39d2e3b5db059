#include "ui/ProposedFileName.h"

namespace ms1 {

std::u16string ProposedFileName(std::u16string_view name, std::u16string_view extension) {
    constexpr std::u16string_view kRefused = u"/\\:*?\"<>|";
    std::u16string base;
    for (char16_t c : name)
        base.push_back(c == u'\0' || kRefused.find(c) != std::u16string_view::npos ? u'_' : c);
    const auto trimmed = [](char16_t c) { return c == u' ' || c == u'.'; };
    while (!base.empty() && trimmed(base.back()))
        base.pop_back();
    std::size_t start = 0;
    while (start < base.size() && trimmed(base[start]))
        ++start;
    base.erase(0, start);
    if (base.empty())
        base = u"unnamed";
    base.push_back(u'.');
    base.append(extension);
    return base;
}

}  // namespace ms1
