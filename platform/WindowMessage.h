#pragma once

#include <QString>
#include <cstdint>

namespace ms1 {

// One window message as it reaches a window's handler. `text` carries what the Windows design
// passed behind a pointer in wParam (the name of a clicked menu item); it is empty otherwise.
struct Message {
    std::uint32_t number = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    QString text;
};

}  // namespace ms1
