#include "tests/support/QtTestApp.h"

QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "ms1_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
