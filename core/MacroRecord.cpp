#include "core/MacroRecord.h"

#include <cstring>

namespace ms1 {

MacroRecord MakeEmptyMacro(std::u16string_view name) {
    MacroRecord macro;
    std::memset(&macro, 0, sizeof macro);
    macro.name.set(name);
    return macro;
}

int WeightedLength(const MacroRecord& macro) {
    int count = macro.actionCount;
    if (count < 0)
        count = 0;
    if (count > kMaxMacroActions)
        count = kMaxMacroActions;
    int length = 0;
    for (int i = 0; i < count; ++i) {
        length += macro.actions[i].delay > 128 ? 2 : 1;
    }
    return length;
}

bool IsValidMacro(const MacroRecord& macro) {
    return macro.actionCount >= 0 && macro.actionCount <= kMaxMacroActions &&
           macro.name.terminated();
}

}  // namespace ms1
