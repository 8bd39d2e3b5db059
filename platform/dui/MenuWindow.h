#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <QMenu>

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
class MenuWindow : public QObject {
    Q_OBJECT
  public:
    MenuWindow(MessageHub& owner, const LanguageTexts* texts);
    ~MenuWindow() override;

    bool LoadFile(const QString& path);
    bool Parse(const QByteArray& xml);

    // Opens the menu with its top-left corner at the point (screen coordinates).
    void Popup(const QPoint& at);
    void Close();
    QMenu* Menu() const { return menu_; }
    // Item names in the order of the skin, nested menus included (for checks and tests).
    QStringList ItemNames() const;

  private:
    MessageHub& owner_;
    const LanguageTexts* texts_;
    QPointer<QMenu> menu_;
};

}  // namespace ms1::dui
