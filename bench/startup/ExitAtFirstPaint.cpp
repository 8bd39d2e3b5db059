// Preloaded into a Qt Widgets program (LD_PRELOAD) to end it as soon as its first top-level
// window has painted its first frame, so that a count taken over the whole process (valgrind
// --tool=callgrind, /proc) covers the start-up to the first frame and nothing after it. The
// floor and ms1 are ended the same way, without a change to either.
#include <unistd.h>
#include <QCoreApplication>
#include <QEvent>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace {

class ExitAtFirstPaint : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || done_ || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (!widget->isWindow() || widget->width() < 100 || widget->height() < 100)
            return false;
        done_ = true;
        // The rest of the frame (the children's paint events and the flush) is done in this
        // turn of the event loop; the next turn ends the process there, after keeping a
        // picture of the window when asked to (to compare two builds' first frames).
        QTimer::singleShot(0, [widget] {
            const QByteArray picture = qgetenv("MS1_FIRST_FRAME_PNG");
            if (!picture.isEmpty())
                widget->grab().save(QString::fromLocal8Bit(picture));
            _exit(0);
        });
        return false;
    }

  private:
    bool done_ = false;
};

void Install() {
    QCoreApplication::instance()->installEventFilter(new ExitAtFirstPaint);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Install)
