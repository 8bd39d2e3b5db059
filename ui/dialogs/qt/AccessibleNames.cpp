#include "ui/dialogs/qt/AccessibleNames.h"

#include <QColor>
#include <QWidget>

#include "platform/dui/LanguageTexts.h"

namespace ms1 {
namespace {

// Below this saturation (0..255) a colour is heard as black, grey or white.
constexpr int kGreySaturation = 40;
constexpr int kBlackLightness = 40;
constexpr int kWhiteLightness = 215;

struct HueWord {
    int below;  // first hue (degrees) past this word
    const char* key;
};

// Hues in degrees, round the circle from red.
constexpr HueWord kHueWords[] = {
    {15, "colour_red_text"},     {45, "colour_orange_text"},   {70, "colour_yellow_text"},
    {160, "colour_green_text"},  {200, "colour_cyan_text"},    {260, "colour_blue_text"},
    {290, "colour_purple_text"}, {320, "colour_magenta_text"}, {345, "colour_pink_text"},
    {361, "colour_red_text"},
};

}  // namespace

void NameAccessibly(QWidget* root, const dui::LanguageTexts* texts,
                    std::initializer_list<AccessibleText> table) {
    if (root == nullptr)
        return;
    for (const AccessibleText& row : table) {
        const QString name = QString::fromLatin1(row.control);
        QWidget* control = root->objectName() == name ? root : root->findChild<QWidget*>(name);
        if (control == nullptr)
            continue;
        if (row.nameKey != nullptr && *row.nameKey != '\0')
            control->setAccessibleName(AccessibleWords(texts, row.nameKey));
        if (row.descriptionKey != nullptr && *row.descriptionKey != '\0')
            control->setAccessibleDescription(AccessibleWords(texts, row.descriptionKey));
    }
}

QString AccessibleWords(const dui::LanguageTexts* texts, const char* key, const QString& first,
                        const QString& second) {
    const QString pattern =
        texts != nullptr ? texts->Text(QString::fromLatin1(key)) : QString::fromLatin1(key);
    QString words = pattern;
    words.replace(QLatin1String("%1"), first);
    words.replace(QLatin1String("%2"), second);
    return words;
}

const char* ColourWordKey(const QColor& color) {
    const QColor hsl = color.toHsl();
    if (hsl.hslSaturation() < kGreySaturation || hsl.hslHue() < 0 ||
        hsl.lightness() < kBlackLightness || hsl.lightness() > kWhiteLightness) {
        if (hsl.lightness() < kBlackLightness)
            return "colour_black_text";
        if (hsl.lightness() > kWhiteLightness)
            return "colour_white_text";
        return "colour_grey_text";
    }
    for (const HueWord& word : kHueWords) {
        if (hsl.hslHue() < word.below)
            return word.key;
    }
    return "colour_red_text";
}

QString ColourWords(const QColor& color, const dui::LanguageTexts* texts) {
    return AccessibleWords(texts, "acc_colour_words", AccessibleWords(texts, ColourWordKey(color)),
                           color.name(QColor::HexRgb).toUpper());
}

}  // namespace ms1
