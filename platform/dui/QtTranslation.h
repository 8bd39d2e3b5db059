#pragma once

#include <QString>

namespace ms1::dui {

// Qt's own texts (an edit's context menu, the file dialog's buttons) in the user's language:
// installs Qt's translation for `locale` ("de_DE.UTF-8" takes qtbase_de_DE.qm, else
// qtbase_de.qm) from Qt's translations folder, or from `folder` when one is given. False, and
// Qt's English left, for English, C and POSIX, or when there is no such translation. Call it
// once, on the window thread, with the application made.
bool InstallQtTranslation(const QString& locale, const QString& folder = QString());

}  // namespace ms1::dui
