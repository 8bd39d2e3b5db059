#include "platform/dui/WheelGuard.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

namespace ms1::dui {
namespace {

const char* const kGuardedProperty = "_ms1_wheel_guarded";

QAbstractScrollArea* ScrollAreaAround(const QWidget* control) {
    for (QWidget* at = control->parentWidget(); at != nullptr; at = at->parentWidget()) {
        if (auto* area = qobject_cast<QAbstractScrollArea*>(at))
            return area;
        if (at->isWindow())
            break;
    }
    return nullptr;
}

}  // namespace

WheelGuard::WheelGuard(QObject* parent) : QObject(parent) {}

bool WheelGuard::Guards(const QWidget* control) {
    // A scroll bar is what the wheel is meant for.
    if (qobject_cast<const QScrollBar*>(control) != nullptr)
        return false;
    return qobject_cast<const QAbstractSlider*>(control) != nullptr ||
           qobject_cast<const QComboBox*>(control) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(control) != nullptr;
}

void WheelGuard::Attach(QWidget* root) {
    if (root == nullptr)
        return;
    QList<QWidget*> controls = root->findChildren<QWidget*>();
    controls.prepend(root);
    for (QWidget* control : controls) {
        if (!Guards(control) || control->property(kGuardedProperty).toBool())
            continue;
        control->setProperty(kGuardedProperty, true);
        // Qt::WheelFocus would hand the focus over on the first turn of the wheel.
        if ((control->focusPolicy() & Qt::WheelFocus) == Qt::WheelFocus)
            control->setFocusPolicy(Qt::StrongFocus);
        control->installEventFilter(this);
    }
}

bool WheelGuard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    auto* control = qobject_cast<QWidget*>(watched);
    if (control == nullptr || control->hasFocus())
        return QObject::eventFilter(watched, event);
    // Handed on to the scroll area explicitly: Qt passes an ignored wheel event to the parent
    // only when it came from the window system.
    if (QAbstractScrollArea* area = ScrollAreaAround(control)) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        QWidget* viewport = area->viewport();
        QWheelEvent forwarded(viewport->mapFromGlobal(wheel->globalPosition()),
                              wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(),
                              wheel->buttons(), wheel->modifiers(), wheel->phase(),
                              wheel->inverted(), wheel->source());
        QCoreApplication::sendEvent(viewport, &forwarded);
    }
    event->accept();
    return true;
}

}  // namespace ms1::dui
