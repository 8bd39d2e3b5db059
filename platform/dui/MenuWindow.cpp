#include "platform/dui/MenuWindow.h"

#include <QFile>
#include <QMenu>
#include <QXmlStreamReader>

#include "platform/DebugLog.h"
#include "platform/MessageHub.h"
#include "platform/WindowMessages.h"
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
    auto menu = std::make_unique<QMenu>();
    menu->setObjectName("menu");
    std::vector<QMenu*> open;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const auto attributes = reader.attributes();
            if (reader.name() == u"menu") {
                if (open.empty()) {
                    open.push_back(menu.get());
                } else {
                    QMenu* sub = open.back()->addMenu(Caption(attributes, texts_));
                    sub->setObjectName(attributes.value(QStringLiteral("name")).toString());
                    open.push_back(sub);
                }
            } else if (reader.name() == u"item" && !open.empty()) {
                const QString name = attributes.value(QStringLiteral("name")).toString();
                QAction* action = open.back()->addAction(Caption(attributes, texts_));
                action->setObjectName(name);
                connect(action, &QAction::triggered, this, [this, name] {
                    owner_.Post(Message{MSG_MENU_CLICK, 1, 0, name});
                });
            } else if (reader.name() == u"separator" && !open.empty()) {
                open.back()->addSeparator();
            }
        } else if (reader.isEndElement() && reader.name() == u"menu" && !open.empty()) {
            open.pop_back();
        }
    }
    if (reader.hasError()) {
        qCWarning(lcMs1) << "menu skin unreadable:" << reader.errorString();
        return false;
    }
    delete menu_.data();
    menu_ = menu.release();
    return true;
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
