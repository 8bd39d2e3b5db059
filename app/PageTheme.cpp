#include "app/PageTheme.h"

#include <QDir>
#include <QFile>
#include <QWidget>

#include "platform/dui/DuiWindow.h"

namespace ms1 {
namespace {

// Where each widget keeps the sheet its skin gave it.
const char* const kSkinSheet = "_ms1_skin_sheet";

}  // namespace

QString LoadDarkSheet(const QString& resourceFolder) {
    QFile file(QDir(resourceFolder).filePath(QStringLiteral("theme_dark.qss")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void ApplyTheme(QWidget* window, Theme theme, const QString& darkSheet) {
    if (window == nullptr)
        return;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : widgets) {
        // Only the skins' own sheets: controls carry sheets the program sets (colours).
        if (!widget->property(dui::DuiWindow::kSkinRootProperty).toBool())
            continue;
        QVariant skinSheet = widget->property(kSkinSheet);
        if (!skinSheet.isValid()) {
            skinSheet = widget->styleSheet();
            widget->setProperty(kSkinSheet, skinSheet);
        }
        const QString light = skinSheet.toString();
        const QString wanted = theme == Theme::Dark ? light + "\n" + darkSheet : light;
        if (widget->styleSheet() != wanted)
            widget->setStyleSheet(wanted);
    }
}

}  // namespace ms1
