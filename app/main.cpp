// The ms1 program: one instance per user, a main window with its tray icon, and the event loop.
#include <QApplication>
#include <QDir>
#include <QTextStream>

#include "app/CMainWnd.h"
#include "platform/DebugLog.h"
#include "platform/SingleInstance.h"
#include "platform/dui/LanguageTexts.h"
#include "platform/dui/SkinLoader.h"
#include "storage/DataFolders.h"
#include "ui/DetachCaption.h"
#include "ui/MousePageWindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("ms1");
    // Hiding the window to the tray must not end the program; only "exit" does.
    QApplication::setQuitOnLastWindowClosed(false);

    ms1::SingleInstance instance("Tarvex");
    const ms1::SingleInstance::Role role = instance.Acquire();
    if (role == ms1::SingleInstance::Role::Second) {
        return 1;
    }
    if (role == ms1::SingleInstance::Role::Failed) {
        qCWarning(lcMs1) << "running without the single-instance guard";
    }
    qCDebug(lcMs1) << "ilen =" << QApplication::arguments().join(' ').size();

    const QString programFolder = QApplication::applicationDirPath();
    auto skins = std::make_shared<ms1::dui::SkinLoader>(QDir(programFolder).filePath("res"));
    auto texts = std::make_shared<ms1::dui::LanguageTexts>();
    texts->Load(QDir(skins->ResourceFolder()).filePath("lan.xml"));

    ms1::MousePageWindow page(ms1::GetDataFolder());
    ms1::CMainWnd window(skins, texts, {programFolder, ms1::CMainWnd::Tray::Auto});
    window.RegisterPage(&page);
    if (!window.Create()) {
        QTextStream(stderr) << "ms1: cannot build the main window from "
                            << QDir(skins->ResourceFolder()).filePath("main.xml")
                            << " (is res/ beside the program?)\n";
        return 2;
    }
    QObject::connect(&window, &ms1::CMainWnd::Ended, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    instance.SetActivationTarget(&window.Messages());
    window.Widget()->resize(800, 572);
    window.CenterOnScreen();
    window.ShowAndRaise();
    QApplication::exec();
    // Whatever was edited is on disk before the program ends.
    page.Shutdown();
    window.UnregisterPage();
    ms1::DetachCaption(window);
    return 0;
}
