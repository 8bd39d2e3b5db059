#include "platform/dui/QtTranslation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

#include "platform/DebugLog.h"
#include "platform/dui/LanguageTexts.h"

namespace ms1::dui {

bool InstallQtTranslation(const QString& locale, const QString& folder) {
    // English (no files) asks nothing of Qt's installation.
    const QStringList names = LanguageTexts::TranslationFiles(locale);
    if (names.isEmpty())
        return false;
    const QDir translations(folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath)
                                             : folder);
    // The same names as our own language files have: "lan_de.xml" is "qtbase_de.qm".
    for (QString name : names) {
        name.replace(QStringLiteral("lan_"), QStringLiteral("qtbase_"))
            .replace(QStringLiteral(".xml"), QStringLiteral(".qm"));
        const QString path = translations.filePath(name);
        if (!QFile::exists(path))
            continue;
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (!translator->load(path)) {
            delete translator;
            qCWarning(lcMs1) << "Qt's translation could not be read:" << path;
            return false;
        }
        return QCoreApplication::installTranslator(translator);
    }
    return false;
}

}  // namespace ms1::dui
