// The language files: each translation holds exactly the keys of the English file with the
// same placeholders, and the program picks the file of the user's locale.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "platform/dui/LanguageTexts.h"
#include "tests/app/TestResources.h"

namespace ms1 {
namespace {

QMap<QString, QString> Texts(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QXmlStreamReader reader(&file);
    QMap<QString, QString> texts;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"text") {
            const QString key = reader.attributes().value("key").toString();
            EXPECT_FALSE(texts.contains(key)) << "twice: " << key.toStdString();
            texts.insert(key, reader.readElementText());
        }
    }
    EXPECT_FALSE(reader.hasError())
        << path.toStdString() << ": " << reader.errorString().toStdString();
    return texts;
}

QStringList Placeholders(const QString& text) {
    static const QRegularExpression placeholder("%[-0-9]*[sdux%]|%[1-9]");
    QStringList found;
    for (auto it = placeholder.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    return found;
}

TEST(Translations, EveryTranslationHasTheKeysAndPlaceholdersOfTheEnglishFile) {
    const QDir res(QDir(ProgramFolder()).filePath("res"));
    const QMap<QString, QString> english = Texts(res.filePath("lan.xml"));
    ASSERT_GT(english.size(), 100);
    const QStringList translations = res.entryList({"lan_*.xml"}, QDir::Files);
    EXPECT_EQ(translations, (QStringList{"lan_de.xml", "lan_zh_CN.xml"}));
    for (const QString& name : translations) {
        SCOPED_TRACE(name.toStdString());
        const QMap<QString, QString> translated = Texts(res.filePath(name));
        EXPECT_EQ(translated.keys(), english.keys());
        for (auto it = english.cbegin(); it != english.cend(); ++it) {
            EXPECT_EQ(Placeholders(translated.value(it.key())), Placeholders(it.value()))
                << it.key().toStdString();
        }
    }
}

TEST(Translations, TheLocaleNamesTheFile) {
    const struct {
        const char* locale;
        QStringList files;
    } cases[] = {
        {"de_DE.UTF-8", {"lan_de_DE.xml", "lan_de.xml"}},
        {"de_AT.UTF-8@euro", {"lan_de_AT.xml", "lan_de.xml"}},
        {"zh_CN.UTF-8", {"lan_zh_CN.xml", "lan_zh.xml"}},
        {"de", {"lan_de.xml"}},
        {"en_GB.UTF-8", {}},
        {"C.UTF-8", {}},
        {"POSIX", {}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dui::LanguageTexts::TranslationFiles(c.locale), c.files) << c.locale;
}

// The translation goes over English; what it lacks stays English, and a broken one leaves
// English whole.
TEST(Translations, ATranslationGoesOverEnglish) {
    QTemporaryDir folder;
    auto write = [&](const char* name, const char* xml) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(xml);
    };
    write("lan.xml",
          "<language><text key=\"a\">Exit</text><text key=\"b\">Cancel</text></language>");
    write("lan_de.xml", "<language><text key=\"a\">Beenden</text></language>");
    write("lan_fr.xml", "<language><text key=\"a\">Quitter</language>");
    dui::LanguageTexts texts;
    ASSERT_TRUE(texts.LoadForLocale(folder.path(), "de_CH.UTF-8"));
    EXPECT_EQ(texts.Text("a"), "Beenden");
    EXPECT_EQ(texts.Text("b"), "Cancel");
    ASSERT_TRUE(texts.LoadForLocale(folder.path(), "fr_FR.UTF-8"));
    EXPECT_EQ(texts.Text("a"), "Exit");
    ASSERT_TRUE(texts.LoadForLocale(folder.path(), "C"));
    EXPECT_EQ(texts.Text("a"), "Exit");
}

}  // namespace
}  // namespace ms1
