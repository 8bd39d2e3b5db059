#pragma once

#include <QString>

class QWidget;

namespace ms1 {

// What the access command's field and button say: the button's caption once it has copied,
// the field's accessible name and description.
struct AccessCommandTexts {
    QString copied;
    QString name;
    QString description;
};

// The command that gives the user access to the receiver, on the empty page under its hint:
// whole, wrapped, selectable, with a button that copies it to the clipboard. An empty
// command hides both. `window` holds the skin's button "empty_copy_btn"; the field
// "empty_command" is made beside it the first time there is a command to show, since most
// starts never need it.
void ShowAccessCommand(QWidget* window, const QString& command, const AccessCommandTexts& texts);

}  // namespace ms1
