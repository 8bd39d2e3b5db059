// No label's or button's text is wider than its control: the page, its dialogs, the empty
// page, the function menu and the macro editor at the window's size, offscreen. ctest runs
// them again on a screen of 120 DPI, which a desktop's 125 % text scale gives: once as Qt
// takes it by default, scaling the whole window by 1.25, and once with that scaling off,
// where only the point sizes of the text grow; and once each in German and in Chinese
// (MS1_TEST_LOCALE), whose words are longer or drawn by another font.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>

#include "app/CAboutWnd.h"
#include "app/CMainWnd.h"
#include "app/MousePageWindow.h"
#include "platform/MessageHub.h"
#include "platform/dui/ControlOps.h"
#include "platform/dui/MenuSkin.h"
#include "platform/dui/MenuWindow.h"
#include "platform/keyboard/XkbKeyboardLayout.h"
#include "ports/WindowMessages.h"
#include "storage/AppProfileRules.h"
#include "storage/MacroStore.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "tests/ui/qt/RecordingSession.h"
#include "ui/DuiTextLookup.h"
#include "ui/dialogs/qt/CAppProfilesWnd.h"
#include "ui/dialogs/qt/CDpiColorWnd.h"
#include "ui/dialogs/qt/CMS_1_ProfileName.h"
#include "ui/dialogs/qt/CMS_1_SelectMacro.h"
#include "ui/dialogs/qt/CMsgWnd.h"
#include "ui/dialogs/qt/CShortcutWnd.h"
#include "ui/macro/qt/CMS_1_Macro.h"
#include "ui/page/qt/ElidedButtonText.h"

namespace ms1::test {
namespace {

// Labels under root whose text does not fit: a line wider than the label, or wrapped lines
// taller than it.
std::vector<std::string> Clipped(QWidget* root) {
    std::vector<std::string> clipped;
    for (QLabel* label : root->findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty() || label->textFormat() == Qt::RichText)
            continue;
        // A wrapped text has to fit in height.
        if (label->wordWrap()) {
            const int needed = label->heightForWidth(label->width());
            if (needed > label->height())
                clipped.push_back(label->objectName().toStdString() + " \"" +
                                  label->text().toStdString() + "\" height " +
                                  std::to_string(needed) + " > " + std::to_string(label->height()));
            continue;
        }
        const QFontMetrics metrics(label->font());
        // What the label has for its text: inside its frame, style padding and margin.
        const QRect room = label->contentsRect().adjusted(label->margin(), 0, -label->margin(), 0);
        const int wanted = metrics.horizontalAdvance(label->text());
        if (wanted > room.width())
            clipped.push_back(label->objectName().toStdString() + " \"" +
                              label->text().toStdString() + "\" " + std::to_string(wanted) + " > " +
                              std::to_string(room.width()));
    }
    return clipped;
}

// What a button's style leaves for its text: inside its frame, padding and indicator.
int TextRoom(QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement element = QStyle::SE_PushButtonContents;
    if (qobject_cast<QCheckBox*>(button) != nullptr)
        element = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<QRadioButton*>(button) != nullptr)
        element = QStyle::SE_RadioButtonContents;
    else if (qobject_cast<QPushButton*>(button) == nullptr)
        return button->contentsRect().width();
    int room = button->style()->subElementRect(element, &option, button).width();
    if (!button->icon().isNull())
        room -= button->iconSize().width() + 4;
    return room;
}

// Buttons under root whose text does not fit, or that show less than their whole text.
std::vector<std::string> ClippedButtons(QWidget* root) {
    std::vector<std::string> clipped;
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || button->text().isEmpty())
            continue;
        const std::string what =
            button->objectName().toStdString() + " \"" + button->text().toStdString() + "\" ";
        const QString whole = ElidedButtonText::WholeText(button);
        if (whole != button->text()) {
            clipped.push_back(what + "cut from \"" + whole.toStdString() + "\"");
            continue;
        }
        QString text = button->text();
        text.remove(QLatin1Char('&'));
        const int wanted = button->fontMetrics().horizontalAdvance(text);
        const int room = TextRoom(button);
        if (wanted > room)
            clipped.push_back(what + std::to_string(wanted) + " > " + std::to_string(room));
    }
    return clipped;
}

void Settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void ExpectFits(QWidget* root, const char* what) {
    ASSERT_NE(root, nullptr) << what;
    root->show();
    Settle();
    for (const std::string& line : Clipped(root))
        ADD_FAILURE() << what << ": " << line;
    for (const std::string& line : ClippedButtons(root))
        ADD_FAILURE() << what << ": " << line;
}

