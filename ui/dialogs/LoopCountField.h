#pragma once

#include <string>
#include <string_view>

namespace ms1 {

// How many times a macro plays in the first repeat mode.
inline constexpr int kMinLoopCount = 1;
inline constexpr int kMaxLoopCount = 255;

// The text with every character that is not a decimal digit 0-9 removed.
std::u16string KeepDigits(std::u16string_view text);

// The loop count a finished entry stands for: the number when it lies in 1..255, 255 for any
// larger number (however many digits), 1 for zero, an empty entry or no number at all.
int LoopCountFromText(std::u16string_view text);

// A loop count taken from elsewhere (a stored profile), brought into 1..255.
int ClampLoopCount(int count);

}  // namespace ms1
