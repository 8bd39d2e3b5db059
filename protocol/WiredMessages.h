#pragma once

#include <cstdint>

namespace ms1 {

// The status values the vendor library's monitor messages stand for, as the status decoding
// takes them. 1539: the low 16 bits of wParam above the low 16 bits of lParam.
std::uint32_t WiredDataValue(std::uintptr_t wParam, std::intptr_t lParam);
// 1540: 0x7F000001 when the mouse arrived (1), 0x7F000002 when it left (0), else 0x7F000000.
std::uint32_t WiredStateValue(std::uintptr_t wParam);

}  // namespace ms1
