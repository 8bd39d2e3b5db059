#pragma once

#include "cli/CliCommand.h"
#include "cli/StoreArgs.h"

namespace ms1::cli {

// "macro show NAME": one line per action of the stored macro NAME (any letter case):
// index TAB key name TAB press or release TAB delay in ms. Key names are those the editor
// shows: the language file beside the program and the keyboard layout in use.
int ShowMacroCommand(CliContext& context, const StoreArgs& args);

}  // namespace ms1::cli
