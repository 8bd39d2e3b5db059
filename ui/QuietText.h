#pragma once

#include <QString>

class QWidget;

namespace ms1 {
namespace dui {
class LanguageTexts;
}

// Shows a text on a skin control without raising its notifications. With `languageKey` the
// text is a key of `texts` and the control shows that language text (again after a language
// change); without, it shows the text as it is, even where it showed a language text before.
// Nothing happens without a control.
void SetTextQuietly(QWidget* control, const QString& text, bool languageKey,
                    const dui::LanguageTexts* texts);

}  // namespace ms1
