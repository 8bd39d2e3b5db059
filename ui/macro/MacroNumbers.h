#pragma once

#include <string_view>

namespace ms1 {

// Delays of macro actions, in milliseconds.
inline constexpr int kMinDelay = 1;
inline constexpr int kMaxDelay = 25000;
inline constexpr int kMinDefaultDelay = 10;
// What a new action waits until the next one tells its real gap.
inline constexpr int kRecordedDelayMs = 10;

// The number a typed text starts with, as the decimal fields read it: leading blanks and a
// sign, then digits up to the first other character; 0 when there is none. Very long numbers
// stay very large instead of wrapping.
long long ParseDecimal(std::string_view text);

inline long long ClampNumber(long long value, long long low, long long high) {
    return value < low ? low : (value > high ? high : value);
}

}  // namespace ms1
