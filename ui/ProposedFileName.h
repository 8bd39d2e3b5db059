#pragma once

#include <string>
#include <string_view>

namespace ms1 {

// The file name a save dialog proposes for a record: its name with the extension, e.g.
// "Shooter.pro". Characters no file name may hold ('/' and NUL, and the ':', '\\', '*', '?',
// '"', '<', '>', '|' that other systems refuse) become '_'; leading and trailing blanks and
// dots go; an empty result is "unnamed".
std::u16string ProposedFileName(std::u16string_view name, std::u16string_view extension);

}  // namespace ms1
