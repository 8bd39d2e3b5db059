#pragma once

#include <QString>

namespace ms1 {
namespace dui {
class DuiWindow;
}

// The program's message box over `owner` (1 for OK, 0 otherwise), closed without leaving the
// window base watching a caption that is being torn down.
int PageMessageBox(const dui::DuiWindow& owner, const QString& titleKey, const QString& messageKey);

}  // namespace ms1
