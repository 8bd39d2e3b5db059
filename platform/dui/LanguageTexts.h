#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace ms1::dui {

// The language texts of "lan.xml":
//   <language><text key="mouse_name_text">MS-1 Gaming Mouse</text>...</language>
class LanguageTexts {
  public:
    // Reads the file; false (and no texts) when it is missing or not well-formed.
    bool Load(const QString& path);
    bool Parse(const QByteArray& xml);
    // Puts a translation's texts over the loaded ones; keys it lacks keep their text. False
    // (and nothing changed) when it cannot be read.
    bool Overlay(const QString& path);
    // The English file of `folder` with the translation for `locale` over it, when there is
    // one ("lan_de_DE.xml", else "lan_de.xml" for "de_DE.UTF-8").
    bool LoadForLocale(const QString& folder, const QString& locale);

    // "lan_de_DE.xml", "lan_de.xml" for "de_DE.UTF-8@euro"; nothing for English, C and POSIX.
    static QStringList TranslationFiles(const QString& locale);
    // The locale that names the language of messages: LC_ALL, LC_MESSAGES, then LANG.
    static QString MessagesLocale();
    // The text of a key; the key itself when the file has none, so a gap stays visible.
    QString Text(const QString& key) const;
    bool Contains(const QString& key) const { return texts_.contains(key); }
    int Size() const { return static_cast<int>(texts_.size()); }

  private:
    QHash<QString, QString> texts_;
};

}  // namespace ms1::dui
