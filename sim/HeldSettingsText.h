#pragma once

#include <cstdint>
#include <string>

#include "sim/MouseSettings.h"

namespace ms1::sim {

// The DPI the mouse runs stage 1..8 at, read from its stage code, extension flag and high-range
// bit as the mouse reads them; 0 for a stage it was never told.
int HeldStageDpi(const MouseSettings& settings, int stage);

// What the virtual mouse holds, in lines for its window: the active stage and its DPI, the
// polling rate, the lighting mode and colour, the buttons that differ from the mouse's own
// defaults, the macro pages stored, and the battery it reports (state 1 on battery, 2 full,
// 3 charging).
std::string DescribeHeldSettings(const MouseSettings& settings, int batteryState, int batteryLevel);

}  // namespace ms1::sim
