#pragma once

#include <QApplication>

// One application object for the whole test executable (widgets need QApplication). It is
// never destroyed: tearing Qt's GUI down from static destructors at exit is not safe.
QApplication& TestApp();
