#include "ui/dialogs/qt/CMS_1_SelectMacro.h"

#include <QLineEdit>
#include <QListWidget>

#include "platform/dui/ControlOps.h"
#include "ui/dialogs/LoopCountField.h"
#include "ui/dialogs/qt/AccessibleNames.h"
#include "ui/dialogs/qt/DialogNames.h"

namespace ms1 {
namespace {

constexpr int kRowHeight = 22;
constexpr int kModes = 3;

}  // namespace

CMS_1_SelectMacro::CMS_1_SelectMacro(std::shared_ptr<const dui::SkinLoader> skins,
                                     std::shared_ptr<const dui::LanguageTexts> texts,
                                     const MacroList& store)
    : DuiWindow(std::move(skins), std::move(texts)), macroStore(store) {}

CMS_1_SelectMacro::~CMS_1_SelectMacro() = default;

void CMS_1_SelectMacro::InitWindow() {
    Widget()->setWindowTitle(LanguageText("select_macro_title_text"));
    NameAccessibly(Widget(), Texts(),
                   {{kDialogButtons.exit, "acc_close_name", ""},
                    {kSelectMacroDialog.macroList, "acc_macro_list_name", ""},
                    {kSelectMacroDialog.loopEdit, "acc_repeat_count_name", ""}});
    for (int i = 0; i < kModes; ++i) {
        options_[i] = FindControl(QString::fromLatin1(kSelectMacroDialog.repeatOptionPrefix) +
                                  QString::number(i + 1));
    }
    list_ = FindControl(kSelectMacroDialog.macroList);
    loopRow_ = FindControl(kSelectMacroDialog.loopRow);
    loopEdit_ = FindControl(kSelectMacroDialog.loopEdit);

    auto* list = qobject_cast<QListWidget*>(list_);
    for (const MacroRecord& macro : macroStore) {
        const int row = dui::AddItem(list_, QString::fromStdU16String(macro.name.get()), 0);
        if (list != nullptr && row >= 0) {
            // A size hint needs a valid width too, or the list ignores the height.
            list->item(row)->setSizeHint(QSize(1, kRowHeight));
        }
    }
    // Presets come from a stored profile: show only what the dialog can give back.
    if (repeatMode < 0 || repeatMode >= kModes) {
        repeatMode = 0;
    }
    if (selectedMacro < -1 || selectedMacro >= static_cast<int>(macroStore.size())) {
        selectedMacro = -1;
    }
    loopCount = ClampLoopCount(loopCount);

    const int mode = repeatMode;
    dui::SetSelected(options_[mode], true, true);
    OnModeChosen(mode);
    dui::SelectItem(list_, selectedMacro, false);
    SetText(loopEdit_, QString::number(loopCount));
}

void CMS_1_SelectMacro::Notify(const dui::TNotify& notify) {
    if (notify.control == nullptr) {
        return;
    }
    if (notify.type == u"click") {
        OnClick(notify);
    } else if (notify.type == u"selectchanged") {
        for (int i = 0; i < kModes; ++i) {
            if (notify.control == options_[i]) {
                OnModeChosen(i);
            }
        }
    } else if (notify.type == u"itemselect" && notify.control == list_) {
        OnRowChosen(static_cast<int>(notify.wParam));
    } else if (notify.type == u"textchanged" && notify.control == loopEdit_) {
        FilterLoopText();
    } else if (notify.type == u"killfocus" && notify.control == loopEdit_) {
        CommitLoopText();
    }
}

void CMS_1_SelectMacro::OnClick(const dui::TNotify& notify) {
    if (notify.sender == kDialogButtons.ok) {
        // Enter in the loop field closes without leaving it: take what it shows.
        CommitLoopText();
        // The row the list made current on getting the focus raises no itemselect when it is
        // then clicked: what is selected now is the choice.
        if (auto* list = qobject_cast<QListWidget*>(list_)) {
            const QList<QListWidgetItem*> chosen = list->selectedItems();
            if (!chosen.isEmpty()) {
                selectedMacro = list->row(chosen.first());
            }
        }
        Close(1);
    } else if (notify.sender == kDialogButtons.cancel || notify.sender == kDialogButtons.exit) {
        Close(0);
    }
}

void CMS_1_SelectMacro::OnRowChosen(int row) {
    // The list moves its current row to the first macro when it merely gets the focus; only
    // a row the user selected is a choice, or OK would assign a macro nobody picked.
    auto* list = qobject_cast<QListWidget*>(list_);
    if (list != nullptr && (list->item(row) == nullptr || !list->item(row)->isSelected())) {
        return;
    }
    selectedMacro = row;
}

void CMS_1_SelectMacro::OnModeChosen(int mode) {
    repeatMode = mode;
    dui::SetVisible(loopRow_, mode == 0);
}

void CMS_1_SelectMacro::FilterLoopText() {
    const std::u16string text = dui::Text(loopEdit_).toStdU16String();
    const std::u16string digits = KeepDigits(text);
    if (digits.size() != text.size()) {
        SetText(loopEdit_, QString::fromStdU16String(digits));
        if (auto* edit = qobject_cast<QLineEdit*>(loopEdit_)) {
            edit->setCursorPosition(static_cast<int>(edit->text().size()));
        }
    }
}

void CMS_1_SelectMacro::CommitLoopText() {
    if (loopEdit_ == nullptr) {
        return;
    }
    loopCount = LoopCountFromText(dui::Text(loopEdit_).toStdU16String());
    SetText(loopEdit_, QString::number(loopCount));
}

}  // namespace ms1
