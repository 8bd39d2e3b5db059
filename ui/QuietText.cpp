#include "ui/QuietText.h"

#include <QSignalBlocker>
#include <QWidget>

#include "platform/dui/ControlOps.h"

namespace ms1 {

void SetTextQuietly(QWidget* control, const QString& text, bool languageKey,
                    const dui::LanguageTexts* texts) {
    if (control == nullptr)
        return;
    control->setProperty("resourcetext", languageKey);
    const QSignalBlocker quiet(control);
    dui::SetText(control, text, languageKey ? texts : nullptr);
}

}  // namespace ms1
