// The floor scripts/measure holds ms1 against: the least a Qt Widgets program does to put one
// 800 x 572 window on the screen, with the same Qt, the same platform plugin and the same
// build type as the program.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("floor"));
    window.resize(800, 572);
    window.show();
    return app.exec();
}
