#include "platform/dui/NotifyBridge.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace ms1::dui {
namespace {

const char* const kAttachedProperty = "_ms1_notify_attached";

bool IsOption(const QAbstractButton* button) {
    return qobject_cast<const QRadioButton*>(button) != nullptr ||
           (button->isCheckable() && button->autoExclusive() &&
            qobject_cast<const QCheckBox*>(button) == nullptr);
}

}  // namespace

NotifyBridge::NotifyBridge(Sink sink, QObject* parent) : QObject(parent), sink_(std::move(sink)) {}

QString NotifyBridge::VirtualWindowOf(const QWidget* control) {
    for (const QWidget* at = control; at != nullptr; at = at->parentWidget()) {
        const QVariant name = at->property("virtualwnd");
        if (name.isValid()) {
            return name.toString();
        }
        if (at->isWindow()) {
            break;
        }
    }
    return {};
}

void NotifyBridge::Emit(QWidget* control, const QString& type, std::uintptr_t wParam,
                        std::intptr_t lParam) {
    if (sink_) {
        sink_(TNotify{type, control->objectName(), VirtualWindowOf(control), control, wParam,
                      lParam});
    }
}

void NotifyBridge::Attach(QWidget* root) {
    Connect(root);
    for (QWidget* child : root->findChildren<QWidget*>()) {
        Connect(child);
    }
}

void NotifyBridge::Connect(QWidget* control) {
    // Qt's own inner widgets (scroll bars of a list, the edit of a combo) have no name.
    if (control->objectName().isEmpty() || control->objectName().startsWith(u"qt_") ||
        control->property(kAttachedProperty).toBool()) {
        return;
    }
    control->setProperty(kAttachedProperty, true);

    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        if (qobject_cast<QCheckBox*>(button) != nullptr) {
            connect(button, &QAbstractButton::clicked, this,
                    [this, button](bool checked) { Emit(button, "checkclick", checked, 0); });
        } else if (IsOption(button)) {
            connect(button, &QAbstractButton::toggled, this, [this, button](bool checked) {
                if (checked) {
                    Emit(button, "selectchanged", 1, 0);
                }
            });
        } else {
            connect(button, &QAbstractButton::clicked, this,
                    [this, button] { Emit(button, "click", 0, 0); });
        }
        button->installEventFilter(this);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this, combo](int index) { Emit(combo, "itemselect", index, 0); });
    } else if (auto* list = qobject_cast<QListWidget*>(control)) {
        connect(list, &QListWidget::currentRowChanged, this, [this, list](int row) {
            if (row >= 0) {
                Emit(list, "itemselect", row, 0);
            }
        });
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        connect(slider, &QAbstractSlider::valueChanged, this,
                [this, slider](int value) { Emit(slider, "valuechanged", value, 0); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        connect(edit, &QLineEdit::textEdited, this,
                [this, edit] { Emit(edit, "textchanged", 0, 0); });
        connect(edit, &QLineEdit::returnPressed, this,
                [this, edit] { Emit(edit, "return", 0, 0); });
        edit->installEventFilter(this);
    }
}

bool NotifyBridge::eventFilter(QObject* watched, QEvent* event) {
    auto* control = qobject_cast<QWidget*>(watched);
    if (control != nullptr) {
        switch (event->type()) {
            case QEvent::FocusIn:
                Emit(control, "setfocus", 0, 0);
                break;
            case QEvent::FocusOut:
                Emit(control, "killfocus", 0, 0);
                break;
            case QEvent::Enter:
                Emit(control, "mouseenter", 0, 0);
                break;
            case QEvent::Leave:
                Emit(control, "mouseleave", 0, 0);
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace ms1::dui
