#pragma once

#include <string_view>

namespace ms1 {

// The kinds of control notification the windows' logic acts on. The skin layer names them
// ("click", "selectchanged", ...); Other stands for any name none of the windows handles.
enum class NotificationType {
    Click,
    SelectChanged,
    CheckClick,
    ItemSelect,
    SetFocus,
    KillFocus,
    Return,
    Timer,
    ValueChanged,
    TextChanged,
    Other,
};

// The kind a notification name stands for; names are compared exactly.
NotificationType NotificationTypeOf(std::string_view name);

}  // namespace ms1
