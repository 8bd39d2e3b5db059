#pragma once

#include <QApplication>

// One application object for the whole test executable (widgets need QApplication).
inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "ms1_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}
