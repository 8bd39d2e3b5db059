#include "app/StartupTrace.h"

#include <malloc.h>

#include <unistd.h>
#include <QEvent>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace ms1 {
namespace {

double NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The process's start on the same clock (field 22 of /proc/self/stat, in clock ticks since
// boot, which is CLOCK_MONOTONIC's origin on Linux up to suspend time).
double ProcessStartMs() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return NowMs();
    const char* field = text.c_str() + close + 2;  // field 3, the state
    for (int index = 3; index < 22 && *field != '\0'; ++index) {
        field = std::strchr(field, ' ');
        if (field == nullptr)
            return NowMs();
        ++field;
    }
    const double ticks = std::strtod(field, nullptr);
    return ticks * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct TraceClock {
    bool enabled = std::getenv("MS1_STARTUP_TRACE") != nullptr;
    double start = enabled ? ProcessStartMs() : 0;
    double last = start;
};

TraceClock& Clock() {
    static TraceClock clock;
    return clock;
}

class FirstPaintWatch : public QObject {
  public:
    explicit FirstPaintWatch(QWidget* window) : QObject(window) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            StartupTrace::Mark("first paint of the main window");
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

}  // namespace

bool StartupTrace::Enabled() {
    return Clock().enabled;
}

void StartupTrace::Mark(const char* what) {
    TraceClock& clock = Clock();
    if (!clock.enabled)
        return;
    const double now = NowMs();
    // The heap in use beside the time: what each step keeps.
    const double heapKb = static_cast<double>(mallinfo2().uordblks) / 1024.0;
    std::fprintf(stderr, "startup: %8.1f %7.1f %8.0f kB %s\n", now - clock.start, now - clock.last,
                 heapKb, what);
    clock.last = now;
}

void StartupTrace::WatchFirstPaint(QWidget* window) {
    if (Clock().enabled && window != nullptr)
        new FirstPaintWatch(window);
}

}  // namespace ms1
