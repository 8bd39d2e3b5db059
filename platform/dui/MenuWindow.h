#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <QMenu>
#include <vector>

namespace ms1 {
class MessageHub;
}

namespace ms1::dui {

class LanguageTexts;

// A pop-up menu built from a menu skin of our own format:
//   <menu>
//     <item name="configuration" textid="tray_configuration_text"/>
//     <separator/>
//     <menu name="more" textid="more_text"> <item .../> </menu>
//     <item name="exit" text="Exit"/>
//   </menu>
// A click on an item posts message 1027 to the owner with wParam 1 and the item's name.
// A sub-menu may also be filled when the menu opens, with items of a list that changes.
class MenuWindow : public QObject {
    Q_OBJECT
  public:
    MenuWindow(MessageHub& owner, const LanguageTexts* texts);
    ~MenuWindow() override;

    bool LoadFile(const QString& path);
    bool Parse(const QByteArray& xml);

    // An item made when the menu opens.
    struct Item {
        QString name;     // what its click posts
        QString caption;  // shown as it is
        bool checked = false;
    };
    // Puts `items` into the sub-menu `menuName` in place of what it held. They show a check
    // mark box, filled for a checked item; an empty list leaves the sub-menu greyed out.
    // False when the menu has no such sub-menu.
    bool FillSubMenu(const QString& menuName, const std::vector<Item>& items);
    // Gives the item `name` a check mark box, filled when `checked`. False when there is no
    // such item.
    bool SetChecked(const QString& name, bool checked);

    // Opens the menu with its top-left corner at the point (screen coordinates).
    void Popup(const QPoint& at);
    void Close();
    QMenu* Menu() const { return menu_; }
    // Item names in the order of the skin, nested menus included (for checks and tests).
    QStringList ItemNames() const;

  private:
    QAction* AddItem(QMenu* holder, const QString& name, const QString& caption);

    MessageHub& owner_;
    const LanguageTexts* texts_;
    QPointer<QMenu> menu_;
};

}  // namespace ms1::dui
