#pragma once

#include <cstdint>

namespace ms1 {

// Window messages of the main window (WM_USER range) and thread messages of the apply worker.
// The numbers are the identities every part of the program and the run-time libraries use.
enum WindowMessage : std::uint32_t {
    MSG_TRAY_ICON = 1025,
    MSG_MENU_CLICK = 1027,
    MSG_HOOK_EVENT = 1034,
    MSG_ACTIVATE_INSTANCE = 1037,
    MSG_CONNECTION_CHANGED = 1128,
    MSG_STAGE_CHANGED = 1129,
    MSG_APPLY_NOW = 1536,
    MSG_WIRED_DATA = 1539,
    MSG_WIRED_STATE = 1540,
    MSG_APPLY_TRIGGER = 1541,
};

// Timers of the main window.
enum WindowTimer : int {
    TIMER_USB_ARRIVAL = 54,         // 1000 ms, one enumeration after the last arrival
    TIMER_WIRELESS_WATCHDOG = 512,  // 6000 ms
    TIMER_APPLY_DELAY = 513,        // 200 or 500 ms
    TIMER_PAGE_DEFERRED = 514,      // 10 ms
    TIMER_CHARGE_ANIMATION = 515,   // 30 ms, periodic
    TIMER_BLE_DISCOVERY = 516,      // 2000 ms
};

}  // namespace ms1
