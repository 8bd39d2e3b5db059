// The floors scripts/measure holds ms1 against: the least a Qt Widgets program does to put one
// 800 x 572 window on the screen, with the same Qt, the same platform plugin and the same
// build type as the program. With --label the window shows one line of text, so the program
// also sets up fonts and lays out and draws text, as any window with a word in it does.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("floor"));
    if (QApplication::arguments().contains(QStringLiteral("--label"))) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel(QStringLiteral("Hello")));
    }
    window.resize(800, 572);
    window.show();
    return app.exec();
}
