#include "ui/macro/qt/EditorPlacement.h"

#include <algorithm>

namespace ms1 {

QRect PlaceOnScreen(QSize wanted, QSize minimum, const QRect& available, QPoint centre) {
    const int width = std::max(minimum.width(), std::min(wanted.width(), available.width()));
    const int height = std::max(minimum.height(), std::min(wanted.height(), available.height()));
    QRect placed(0, 0, width, height);
    placed.moveCenter(centre);
    // Right and bottom edges first, so that a window larger than the area keeps its top
    // left corner (the title bar and the close button) on it.
    if (placed.right() > available.right())
        placed.moveRight(available.right());
    if (placed.bottom() > available.bottom())
        placed.moveBottom(available.bottom());
    if (placed.left() < available.left())
        placed.moveLeft(available.left());
    if (placed.top() < available.top())
        placed.moveTop(available.top());
    return placed;
}

}  // namespace ms1
