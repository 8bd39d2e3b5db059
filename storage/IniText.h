#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ms1 {

// The text of an INI file, kept line by line so that a change of one key leaves every other
// section, key, comment and the file's line endings (LF or CRLF) as they were. Section and
// key names match without regard to ASCII letter case; the first of duplicate keys counts.
class IniText {
  public:
    explicit IniText(std::string_view text = {});

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Replaces the key's value, or adds the key (and its section) when missing.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    std::string Text() const;

  private:
    struct Found {
        std::size_t sectionEnd;           // index after the section's last line
        std::optional<std::size_t> line;  // the key's line
    };
    std::optional<Found> Find(std::string_view section, std::string_view key) const;

    std::vector<std::string> lines_;  // without their line endings
    std::string bom_;
    std::string newline_ = "\n";
    bool endsWithNewline_ = true;
    bool endsWithCr_ = false;  // the text ends in a "\r" that no "\n" follows
};

}  // namespace ms1
