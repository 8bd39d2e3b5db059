#include "ui/dialogs/LoopCountField.h"

namespace ms1 {
namespace {

bool IsDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}

}  // namespace

std::u16string KeepDigits(std::u16string_view text) {
    std::u16string digits;
    for (char16_t unit : text) {
        if (IsDigit(unit)) {
            digits.push_back(unit);
        }
    }
    return digits;
}

int LoopCountFromText(std::u16string_view text) {
    // Accumulate with a ceiling, so a long run of digits cannot overflow into a small number.
    int value = 0;
    for (char16_t unit : text) {
        if (!IsDigit(unit)) {
            return kMinLoopCount;
        }
        value = value * 10 + (unit - u'0');
        if (value > kMaxLoopCount) {
            return kMaxLoopCount;
        }
    }
    return ClampLoopCount(value);
}

int ClampLoopCount(int count) {
    if (count < kMinLoopCount) {
        return kMinLoopCount;
    }
    return count > kMaxLoopCount ? kMaxLoopCount : count;
}

}  // namespace ms1
