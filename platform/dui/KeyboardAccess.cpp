#include "platform/dui/KeyboardAccess.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLayout>
#include <QScrollArea>
#include <QSet>
#include <algorithm>
#include <tuple>
#include <vector>

namespace ms1::dui {
namespace {

const char* const kAttachedName = "_ms1_keyboard_access";

class OrderWalk {
  public:
    explicit OrderWalk(QWidget* root) : root_(root) {}

    QList<QWidget*> Run() {
        Widget(root_);
        return stops_;
    }

  private:
    static bool TakesFocus(const QWidget* widget) {
        // An option of an exclusive group keeps its place even after Qt took the Tab focus
        // from it (only the group's focused option is a Tab stop).
        const auto* button = qobject_cast<const QAbstractButton*>(widget);
        return widget->focusPolicy() != Qt::NoFocus ||
               (button != nullptr && button->autoExclusive());
    }
    // A control whose child widgets are parts of it (a list's viewport, a combo box's edit).
    static bool IsWhole(const QWidget* widget) {
        if (qobject_cast<const QAbstractScrollArea*>(widget) != nullptr)
            return qobject_cast<const QScrollArea*>(widget) == nullptr;
        return qobject_cast<const QComboBox*>(widget) != nullptr ||
               qobject_cast<const QAbstractSpinBox*>(widget) != nullptr;
    }

    void Widget(QWidget* widget) {
        if (seen_.contains(widget) || (widget != root_ && widget->isWindow()))
            return;
        seen_.insert(widget);
        if (widget != root_ && TakesFocus(widget))
            stops_ << widget;
        if (IsWhole(widget))
            return;
        if (QLayout* layout = widget->layout())
            Layout(layout);
        // Children that no layout places (a scroll area's content, a stacked page) follow.
        for (QObject* child : widget->children()) {
            if (auto* inner = qobject_cast<QWidget*>(child))
                Widget(inner);
        }
    }

    void Layout(QLayout* layout) {
        // Row, column, index: a grid reads row by row, a box in its own order.
        std::vector<std::tuple<int, int, int>> places;
        auto* grid = qobject_cast<QGridLayout*>(layout);
        for (int i = 0; i < layout->count(); ++i) {
            int row = 0, column = i, rowSpan = 0, columnSpan = 0;
            if (grid != nullptr)
                grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            places.emplace_back(row, column, i);
        }
        std::stable_sort(places.begin(), places.end());
        for (const auto& [row, column, index] : places) {
            QLayoutItem* item = layout->itemAt(index);
            if (QWidget* widget = item->widget())
                Widget(widget);
            else if (QLayout* inner = item->layout())
                Layout(inner);
        }
    }

    QWidget* root_;
    QSet<QWidget*> seen_;
    QList<QWidget*> stops_;
};

bool IsEnter(const QKeyEvent* key) {
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

}  // namespace

KeyboardAccess::KeyboardAccess(QWidget* window) : QObject(window), window_(window) {
    setObjectName(kAttachedName);
    if (qobject_cast<QDialog*>(window) == nullptr) {
        window->installEventFilter(this);
        // The window opens with no control focused, so no ring shows before the keyboard is
        // used: Qt would give its first stop the focus. Tab starts at the first stop, Shift+Tab
        // at the last. (A dialog puts the focus where its first input is.)
        if (window->focusWidget() == nullptr)
            window->setFocus(Qt::OtherFocusReason);
    }
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { FocusMoved(now); });
}

void KeyboardAccess::Attach(QWidget* window) {
    if (window == nullptr)
        return;
    const QList<QWidget*> stops = LayoutOrder(window);
    for (qsizetype i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops[i - 1], stops[i]);
    if (window->findChild<KeyboardAccess*>(kAttachedName, Qt::FindDirectChildrenOnly) == nullptr)
        new KeyboardAccess(window);
}

QList<QWidget*> KeyboardAccess::LayoutOrder(QWidget* root) {
    return root != nullptr ? OrderWalk(root).Run() : QList<QWidget*>{};
}

bool KeyboardAccess::eventFilter(QObject* watched, QEvent* event) {
    // Keys the focused control left unused come up to the window.
    if (watched == window_ && event->type() == QEvent::KeyPress &&
        IsEnter(static_cast<QKeyEvent*>(event))) {
        auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
        if (button != nullptr && button->window() == window_ && button->isEnabled()) {
            button->click();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void KeyboardAccess::FocusMoved(QWidget* now) {
    if (now == nullptr || now->window() != window_)
        return;
    for (QWidget* at = now->parentWidget(); at != nullptr && at != window_;
         at = at->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(at)) {
            area->ensureWidgetVisible(now, 8, 8);
            return;
        }
    }
}

}  // namespace ms1::dui
