#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

namespace ms1::dui {

// One notification of a control: its type name ("click", "selectchanged", "itemselect", ...),
// the control and its object name, and the virtual window the control belongs to (empty for
// the window itself). wParam carries the index, value, check state or timer id.
struct TNotify {
    QString type;
    QString sender;
    QString virtualWindow;
    QPointer<QWidget> control;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

}  // namespace ms1::dui
