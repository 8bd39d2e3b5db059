#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace ms1::dui {

class LanguageTexts;

// One entry of a menu skin. Entries come in the order of the file; a sub-menu comes before
// the entries it holds.
struct MenuEntry {
    enum class Kind { Item, Separator, SubMenu };
    Kind kind = Kind::Item;
    int parent = -1;  // index of the sub-menu that holds it; -1 for the menu itself
    QString name;
    QString caption;
};

// A menu skin as read, with no window built yet.
struct MenuSkin {
    bool readable = false;
    QString error;  // why not, when it is not readable
    std::vector<MenuEntry> entries;
};

// Reads a menu skin (see MenuWindow for the format). A caption is the language text of the
// entry's "textid", else its "text", else its name. Items and separators outside any <menu>
// are ignored.
MenuSkin ReadMenuSkin(const QByteArray& xml, const LanguageTexts* texts);

}  // namespace ms1::dui
