#include "protocol/WiredMessages.h"

namespace ms1 {

std::uint32_t WiredDataValue(std::uintptr_t wParam, std::intptr_t lParam) {
    return static_cast<std::uint32_t>((wParam << 16) ^
                                      (static_cast<std::uintptr_t>(lParam) & 0xFFFF));
}

std::uint32_t WiredStateValue(std::uintptr_t wParam) {
    switch (wParam) {
        case 0:
            return 0x7F000002;
        case 1:
            return 0x7F000001;
        default:
            return 0x7F000000;
    }
}

}  // namespace ms1
