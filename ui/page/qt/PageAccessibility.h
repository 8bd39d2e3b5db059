#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace ms1 {
namespace dui {
class LanguageTexts;
}

// What a screen reader hears on the mouse page and the main window around it: every control
// that its caption does not name gets a name and, where useful, a description from the language
// texts. Sliders tell their value with its unit ("3000 DPI", "8 ms"), colour dots their colour,
// the battery bar the level or charging its label shows, the function buttons which mouse button
// they set. Those texts are kept current: Refresh() is called for a control whose value, colour or
// text the page set, and the user's own moves of a slider refresh it by themselves.
class PageAccessibility : public QObject {
    Q_OBJECT
  public:
    PageAccessibility(QWidget* page, const dui::LanguageTexts* texts);

    // Names every control of the page (once the page shows its values).
    void Apply();
    // Brings the texts of one control of the page up to date; other controls are left alone.
    void Refresh(QWidget* control);

    // Names the title-bar buttons and the other unnamed controls of the main window.
    static void NameMainWindow(QWidget* window, const dui::LanguageTexts* texts);

    // The value of a page slider in words, with its unit: "3000 DPI" for a DPI stage at step
    // 60, "8 ms" for a debounce of 4; empty for a control that is not such a slider.
    static QString SliderWords(const QString& slider, int value, const dui::LanguageTexts* texts);

  private:
    void DescribeBattery();
    void NameFunctionButton(QWidget* button);
    void NameColourDot(QWidget* dot);

    QPointer<QWidget> page_;
    const dui::LanguageTexts* texts_;
};

}  // namespace ms1
