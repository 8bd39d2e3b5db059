// Renders the main window (and the message box) to PNG files for the documentation:
//   QT_QPA_PLATFORM=offscreen build/tests/ms1_screenshot docs/screenshots
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTextStream>

#include "app/CMainWnd.h"
#include "platform/dui/LanguageTexts.h"
#include "platform/dui/SkinLoader.h"
#include "ui/dialogs/qt/CMsgWnd.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        QTextStream(stderr) << "usage: ms1_screenshot OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    const QString programFolder =
        QDir(QApplication::applicationDirPath() + "/../bin").absolutePath();
    auto skins = std::make_shared<ms1::dui::SkinLoader>(QDir(programFolder).filePath("res"));
    auto texts = std::make_shared<ms1::dui::LanguageTexts>();
    texts->Load(QDir(skins->ResourceFolder()).filePath("lan.xml"));

    ms1::CMainWnd window(skins, texts, {programFolder, ms1::CMainWnd::Tray::Off});
    if (!window.Create()) {
        return 1;
    }
    window.Widget()->show();
    QApplication::processEvents();
    if (!window.Widget()->grab().save(output.filePath("main_window.png"))) {
        return 1;
    }

    ms1::CMsgWnd box(skins, texts, "warning_title_text", "delete_profile_text");
    if (!box.Create(window.Widget())) {
        return 1;
    }
    box.Widget()->show();
    QApplication::processEvents();
    return box.Widget()->grab().save(output.filePath("message_box.png")) ? 0 : 1;
}
