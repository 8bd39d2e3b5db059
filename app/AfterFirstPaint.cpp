#include "app/AfterFirstPaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace ms1 {

AfterFirstPaint::AfterFirstPaint(QWidget* window, std::function<void()> work)
    : QObject(window), window_(window), work_(std::move(work)) {}

void AfterFirstPaint::Run(QWidget* window, std::function<void()> work) {
    if (window == nullptr || !work)
        return;
    auto* waiter = new AfterFirstPaint(window, std::move(work));
    window->installEventFilter(waiter);
    // A window that is not on the screen paints nothing: the work waits one turn only.
    QTimer::singleShot(0, waiter, [waiter] {
        if (!waiter->window_->isVisible())
            waiter->Start();
    });
}

bool AfterFirstPaint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Paint)
        Start();
    return false;
}

void AfterFirstPaint::Start() {
    if (started_)
        return;
    started_ = true;
    window_->removeEventFilter(this);
    // After the paint event has been handled and the frame flushed to the screen.
    QTimer::singleShot(0, this, [this] {
        std::function<void()> work = std::move(work_);
        deleteLater();
        work();
    });
}

}  // namespace ms1
