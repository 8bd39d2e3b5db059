#pragma once

#include "platform/dui/DuiWindow.h"

namespace ms1 {

// The window base watches its skin's "caption" for dragging and looks controls up while it
// does; a window tearing down its widgets stops that watch first, or the lookup would walk a
// half-destroyed widget tree.
inline void DetachCaption(dui::DuiWindow& window) {
    if (QWidget* caption = window.FindControl(QStringLiteral("caption"))) {
        caption->removeEventFilter(&window);
    }
}

}  // namespace ms1
