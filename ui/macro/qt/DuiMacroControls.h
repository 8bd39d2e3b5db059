#pragma once

#include <QHash>
#include <QPointer>
#include <QString>

#include "ui/macro/MacroEditorPorts.h"
#include "ui/macro/qt/MacroRowDelegate.h"

class QListWidget;
class QListWidgetItem;
class QWidget;

namespace ms1 {

namespace dui {
class LanguageTexts;
class SkinLoader;
}  // namespace dui

// The macro editor's controls, found by name under its window. Changes made here never raise
// the controls' notifications. A list prepared for rows keeps the texts and pictures of each
// row's sub-controls as item data, and the row skin, read once, draws the rows in view.
class DuiMacroControls : public MacroEditorControls {
  public:
    static constexpr const char* kRowSkin = "keylistitem.xml";

    DuiMacroControls(QWidget* window, const dui::SkinLoader& skins,
                     const dui::LanguageTexts* texts);

    QWidget* Find(std::string_view control) const;
    // The rows of this list are drawn with the row skin. False when the skin is missing.
    bool PrepareRows(std::string_view list);
    // What a row's sub-control shows: its text, and its picture as described when set.
    QString RowText(std::string_view list, int row, std::string_view sub) const;
    QString RowImage(std::string_view list, int row, std::string_view sub) const;

    void SetText(std::string_view control, std::string_view text) override;
    void SetTextKey(std::string_view control, std::string_view key) override;
    std::string Text(std::string_view control) const override;
    void SetChecked(std::string_view control, bool checked) override;
    bool IsChecked(std::string_view control) const override;
    void SetVisible(std::string_view control, bool visible) override;
    void SetEnabled(std::string_view control, bool enabled) override;
    void SelectTab(std::string_view control, int page) override;
    void SelectComboItem(std::string_view control, int index) override;

    void ListClear(std::string_view list) override;
    void ListAppendLine(std::string_view list, std::string_view text, int height) override;
    void ListAppendRow(std::string_view list, int height) override;
    void ListRemove(std::string_view list, int index) override;
    void ListSetText(std::string_view list, int index, std::string_view text) override;
    void ListSelect(std::string_view list, int index) override;
    int ListSelection(std::string_view list) const override;
    int ListCount(std::string_view list) const override;
    void ListScrollTo(std::string_view list, int index) override;
    void ListBeginUpdate(std::string_view list) override;
    void ListEndUpdate(std::string_view list) override;

    void SetRowText(std::string_view list, int row, std::string_view sub,
                    std::string_view text) override;
    void SetRowTextKey(std::string_view list, int row, std::string_view sub,
                       std::string_view key) override;
    void SetRowImage(std::string_view list, int row, std::string_view sub,
                     std::string_view image) override;

  private:
    QListWidget* List(std::string_view list) const;
    // The row item and the data role of a sub-control, or null when there is none.
    QListWidgetItem* RowItem(std::string_view list, int row, std::string_view sub, bool picture,
                             int* role) const;

    QPointer<QWidget> window_;
    const dui::SkinLoader& skins_;
    const dui::LanguageTexts* texts_;
    QPointer<QListWidget> rowList_;
    QPointer<MacroRowDelegate> rows_;
    mutable QHash<QString, QPointer<QWidget>> found_;
};

}  // namespace ms1
