#include "platform/dui/MenuWindow.h"

#include <QFile>
#include <QMenu>

#include "platform/DebugLog.h"
#include "platform/MessageHub.h"
#include "platform/dui/MenuSkin.h"
#include "ports/WindowMessages.h"

namespace ms1::dui {
namespace {

void CollectNames(const QMenu* menu, QStringList& names) {
    for (const QAction* action : menu->actions()) {
        if (action->menu() != nullptr) {
            CollectNames(action->menu(), names);
        } else if (!action->isSeparator()) {
            names << action->objectName();
        }
    }
}

}  // namespace

MenuWindow::MenuWindow(MessageHub& owner, const LanguageTexts* texts)
    : owner_(owner), texts_(texts) {}

MenuWindow::~MenuWindow() {
    delete menu_.data();
}

bool MenuWindow::LoadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcMs1) << "menu skin missing:" << path;
        return false;
    }
    return Parse(file.readAll());
}

bool MenuWindow::Parse(const QByteArray& xml) {
    const MenuSkin skin = ReadMenuSkin(xml, texts_);
    if (!skin.readable) {
        qCWarning(lcMs1) << "menu skin unreadable:" << skin.error;
        return false;
    }
    auto menu = std::make_unique<QMenu>();
    menu->setObjectName("menu");
    // The sub-menu made for each entry, so that later entries find the one that holds them.
    std::vector<QMenu*> made(skin.entries.size(), nullptr);
    for (std::size_t i = 0; i < skin.entries.size(); ++i) {
        const MenuEntry& entry = skin.entries[i];
        QMenu* holder =
            entry.parent < 0 ? menu.get() : made[static_cast<std::size_t>(entry.parent)];
        switch (entry.kind) {
            case MenuEntry::Kind::SubMenu:
                made[i] = holder->addMenu(entry.caption);
                made[i]->setObjectName(entry.name);
                break;
            case MenuEntry::Kind::Item:
                AddItem(holder, entry.name, entry.caption);
                break;
            case MenuEntry::Kind::Separator:
                holder->addSeparator();
                break;
        }
    }
    delete menu_.data();
    menu_ = menu.release();
    return true;
}

QAction* MenuWindow::AddItem(QMenu* holder, const QString& name, const QString& caption) {
    QAction* action = holder->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, name] {
        owner_.Post(Message{MSG_MENU_CLICK, 1, 0, name});
    });
    return action;
}

bool MenuWindow::FillSubMenu(const QString& menuName, const std::vector<Item>& items) {
    QMenu* sub = menu_ != nullptr ? menu_->findChild<QMenu*>(menuName) : nullptr;
    if (sub == nullptr)
        return false;
    sub->clear();
    for (const Item& item : items) {
        QAction* action = AddItem(sub, item.name, item.caption);
        // A caption is shown as typed: "&" is no shortcut mark.
        action->setText(QString(item.caption).replace('&', QStringLiteral("&&")));
        action->setCheckable(true);
        action->setChecked(item.checked);
    }
    sub->menuAction()->setEnabled(!items.empty());
    return true;
}

bool MenuWindow::SetChecked(const QString& name, bool checked) {
    if (menu_ == nullptr)
        return false;
    for (QAction* action : menu_->findChildren<QAction*>(name)) {
        if (action->menu() != nullptr || action->isSeparator())
            continue;
        action->setCheckable(true);
        action->setChecked(checked);
        return true;
    }
    return false;
}

void MenuWindow::Popup(const QPoint& at) {
    if (menu_ != nullptr) {
        menu_->popup(at);
    }
}

void MenuWindow::Close() {
    if (menu_ != nullptr) {
        menu_->close();
    }
}

QStringList MenuWindow::ItemNames() const {
    QStringList names;
    if (menu_ != nullptr) {
        CollectNames(menu_, names);
    }
    return names;
}

}  // namespace ms1::dui
