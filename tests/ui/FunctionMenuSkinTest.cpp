#include <gtest/gtest.h>

#include <QFile>
#include <QMenu>
#include <QXmlStreamReader>
#include <set>

#include "platform/MessageHub.h"
#include "platform/dui/MenuWindow.h"
#include "ui/ButtonFunctions.h"
#include "ui/DialogTestEnv.h"

namespace ms1 {
namespace {

using dialogtest::ResourceFolder;

const QString kMenuSkin = QStringLiteral("/MS/MS_1/ms_1_menu.xml");

QStringList MenuItemNames(const dui::LanguageTexts& texts, MessageHub& hub) {
    dui::MenuWindow menu(hub, &texts);
    EXPECT_TRUE(menu.LoadFile(ResourceFolder() + kMenuSkin));
    return menu.ItemNames();
}

// Every text key a skin file names: textid attributes of menus, and the texts of controls
// marked as resource text in dialog skins.
std::set<QString> TextKeysOf(const QString& file) {
    QFile skin(ResourceFolder() + file);
    EXPECT_TRUE(skin.open(QIODevice::ReadOnly)) << file.toStdString();
    std::set<QString> keys;
    QXmlStreamReader reader(&skin);
    QString lastText;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement()) {
            continue;
        }
        const QString id = reader.attributes().value(QStringLiteral("textid")).toString();
        if (!id.isEmpty()) {
            keys.insert(id);
        }
        const QString property = reader.attributes().value(QStringLiteral("name")).toString();
        if (reader.name() == u"property" && property == u"text") {
            reader.readNextStartElement();
            lastText = reader.readElementText();
        } else if (reader.name() == u"property" && property == u"resourcetext") {
            keys.insert(lastText);
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return keys;
}

TEST(FunctionMenuSkin, OffersEveryFunctionOfTheTableOnceUnderItsOwnCode) {
    dialogtest::DialogApp();
    const auto texts = dialogtest::Texts();
    MessageHub hub;
    const QStringList names = MenuItemNames(*texts, hub);

    std::set<QString> expected;
    for (const ButtonFunction& function : ButtonFunctionTable()) {
        if (function.menuItem.empty()) {
            continue;
        }
        const QString name = QString::fromLatin1(function.menuItem.data(),
                                                 static_cast<qsizetype>(function.menuItem.size()));
        expected.insert(name);
        EXPECT_EQ(names.count(name), 1) << name.toStdString();
        EXPECT_EQ(FunctionCodeForMenuItem(name.toStdString()), function.code) << name.toStdString();
    }
    // 52 functions have an item; a name the table does not know would silently mean left click.
    EXPECT_EQ(expected.size(), 52u);
    for (const QString& name : names) {
        EXPECT_TRUE(expected.count(name) == 1) << "unknown menu item " << name.toStdString();
    }
}

TEST(FunctionMenuSkin, GroupsTheFunctionsInSubMenusWithShortcutAndMacroAtTheTop) {
    dialogtest::DialogApp();
    const auto texts = dialogtest::Texts();
    MessageHub hub;
    dui::MenuWindow menu(hub, texts.get());
    ASSERT_TRUE(menu.LoadFile(ResourceFolder() + kMenuSkin));

    QStringList subMenus;
    QStringList topItems;
    for (QAction* action : menu.Menu()->actions()) {
        if (action->menu() != nullptr) {
            subMenus << action->menu()->objectName();
        } else if (!action->isSeparator()) {
            topItems << action->objectName();
        }
    }
    EXPECT_EQ(subMenus, (QStringList{"ms_1_group_mouse", "ms_1_group_dpi", "ms_1_group_media",
                                     "ms_1_group_apps", "ms_1_group_office"}));
    EXPECT_EQ(topItems, (QStringList{"ms_1_shortcut", "ms_1_select_macro"}));
    // The item a user reaches for first sits where they look first.
    EXPECT_EQ(menu.Menu()->actions().first()->menu()->actions().first()->objectName(),
              QStringLiteral("ms_1_click"));
}

TEST(FunctionMenuSkin, EveryTextKeyOfTheMenuAndTheDialogsIsInTheLanguageFile) {
    dialogtest::DialogApp();
    const auto texts = dialogtest::Texts();
    ASSERT_GT(texts->Size(), 0) << "lan.xml missing from " << ResourceFolder().toStdString();
    for (const QString& file :
         {kMenuSkin, QStringLiteral("/shortcut.xml"), QStringLiteral("/MS/MS_1/selectmacro.xml")}) {
        const std::set<QString> keys = TextKeysOf(file);
        EXPECT_FALSE(keys.empty()) << file.toStdString();
        for (const QString& key : keys) {
            EXPECT_TRUE(texts->Contains(key)) << key.toStdString() << " of " << file.toStdString();
        }
    }
    EXPECT_TRUE(texts->Contains(QStringLiteral("hook_unavailable_text")));
}

}  // namespace
}  // namespace ms1
