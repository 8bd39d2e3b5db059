#include "platform/dui/MenuSkin.h"

#include <QXmlStreamReader>

#include "platform/dui/LanguageTexts.h"

namespace ms1::dui {
namespace {

QString Caption(const QXmlStreamAttributes& attributes, const LanguageTexts* texts) {
    const QString key = attributes.value(QStringLiteral("textid")).toString();
    if (!key.isEmpty() && texts != nullptr) {
        return texts->Text(key);
    }
    const QString text = attributes.value(QStringLiteral("text")).toString();
    return text.isEmpty() ? attributes.value(QStringLiteral("name")).toString() : text;
}

}  // namespace

MenuSkin ReadMenuSkin(const QByteArray& xml, const LanguageTexts* texts) {
    MenuSkin skin;
    // The menus open at this point of the file, innermost last: -1 for the menu itself,
    // else the index of a sub-menu entry.
    std::vector<int> open;
    auto add = [&](MenuEntry::Kind kind, const QXmlStreamAttributes& attributes) {
        MenuEntry entry;
        entry.kind = kind;
        entry.parent = open.back();
        if (kind != MenuEntry::Kind::Separator) {
            entry.name = attributes.value(QStringLiteral("name")).toString();
            entry.caption = Caption(attributes, texts);
        }
        skin.entries.push_back(std::move(entry));
        return static_cast<int>(skin.entries.size()) - 1;
    };
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const auto attributes = reader.attributes();
            if (reader.name() == u"menu") {
                open.push_back(open.empty() ? -1 : add(MenuEntry::Kind::SubMenu, attributes));
            } else if (reader.name() == u"item" && !open.empty()) {
                add(MenuEntry::Kind::Item, attributes);
            } else if (reader.name() == u"separator" && !open.empty()) {
                add(MenuEntry::Kind::Separator, attributes);
            }
        } else if (reader.isEndElement() && reader.name() == u"menu" && !open.empty()) {
            open.pop_back();
        }
    }
    if (reader.hasError()) {
        skin.error = reader.errorString();
        skin.entries.clear();
        return skin;
    }
    skin.readable = true;
    return skin;
}

}  // namespace ms1::dui
