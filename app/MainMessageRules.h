#pragma once

#include <QString>
#include <cstdint>

namespace ms1 {

enum class MenuCommand {
    None,
    ShowWindow,         // "configuration", any case
    Exit,               // "exit", any case
    Autostart,          // "autostart", any case: start with the desktop, or no longer
    About,              // "about", any case: the About box of the main menu
    Notifications,      // "notifications", any case: desktop notifications on or off
    RuleNotifications,  // "rule_notifications", any case: those of rule switches on or off
    AppProfiles,        // "app_profiles", any case: the application profiles dialog
    ButtonMenu,         // an item of the button function menu: the name starts with "ms_1"
};
MenuCommand ClassifyMenuCommand(const QString& itemName);

// Why the empty page is shown instead of the device page.
enum class NoMouseReason {
    NoReceiver,    // nothing plugged in: plug in the receiver or the cable
    AccessDenied,  // a receiver is there whose node this user may not open
    MouseSilent,   // the receiver is there, its mouse does not answer (asleep, off, far away)
};
NoMouseReason NoMouseReasonFor(bool receiverPluggedIn, bool accessDenied);

// The language keys of the empty page's title and hint for a reason.
struct EmptyPageKeys {
    const char* title;
    const char* hint;
};
EmptyPageKeys EmptyPageKeysFor(NoMouseReason reason);

// The device tab's page: the device page while any link is up, else the empty page.
inline int DeviceTabFor(bool anyConnected) {
    return anyConnected ? 1 : 0;
}

}  // namespace ms1
