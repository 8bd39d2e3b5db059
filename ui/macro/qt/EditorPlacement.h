#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace ms1 {

// Where the macro editor opens: at its wanted size where the screen's free area has room,
// smaller where it has not (never below the layout's minimum), centred on `centre` and then
// moved so that the whole window is on that area, title bar first.
QRect PlaceOnScreen(QSize wanted, QSize minimum, const QRect& available, QPoint centre);

}  // namespace ms1
