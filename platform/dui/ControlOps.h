#pragma once

#include <QString>
#include <cstdint>

class QWidget;

namespace ms1::dui {

class LanguageTexts;

// The operations the windows use on their controls, whatever Qt widget the skin chose. Every
// operation accepts a null control and then does nothing (a control missing from the skin).
// "notify" false changes a control without raising its notification.

// Text of labels, buttons, edits and group boxes. A control whose skin sets the property
// "resourcetext" shows the language text of the key it is given.
void SetText(QWidget* control, const QString& text, const LanguageTexts* texts);
QString Text(const QWidget* control);

void SetVisible(QWidget* control, bool visible);
bool IsVisible(const QWidget* control);  // not hidden itself (parents aside)
void SetEnabled(QWidget* control, bool enabled);

// Options, check boxes and checkable buttons.
void SetSelected(QWidget* control, bool selected, bool notify);
bool IsSelected(const QWidget* control);

// Sliders, progress bars and spin boxes.
void SetRange(QWidget* control, int minimum, int maximum);
void SetValue(QWidget* control, int value, bool notify);
int Value(const QWidget* control);

// Colour as 0xAARRGGBB; image as a path relative to the resource folder.
void SetBkColor(QWidget* control, std::uint32_t argb);
void SetBkImage(QWidget* control, const QString& resourceFolder, const QString& image);

// Lists and combo boxes. Index -1 means no selection.
int AddItem(QWidget* control, const QString& text, int fixedHeight);
void RemoveItem(QWidget* control, int index);
void RemoveAllItems(QWidget* control);
void SetItemText(QWidget* control, int index, const QString& text);
int ItemCount(const QWidget* control);
void SelectItem(QWidget* control, int index, bool notify);
int SelectedItem(const QWidget* control);

// Tab pages (tab widgets and stacked widgets). Selecting never raises a notification.
void SelectTab(QWidget* control, int index);
int SelectedTab(const QWidget* control);

// Scroll areas: bring the end of the content into view.
void ScrollToEnd(QWidget* control);

// A named attribute. "padding" takes "left,top,right,bottom": a control placed freely in its
// parent (no layout) is shifted by left and top from its place in the skin; a control in a
// layout gets the non-negative values as inner margins. Any other name is stored as a
// property the style sheet can select on.
void SetAttribute(QWidget* control, const QString& name, const QString& value);

}  // namespace ms1::dui
