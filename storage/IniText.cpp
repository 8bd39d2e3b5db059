#include "storage/IniText.h"

#include <utility>

namespace ms1 {
namespace {

std::string_view Trim(std::string_view text) {
    const char* space = " \t\r";
    auto first = text.find_first_not_of(space);
    if (first == std::string_view::npos)
        return {};
    auto last = text.find_last_not_of(space);
    return text.substr(first, last - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The name of a "[section]" line, or nothing for other lines.
std::optional<std::string_view> SectionOf(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    auto close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

}  // namespace

IniText::IniText(std::string_view text) {
    // Editors on Windows like to start the file with a UTF-8 byte order mark; keep it.
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.substr(0, kBom.size()) == kBom) {
        bom_ = std::string(kBom);
        text.remove_prefix(kBom.size());
    }
    if (text.find("\r\n") != std::string_view::npos)
        newline_ = "\r\n";
    endsWithNewline_ = text.empty() || text.back() == '\n';
    // A last line ending cut short after its "\r": the line is read without it, and it is
    // written back.
    endsWithCr_ = !text.empty() && text.back() == '\r';
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines_.emplace_back(line);
        start = end + 1;
    }
}

std::optional<IniText::Found> IniText::Find(std::string_view section, std::string_view key) const {
    std::optional<Found> found;
    bool inside = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (auto name = SectionOf(lines_[i])) {
            if (found)
                break;  // the first section of that name is the one we use
            inside = SameName(*name, section);
            if (inside)
                found = Found{i + 1, std::nullopt};
            continue;
        }
        if (!inside)
            continue;
        std::string_view line = Trim(lines_[i]);
        if (!line.empty())
            found->sectionEnd = i + 1;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        auto equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        if (!found->line && SameName(Trim(line.substr(0, equals)), key))
            found->line = i;
    }
    return found;
}

std::optional<std::string> IniText::Get(std::string_view section, std::string_view key) const {
    auto found = Find(section, key);
    if (!found || !found->line)
        return std::nullopt;
    std::string_view line = lines_[*found->line];
    return std::string(Trim(line.substr(line.find('=') + 1)));
}

void IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string entry = std::string(key) + "=" + std::string(value);
    auto found = Find(section, key);
    if (found && found->line) {
        lines_[*found->line] = entry;
    } else if (found) {
        lines_.insert(lines_.begin() + static_cast<long>(found->sectionEnd), entry);
    } else {
        if (!lines_.empty() && !Trim(lines_.back()).empty())
            lines_.emplace_back();
        // Appended in steps: "x" + a temporary string draws a false -Wrestrict from GCC 12.
        std::string header = "[";
        header += section;
        header += ']';
        lines_.push_back(std::move(header));
        lines_.push_back(entry);
        endsWithNewline_ = true;
        endsWithCr_ = false;
    }
}

std::string IniText::Text() const {
    std::string text = bom_;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        text += lines_[i];
        if (i + 1 < lines_.size() || endsWithNewline_)
            text += newline_;
        else if (endsWithCr_)
            text += '\r';
    }
    return text;
}

}  // namespace ms1