// The items of the function menu that choose a button's function: those of its sub-menus,
// not the ones below them that open a dialog first.
QStringList FunctionItems() {
    QFile file(QDir(ResourceFolder()).filePath("MS/MS_1/ms_1_menu.xml"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const auto skin = dui::ReadMenuSkin(file.readAll(), Texts().get());
    QStringList items;
    for (const auto& entry : skin.entries) {
        if (entry.kind == dui::MenuEntry::Kind::Item && entry.parent >= 0)
            items << entry.name;
    }
    return items;
}

// The text scale this run stands for reached the screen: a 9 pt text is drawn 12 pixels high
// at 100 %, 15 at 125 %, whether the desktop scales the whole window or only the text.
TEST(Clipping, RunsAtTheAskedTextScale) {
    TestApp();
    const double scale = qEnvironmentVariableIsSet("MS1_TEXT_SCALE")
                             ? qEnvironmentVariable("MS1_TEXT_SCALE").toDouble()
                             : 1.0;
    QLabel label;
    label.setStyleSheet("font-size: 9pt;");
    label.ensurePolished();
    EXPECT_DOUBLE_EQ(
        QFontInfo(label.font()).pixelSize() * QGuiApplication::primaryScreen()->devicePixelRatio(),
        12 * scale);
}

TEST(Clipping, PageLabelsFit) {
    TestApp();
    QTemporaryDir temp;
    auto session = std::make_unique<RecordingSession>();
    session->connected = true;
    MousePageWindow page(std::filesystem::path(temp.path().toStdString()), std::move(session));
    CMainWnd window(Skins(), Texts(), CMainWnd::Options{"", CMainWnd::Tray::Off});
    window.RegisterPage(&page);
    ASSERT_TRUE(window.Create());
    window.Widget()->resize(800, 572);
    window.Widget()->show();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    for (QAbstractButton* header : page.PageWidget()->findChildren<QAbstractButton*>()) {
        if (header->property("section").toBool() && !header->isChecked())
            header->click();
    }
    // The notices that show only now and then, too.
    for (const char* notice : {"ms_1_label_unconfirmed", "ms_1_low_power_label"})
        window.FindControl(notice)->show();
    ExpectFits(window.Widget(), "page");

    // A name wider than the list is elided there and shown whole by the tooltip.
    auto* list = qobject_cast<QListWidget*>(window.FindControl("ms_1_list_profile"));
    ASSERT_NE(list, nullptr);
    const QString name = QString(60, QChar('W'));
    dui::SetItemText(list, 0, name);
    EXPECT_GT(QFontMetrics(list->font()).horizontalAdvance(name), list->viewport()->width());
    EXPECT_EQ(list->textElideMode(), Qt::ElideRight);
    EXPECT_EQ(list->item(0)->toolTip(), name);
    window.UnregisterPage();
}

TEST(Clipping, EmptyPageAndDialogLabelsFit) {
    TestApp();
    QTemporaryDir temp;
    auto owned = std::make_unique<RecordingSession>();
    RecordingSession* session = owned.get();
    session->connected = false;
    MousePageWindow page(std::filesystem::path(temp.path().toStdString()), std::move(owned));
    CMainWnd window(Skins(), Texts(), CMainWnd::Options{"", CMainWnd::Tray::Off});
    window.RegisterPage(&page);
    ASSERT_TRUE(window.Create());
    window.Widget()->resize(800, 572);
    ExpectFits(window.Widget(), "empty page");

    const char* messages[] = {"one_profile_text", "delete_profile_text", "restore_text",
                              "one_click_text", "warn_name_2_text"};
    for (const char* message : messages) {
        CMsgWnd box(Skins(), Texts(), "warning_title_text", message, KindOfMessage(message));
        ASSERT_TRUE(box.Create(window.Widget()));
        ExpectFits(box.Widget(), message);
    }
    CAboutWnd about(Skins(), Texts(), temp.path(), [](const QUrl&) { return true; });
    ASSERT_TRUE(about.Create(window.Widget()));
    ExpectFits(about.Widget(), "about");
    CMS_1_ProfileName name(Skins(), Texts(), "profile_name_2_text", {});
    ASSERT_TRUE(name.Create(window.Widget()));
    ExpectFits(name.Widget(), "profile name");
    CDpiColorWnd colour(Skins(), Texts());
    ASSERT_TRUE(colour.Create(window.Widget()));
    ExpectFits(colour.Widget(), "stage colour");
    const MacroList noMacros;
    CMS_1_SelectMacro macros(Skins(), Texts(), noMacros);
    ASSERT_TRUE(macros.Create(window.Widget()));
    ExpectFits(macros.Widget(), "macro choice");
    const auto layout = XkbKeyboardLayout::FromNames("us");
    ASSERT_TRUE(layout);
    const HookTable none;
    const DuiTextLookup keyTexts(Texts());
    CShortcutWnd shortcut(Skins(), Texts(), none, *layout, keyTexts);
    ASSERT_TRUE(shortcut.Create(window.Widget()));
    ExpectFits(shortcut.Widget(), "shortcut");
    AppProfileRules rules(temp.path().toStdString());
    ASSERT_TRUE(rules.Set("firefox", u"Profile1"));
    CAppProfilesWnd apps(Skins(), Texts(),
                         AppProfilesDialog::Ports{
                             rules, [] { return std::vector<std::u16string>{u"Profile1"}; },
                             nullptr, "This desktop does not tell which window has the focus."});
    ASSERT_TRUE(apps.Create(window.Widget()));
    ExpectFits(apps.Widget(), "application profiles");
    window.UnregisterPage();
}

// Every function of the menu shows whole on the function buttons of both columns (only a
// macro's name, which the user chooses, may be cut), and the menu shows every item whole.
TEST(Clipping, FunctionNamesFitTheButtonsAndTheMenu) {
    TestApp();
    QTemporaryDir temp;
    auto session = std::make_unique<RecordingSession>();
    session->connected = true;
    MousePageWindow page(std::filesystem::path(temp.path().toStdString()), std::move(session));
    CMainWnd window(Skins(), Texts(), CMainWnd::Options{"", CMainWnd::Tray::Off});
    window.RegisterPage(&page);
    ASSERT_TRUE(window.Create());
    window.Widget()->resize(800, 572);
    window.Widget()->show();
    Settle();
    const QStringList items = FunctionItems();
    ASSERT_GT(items.size(), 40);
    for (const char* name : {"ms_1_btn_key_3", "ms_1_btn_key_12"}) {
        auto* button = qobject_cast<QAbstractButton*>(window.FindControl(name));
        ASSERT_NE(button, nullptr) << name;
        for (const QString& item : items) {
            button->click();
            page.OnButtonMenuCommand(item);
            Settle();
            for (const std::string& line : ClippedButtons(button->parentWidget()))
                ADD_FAILURE() << item.toStdString() << ": " << line;
        }
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }
    window.UnregisterPage();

    MessageHub hub;
    const auto texts = Texts();
    dui::MenuWindow menu(hub, texts.get());
    ASSERT_TRUE(menu.LoadFile(QDir(ResourceFolder()).filePath("MS/MS_1/ms_1_menu.xml")));
    QList<QMenu*> menus = menu.Menu()->findChildren<QMenu*>();
    menus << menu.Menu();
    for (QMenu* shown : menus) {
        shown->ensurePolished();
        const int width = shown->sizeHint().width();
        for (QAction* action : shown->actions()) {
            const int wanted = shown->fontMetrics().horizontalAdvance(action->text());
            EXPECT_LT(wanted, width) << action->text().toStdString();
        }
    }
}

TEST(Clipping, MacroEditorTextsFit) {
    TestApp();
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    const auto layout = XkbKeyboardLayout::FromNames("us");
    ASSERT_TRUE(layout);
    MacroStore store(data.path().toStdString());
    store.LoadMacroStore();
    const HookTable none;
    CMS_1_Macro editor(Skins(), Texts(),
                       CMS_1_Macro::Deps{store, none, *layout, data.path().toStdString()});
    ASSERT_TRUE(editor.Create(nullptr));
    // At the size it opens at on this screen.
    editor.FitTo(nullptr);
    ExpectFits(editor.Widget(), "macro editor");
    // With the buttons that insert mouse buttons, shown as the user does.
    auto* mouse = qobject_cast<QAbstractButton*>(editor.FindControl("ms_1_macro_insert_mouse_btn"));
    ASSERT_NE(mouse, nullptr);
    mouse->click();
    ASSERT_TRUE(editor.FindControl("ms_1_macro_mouse_event_tab")->isVisible());
    ExpectFits(editor.Widget(), "macro editor with the mouse buttons");
    auto* pages = editor.FindControl("ms_1_macro_action_edit_tab");
    ASSERT_NE(pages, nullptr);
    for (int i = 0; i < 3; ++i) {
        dui::SelectTab(pages, i);
        ExpectFits(editor.Widget(), "macro editor's edit panel");
    }
}

}  // namespace
}  // namespace ms1::test
