#include "platform/dui/LanguageTexts.h"

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
