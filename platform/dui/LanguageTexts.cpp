#include "platform/dui/LanguageTexts.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include "platform/DebugLog.h"

namespace ms1::dui {

bool LanguageTexts::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcMs1) << "language file missing:" << path;
        texts_.clear();
        return false;
    }
    return Parse(file.readAll());
}

bool LanguageTexts::Overlay(const QString& path) {
    LanguageTexts translation;
    if (!translation.Load(path))
        return false;
    for (auto it = translation.texts_.cbegin(); it != translation.texts_.cend(); ++it)
        texts_.insert(it.key(), it.value());
    return true;
}

bool LanguageTexts::LoadForLocale(const QString& folder, const QString& locale) {
    if (!Load(QDir(folder).filePath(QStringLiteral("lan.xml"))))
        return false;
    for (const QString& name : TranslationFiles(locale)) {
        const QString path = QDir(folder).filePath(name);
        if (QFile::exists(path)) {
            Overlay(path);  // an unreadable translation leaves English
            return true;
        }
    }
    return true;
}

QStringList LanguageTexts::TranslationFiles(const QString& locale) {
    QString name = locale.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    const QString language = name.section(QLatin1Char('_'), 0, 0);
    if (language.isEmpty() || language == u"C" || language == u"POSIX" || language == u"en")
        return {};
    QStringList files;
    if (name != language)
        files << QStringLiteral("lan_%1.xml").arg(name);
    files << QStringLiteral("lan_%1.xml").arg(language);
    return files;
}

QString LanguageTexts::MessagesLocale() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

bool LanguageTexts::Parse(const QByteArray& xml) {
    QHash<QString, QString> texts;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"text") {
            const QString key = reader.attributes().value(QStringLiteral("key")).toString();
            const QString value = reader.readElementText();
            if (!key.isEmpty()) {
                texts.insert(key, value);
            }
        }
    }
    if (reader.hasError()) {
        qCWarning(lcMs1) << "language file unreadable:" << reader.errorString();
        texts_.clear();
        return false;
    }
    texts_ = std::move(texts);
    return true;
}

QString LanguageTexts::Text(const QString& key) const {
    return texts_.value(key, key);
}

}  // namespace ms1::dui
