// No label's text is wider than the label: the page, its dialogs and the empty page at the
// window's size, offscreen. ctest runs them again on a screen of 120 DPI, which a desktop's
// 125 % text scale gives: once as Qt takes it by default, scaling the whole window by 1.25,
// and once with that scaling off, where only the point sizes of the text grow.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QTemporaryDir>

#include "app/CAboutWnd.h"
#include "app/CMainWnd.h"
#include "app/MousePageWindow.h"
#include "platform/dui/ControlOps.h"
#include "ports/WindowMessages.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "tests/ui/qt/RecordingSession.h"
#include "ui/dialogs/qt/CDpiColorWnd.h"
#include "ui/dialogs/qt/CMS_1_ProfileName.h"
#include "ui/dialogs/qt/CMS_1_SelectMacro.h"
#include "ui/dialogs/qt/CMsgWnd.h"

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
    window.UnregisterPage();
}

}  // namespace
}  // namespace ms1::test
