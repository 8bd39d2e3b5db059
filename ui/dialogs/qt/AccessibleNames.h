#pragma once

#include <QString>
#include <initializer_list>

class QColor;
class QWidget;

namespace ms1 {
namespace dui {
class LanguageTexts;
}

// What a screen reader says for a control whose caption does not say it: the language keys of
// its accessible name and description, found by the control's name. An empty key leaves that
// text to Qt (a button's own caption, a tooltip).
struct AccessibleText {
    const char* control;
    const char* nameKey;
    const char* descriptionKey;
};

// Gives the controls of `root` named in `table` their texts in the current language; controls
// the skin lacks are skipped.
void NameAccessibly(QWidget* root, const dui::LanguageTexts* texts,
                    std::initializer_list<AccessibleText> table);

// The text of `key` with %1, %2 replaced; the key itself without texts, so a gap is heard.
QString AccessibleWords(const dui::LanguageTexts* texts, const char* key, const QString& first = {},
                        const QString& second = {});

// The language key of the colour word nearest to `color` ("colour_red_text", ...): black,
// grey and white by lightness, the others by hue.
const char* ColourWordKey(const QColor& color);

// "red (#FF0000)" in the current language: the word and the exact value.
QString ColourWords(const QColor& color, const dui::LanguageTexts* texts);

}  // namespace ms1
