#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "ports/TextLookup.h"

namespace ms1::test {

// Language texts from a small table (header only: the fuzz harness of the page uses it too); a key
// the table lacks is answered as `missing` says.
class TableTexts : public TextLookup {
  public:
    enum class Missing {
        Key,        // the key itself, as the language file's lookup does
        MarkedKey,  // "<key>", so a test sees which key a text came from
        Unknown,    // "?"
    };
    explicit TableTexts(std::map<std::string, std::u16string, std::less<>> table = {},
                        Missing missing = Missing::Key)
        : table_(std::move(table)), missing_(missing) {}

    std::u16string Text(std::string_view key) const override {
        if (auto found = table_.find(key); found != table_.end())
            return found->second;
        const std::u16string asText(key.begin(), key.end());
        switch (missing_) {
            case Missing::Key:
                return asText;
            case Missing::MarkedKey:
                return u"<" + asText + u">";
            case Missing::Unknown:
                return u"?";
        }
        return asText;
    }

  private:
    std::map<std::string, std::u16string, std::less<>> table_;
    Missing missing_;
};

}  // namespace ms1::test
