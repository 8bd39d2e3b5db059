// Qt's own texts follow the user's language: the translation of the locale's language is
// installed, and none for English, C or POSIX.
#include "platform/dui/QtTranslation.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include "tests/support/QtTestApp.h"

namespace ms1::dui {
namespace {

TEST(QtTranslation, TheLocalesLanguageTranslatesQtsOwnTexts) {
    TestApp();
    const QDir folder(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (!folder.exists("qtbase_de.qm") || !folder.exists("qtbase_zh_CN.qm"))
        GTEST_SKIP() << "Qt's translations are missing: install qt6-translations-l10n";
    const struct {
        const char* locale;
        bool installed;
        const char* copy;  // what an edit's context menu says for "&Copy"
    } cases[] = {
        {"de_DE.UTF-8", true, "&Kopieren"},
        {"zh_CN.UTF-8", true, "复制(&C)"},
        {"en_GB.UTF-8", false, "&Copy"},
        {"C", false, "&Copy"},
        {"", false, "&Copy"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InstallQtTranslation(c.locale), c.installed) << c.locale;
        EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Copy").toStdString(), c.copy)
            << c.locale;
        // Back to English for the next row.
        for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
    // A folder without Qt's translations leaves English.
    EXPECT_FALSE(InstallQtTranslation("de_DE.UTF-8", QDir::tempPath()));
}

}  // namespace
}  // namespace ms1::dui
