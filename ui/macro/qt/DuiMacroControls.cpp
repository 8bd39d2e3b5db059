#include "ui/macro/qt/DuiMacroControls.h"

#include <QListWidget>
#include <QSignalBlocker>
#include <QWidget>

#include "platform/dui/ControlOps.h"
#include "platform/dui/LanguageTexts.h"
#include "platform/dui/SkinLoader.h"
#include "ui/QuietText.h"

namespace ms1 {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

DuiMacroControls::DuiMacroControls(QWidget* window, const dui::SkinLoader& skins,
                                   const dui::LanguageTexts* texts)
    : window_(window), skins_(skins), texts_(texts) {}

bool DuiMacroControls::PrepareRows(std::string_view list) {
    rowList_ = List(list);
    if (rowList_ == nullptr) {
        return false;
    }
    rows_ = new MacroRowDelegate(skins_, QString::fromLatin1(kRowSkin), rowList_);
    rowList_->setItemDelegate(rows_);
    return rows_->Loaded();
}

QWidget* DuiMacroControls::Find(std::string_view control) const {
    if (window_ == nullptr || control.empty()) {
        return nullptr;
    }
    const QString name = Q(control);
    // The skin's controls stay for the window's life; a rebuild of 200 rows asks for the
    // action list a thousand times.
    auto cached = found_.constFind(name);
    if (cached != found_.constEnd()) {
        return cached->data();
    }
    QWidget* widget =
        window_->objectName() == name ? window_.data() : window_->findChild<QWidget*>(name);
    found_.insert(name, widget);
    return widget;
}

QListWidget* DuiMacroControls::List(std::string_view list) const {
    return qobject_cast<QListWidget*>(Find(list));
}

QListWidgetItem* DuiMacroControls::RowItem(std::string_view list, int row, std::string_view sub,
                                           bool picture, int* role) const {
    QListWidget* lines = List(list);
    if (lines == nullptr || lines != rowList_ || rows_ == nullptr) {
        return nullptr;
    }
    *role = picture ? rows_->PictureRole(Q(sub)) : rows_->TextRole(Q(sub));
    return *role >= 0 ? lines->item(row) : nullptr;
}

QString DuiMacroControls::RowText(std::string_view list, int row, std::string_view sub) const {
    int role = -1;
    QListWidgetItem* item = RowItem(list, row, sub, false, &role);
    return item != nullptr ? item->data(role).toString() : QString();
}

QString DuiMacroControls::RowImage(std::string_view list, int row, std::string_view sub) const {
    int role = -1;
    QListWidgetItem* item = RowItem(list, row, sub, true, &role);
    return item != nullptr ? item->data(role).toString() : QString();
}

void DuiMacroControls::SetText(std::string_view control, std::string_view text) {
    SetTextQuietly(Find(control), Q(text), false, texts_);
}

void DuiMacroControls::SetTextKey(std::string_view control, std::string_view key) {
    SetTextQuietly(Find(control), Q(key), true, texts_);
}

std::string DuiMacroControls::Text(std::string_view control) const {
    return dui::Text(Find(control)).toStdString();
}

void DuiMacroControls::SetChecked(std::string_view control, bool checked) {
    dui::SetSelected(Find(control), checked, false);
}

bool DuiMacroControls::IsChecked(std::string_view control) const {
    return dui::IsSelected(Find(control));
}

void DuiMacroControls::SetVisible(std::string_view control, bool visible) {
    dui::SetVisible(Find(control), visible);
}

void DuiMacroControls::SetEnabled(std::string_view control, bool enabled) {
    dui::SetEnabled(Find(control), enabled);
}

void DuiMacroControls::SelectTab(std::string_view control, int page) {
    dui::SelectTab(Find(control), page);
}

void DuiMacroControls::SelectComboItem(std::string_view control, int index) {
    dui::SelectItem(Find(control), index, false);
}

void DuiMacroControls::ListClear(std::string_view list) {
    dui::RemoveAllItems(List(list));
}

void DuiMacroControls::ListAppendLine(std::string_view list, std::string_view text, int height) {
    dui::AddItem(List(list), Q(text), height);
}

void DuiMacroControls::ListAppendRow(std::string_view list, int height) {
    QListWidget* lines = List(list);
    if (lines == nullptr || lines != rowList_) {
        return;
    }
    const QSignalBlocker quiet(lines);
    auto* item = new QListWidgetItem(lines);
    item->setSizeHint(QSize(0, height));
}

void DuiMacroControls::ListRemove(std::string_view list, int index) {
    QListWidget* lines = List(list);
    if (lines == nullptr || lines->item(index) == nullptr) {
        return;
    }
    dui::RemoveItem(lines, index);
}

void DuiMacroControls::ListSetText(std::string_view list, int index, std::string_view text) {
    dui::SetItemText(List(list), index, Q(text));
}

void DuiMacroControls::ListSelect(std::string_view list, int index) {
    dui::SelectItem(List(list), index, false);
}

int DuiMacroControls::ListSelection(std::string_view list) const {
    return dui::SelectedItem(List(list));
}

int DuiMacroControls::ListCount(std::string_view list) const {
    return dui::ItemCount(List(list));
}

void DuiMacroControls::ListScrollTo(std::string_view list, int index) {
    QListWidget* lines = List(list);
    if (lines != nullptr && lines->item(index) != nullptr) {
        lines->scrollToItem(lines->item(index));
    }
}

void DuiMacroControls::ListBeginUpdate(std::string_view list) {
    if (QListWidget* lines = List(list)) {
        lines->setUpdatesEnabled(false);
    }
}

void DuiMacroControls::ListEndUpdate(std::string_view list) {
    if (QListWidget* lines = List(list)) {
        lines->setUpdatesEnabled(true);
    }
}

void DuiMacroControls::SetRowText(std::string_view list, int row, std::string_view sub,
                                  std::string_view text) {
    int role = -1;
    if (QListWidgetItem* item = RowItem(list, row, sub, false, &role)) {
        item->setData(role, Q(text));
    }
}

void DuiMacroControls::SetRowTextKey(std::string_view list, int row, std::string_view sub,
                                     std::string_view key) {
    SetRowText(list, row, sub,
               texts_ != nullptr ? texts_->Text(Q(key)).toStdString() : std::string(key));
}

void DuiMacroControls::SetRowImage(std::string_view list, int row, std::string_view sub,
                                   std::string_view image) {
    int role = -1;
    if (QListWidgetItem* item = RowItem(list, row, sub, true, &role)) {
        item->setData(role, Q(image));
    }
}

}  // namespace ms1
