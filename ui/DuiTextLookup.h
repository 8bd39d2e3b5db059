#pragma once

#include <memory>

#include "platform/dui/LanguageTexts.h"
#include "ports/TextLookup.h"

namespace ms1 {

// The language file's texts for the plain C++ parts of the program.
class DuiTextLookup : public TextLookup {
  public:
    explicit DuiTextLookup(std::shared_ptr<const dui::LanguageTexts> texts)
        : texts_(std::move(texts)) {}

    std::u16string Text(std::string_view key) const override;

  private:
    std::shared_ptr<const dui::LanguageTexts> texts_;
};

}  // namespace ms1
