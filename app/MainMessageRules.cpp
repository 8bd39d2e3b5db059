#include "app/MainMessageRules.h"

namespace ms1 {

MenuCommand ClassifyMenuCommand(const QString& itemName) {
    if (itemName.compare(u"configuration", Qt::CaseInsensitive) == 0) {
        return MenuCommand::ShowWindow;
    }
    if (itemName.compare(u"exit", Qt::CaseInsensitive) == 0) {
        return MenuCommand::Exit;
    }
    if (itemName.compare(u"autostart", Qt::CaseInsensitive) == 0) {
        return MenuCommand::Autostart;
    }
    if (itemName.compare(u"about", Qt::CaseInsensitive) == 0) {
        return MenuCommand::About;
    }
    if (itemName.compare(u"notifications", Qt::CaseInsensitive) == 0) {
        return MenuCommand::Notifications;
    }
    if (itemName.compare(u"rule_notifications", Qt::CaseInsensitive) == 0) {
        return MenuCommand::RuleNotifications;
    }
    if (itemName.compare(u"app_profiles", Qt::CaseInsensitive) == 0) {
        return MenuCommand::AppProfiles;
    }
    // Only names that really start with "ms_1" belong to the button function menu; a shorter
    // name (an empty one, or "ms") is no item of it.
    if (itemName.startsWith(u"ms_1", Qt::CaseSensitive)) {
        return MenuCommand::ButtonMenu;
    }
    return MenuCommand::None;
}

NoMouseReason NoMouseReasonFor(bool receiverPluggedIn, bool accessDenied) {
    if (accessDenied)
        return NoMouseReason::AccessDenied;
    return receiverPluggedIn ? NoMouseReason::MouseSilent : NoMouseReason::NoReceiver;
}

EmptyPageKeys EmptyPageKeysFor(NoMouseReason reason) {
    switch (reason) {
        case NoMouseReason::AccessDenied:
            return {"no_device_text", "no_access_text"};
        case NoMouseReason::MouseSilent:
            return {"mouse_silent_text", "mouse_silent_hint_text"};
        case NoMouseReason::NoReceiver:
            break;
    }
    return {"no_device_text", "no_device_hint_text"};
}

}  // namespace ms1
