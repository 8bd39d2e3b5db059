#pragma once

#include <string>
#include <string_view>

namespace ms1 {

// Language texts by key, as the language file gives them.
class TextLookup {
  public:
    virtual ~TextLookup() = default;
    virtual std::u16string Text(std::string_view key) const = 0;
};

}  // namespace ms1
