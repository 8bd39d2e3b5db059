#pragma once

#include <QString>

#include "storage/SettingsFile.h"

class QWidget;

namespace ms1 {

// The light page style is what the skins bring; the dark one is the style sheet
// "theme_dark.qss" of the resource folder, laid over every style sheet of the window.
QString LoadDarkSheet(const QString& resourceFolder);

// Sets the style of the window's skin and of the skins loaded into it (the page). Switching
// back gives the skins' own sheets again. Skinned windows shown later that the dark sheet
// names (the macro editor) take the style last set here as they open.
void ApplyTheme(QWidget* window, Theme theme, const QString& darkSheet);

}  // namespace ms1
