#pragma once

#include <QString>
#include <cstdint>

namespace ms1 {

// What the main window hands to the page for the wired mouse's monitor messages.
// 1539: the low 16 bits of wParam above the low 16 bits of lParam.
std::uint32_t WiredDataValue(std::uintptr_t wParam, std::intptr_t lParam);
// 1540: 0x7F000001 when the mouse arrived (1), 0x7F000002 when it left (0), else 0x7F000000.
std::uint32_t WiredStateValue(std::uintptr_t wParam);

enum class MenuCommand {
    None,
    ShowWindow,  // "configuration", any case
    Exit,        // "exit", any case
    Autostart,   // "autostart", any case: start with the desktop, or no longer
    ButtonMenu,  // an item of the button function menu: the name starts with "ms_1"
};
MenuCommand ClassifyMenuCommand(const QString& itemName);

// The device tab's page: the device page while any link is up, else the empty page.
inline int DeviceTabFor(bool anyConnected) {
    return anyConnected ? 1 : 0;
}

}  // namespace ms1
