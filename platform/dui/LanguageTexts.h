#pragma once

#include <QHash>
#include <QString>

namespace ms1::dui {

// The language texts of "lan.xml":
//   <language><text key="mouse_name_text">MS-1 Gaming Mouse</text>...</language>
class LanguageTexts {
  public:
    // Reads the file; false (and no texts) when it is missing or not well-formed.
    bool Load(const QString& path);
    bool Parse(const QByteArray& xml);
    // The text of a key; the key itself when the file has none, so a gap stays visible.
    QString Text(const QString& key) const;
    bool Contains(const QString& key) const { return texts_.contains(key); }
    int Size() const { return static_cast<int>(texts_.size()); }

  private:
    QHash<QString, QString> texts_;
};

}  // namespace ms1::dui
