#include "platform/dui/SkinTexts.h"

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

#include "platform/dui/ControlOps.h"
#include "platform/dui/LanguageTexts.h"

namespace ms1::dui {
namespace {

// Set on a control whose keys show their texts, so that a second pass leaves it alone.
const char* const kShown = "_ms1_skin_texts_shown";

void ShowOn(QWidget* control, const LanguageTexts& texts) {
    if (control->property(kShown).toBool())
        return;
    control->setProperty(kShown, true);
    if (control->property("resourcetext").toBool()) {
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            for (int i = 0; i < combo->count(); ++i)
                combo->setItemText(i, texts.Text(combo->itemText(i)));
        } else {
            SetText(control, Text(control), &texts);
        }
    }
    if (control->property("resourcetip").toBool() && !control->toolTip().isEmpty())
        control->setToolTip(texts.Text(control->toolTip()));
    if (control->property("resourceplaceholder").toBool()) {
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->setPlaceholderText(texts.Text(edit->placeholderText()));
    }
}

}  // namespace

void ShowSkinTexts(QWidget* root, const LanguageTexts* texts) {
    if (root == nullptr || texts == nullptr)
        return;
    ShowOn(root, *texts);
    for (QWidget* control : root->findChildren<QWidget*>())
        ShowOn(control, *texts);
}

}  // namespace ms1::dui
