#pragma once

#include <QObject>

class QWidget;

namespace ms1 {

// Where the start-up time goes: with MS1_STARTUP_TRACE set in the environment the program
// writes "startup: <ms since the process began> <ms since the last mark> <heap in use> <what>"
// to stderr at each mark, and a last mark when its main window is first painted. Without the
// variable the marks cost one boolean test each.
class StartupTrace {
  public:
    static bool Enabled();
    static void Mark(const char* what);
    // One mark at the window's first paint, then the watch removes itself.
    static void WatchFirstPaint(QWidget* window);
};

}  // namespace ms1
