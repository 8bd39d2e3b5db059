#pragma once

#include <algorithm>
#include <cstdint>

#include "core/ProfileRecord.h"

namespace ms1 {

// The values the page's controls offer: the ranges of its sliders and, for a group of
// options, the stored numbers 0..n-1 that select options 1..n. A record from a damaged store
// or a foreign file can hold any number; the page shows each value clamped to its control's
// range and leaves the record's bytes as they were read.
struct PageRange {
    int min;
    int max;
    int Shown(std::int32_t value) const { return std::clamp<std::int32_t>(value, min, max); }
};

inline constexpr PageRange kDpiStepRange{kMinDpiStep, kMaxDpiStep};
inline constexpr PageRange kBrightnessRange{0, 15};
inline constexpr PageRange kBreathSpeedRange{1, 8};
inline constexpr PageRange kLightModeRange{0, 15};
inline constexpr PageRange kLightOffRange{1, 20};
inline constexpr PageRange kSleepTimerRange{1, 15};
inline constexpr PageRange kDebounceRange{1, 15};
inline constexpr PageRange kStageOptionRange{0, kDpiStages - 1};
inline constexpr PageRange kPollingRateOptionRange{0, 3};
inline constexpr PageRange kTwoOptionRange{0, 1};

}  // namespace ms1
