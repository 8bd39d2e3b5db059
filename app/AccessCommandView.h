#pragma once

#include <QString>

class QWidget;

namespace ms1 {

// The command that gives the user access to the receiver, on the empty page under its hint:
// whole, wrapped, selectable, with a button that copies it to the clipboard. An empty
// command hides both. `window` holds the skin controls "empty_command" and "empty_copy_btn";
// `copiedText` is what the button says once it has copied.
void ShowAccessCommand(QWidget* window, const QString& command, const QString& copiedText);

}  // namespace ms1
