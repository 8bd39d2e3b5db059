#pragma once

#include <QApplication>

// One application object for the whole test executable (widgets need QApplication). It is
// never destroyed: tearing Qt's GUI down from static destructors at exit is not safe.
inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "ms1_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
