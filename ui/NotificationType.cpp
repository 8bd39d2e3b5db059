#include "ui/NotificationType.h"

#include <cstddef>

namespace ms1 {

namespace {

// The names of the skin layer, in the order of NotificationType (Other has none).
constexpr std::string_view kNames[] = {"click",        "selectchanged", "checkclick", "itemselect",
                                       "setfocus",     "killfocus",     "return",     "timer",
                                       "valuechanged", "textchanged"};
static_assert(std::size(kNames) == static_cast<std::size_t>(NotificationType::Other));

}  // namespace

NotificationType NotificationTypeOf(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
        if (kNames[i] == name)
            return static_cast<NotificationType>(i);
    }
    return NotificationType::Other;
}

}  // namespace ms1
