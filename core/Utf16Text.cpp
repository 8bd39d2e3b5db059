#include "core/Utf16Text.h"

namespace ms1 {

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80           ? 0
                    : (lead >> 5) == 0x6  ? 1
                    : (lead >> 4) == 0xE  ? 2
                    : (lead >> 3) == 0x1E ? 3
                                          : -1;
        char32_t cp = extra == 0   ? lead
                      : extra == 1 ? (lead & 0x1F)
                      : extra == 2 ? (lead & 0x0F)
                                   : (lead & 0x07);
        bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                valid = false;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (!valid || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

char16_t FoldCase(char16_t u) {
    if (u >= u'A' && u <= u'Z')
        return static_cast<char16_t>(u + 32);
    if (u < 0xC0)
        return u;
    // Latin-1: À..Þ without ×
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7)
        return static_cast<char16_t>(u + 32);
    // Latin Extended-A: upper case on the even code point of each pair, with the few
    // ranges where the pairs start on odd code points.
    if (u >= 0x100 && u <= 0x137)
        return static_cast<char16_t>(u | 1);
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) {
        return (u & 1) ? static_cast<char16_t>(u + 1) : u;
    }
    if (u >= 0x14A && u <= 0x177)
        return static_cast<char16_t>(u | 1);
    if (u == 0x178)
        return 0xFF;
    // Greek
    if (u >= 0x391 && u <= 0x3AB && u != 0x3A2)
        return static_cast<char16_t>(u + 32);
    if (u == 0x386)
        return 0x3AC;
    if (u >= 0x388 && u <= 0x38A)
        return static_cast<char16_t>(u + 37);
    if (u == 0x38C)
        return 0x3CC;
    if (u == 0x38E || u == 0x38F)
        return static_cast<char16_t>(u + 63);
    // Cyrillic
    if (u >= 0x400 && u <= 0x40F)
        return static_cast<char16_t>(u + 80);
    if (u >= 0x410 && u <= 0x42F)
        return static_cast<char16_t>(u + 32);
    if ((u >= 0x460 && u <= 0x481) || (u >= 0x48A && u <= 0x4BF))
        return static_cast<char16_t>(u | 1);
    // Fullwidth Latin
    if (u >= 0xFF21 && u <= 0xFF3A)
        return static_cast<char16_t>(u + 32);
    return u;
}

bool NamesEqual(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

std::u16string_view TruncateUtf16(std::u16string_view text, std::size_t maxUnits) {
    if (text.size() <= maxUnits)
        return text;
    std::size_t n = maxUnits;
    if (n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF)
        --n;
    return text.substr(0, n);
}

}  // namespace ms1
