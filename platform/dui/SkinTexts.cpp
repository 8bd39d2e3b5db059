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

// What the skin says of a control. The properties are read from the control's list of dynamic
// properties, not with QObject::property(): that looks each name up among all the properties
// of the control's classes first, which for the page's 200 controls and four names cost more
// than the rest of the pass.
struct Keys {
    bool shown = false;
    bool text = false;
    bool tip = false;
    bool placeholder = false;
};

Keys KeysOf(const QWidget* control) {
    Keys keys;
    const QList<QByteArray> names = control->dynamicPropertyNames();
    for (const QByteArray& name : names) {
        if (name == kShown)
            keys.shown = true;
        else if (name == "resourcetext")
            keys.text = control->property("resourcetext").toBool();
        else if (name == "resourcetip")
            keys.tip = control->property("resourcetip").toBool();
        else if (name == "resourceplaceholder")
            keys.placeholder = control->property("resourceplaceholder").toBool();
    }
    return keys;
}

void ShowOn(QWidget* control, const LanguageTexts& texts) {
    const Keys keys = KeysOf(control);
    // A control without keys is left as it is, unmarked: there is nothing to show twice.
    if (keys.shown || (!keys.text && !keys.tip && !keys.placeholder))
        return;
    control->setProperty(kShown, true);
    if (keys.text) {
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            for (int i = 0; i < combo->count(); ++i)
                combo->setItemText(i, texts.Text(combo->itemText(i)));
        } else {
            SetText(control, Text(control), &texts);
        }
    }
    if (keys.tip && !control->toolTip().isEmpty())
        control->setToolTip(texts.Text(control->toolTip()));
    if (keys.placeholder) {
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
