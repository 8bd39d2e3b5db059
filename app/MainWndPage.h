#pragma once

#include <string>
#include <vector>

#include <QString>
#include <cstdint>

#include "platform/WindowMessage.h"
#include "platform/dui/TNotify.h"
#include "storage/SettingsFile.h"

namespace ms1 {

// What the main window needs from the page it hosts (the mouse page registers itself as the
// virtual window "MS_1_Page"). Every call comes on the window's thread.
class CMainWnd;

class MainWndPage {
  public:
    virtual ~MainWndPage() = default;

    // Called during the window's initialisation, right after the page was registered: the
    // page binds its controls (in window.PageHost()), keeps the window for its messages and
    // timers and the address of window.Hooks(), which is filled a little later.
    virtual void InitPage(CMainWnd& window) = 0;
    // Called at the end of the window's initialisation.
    virtual void LoadProfiles() = 0;

    // Notifications of the controls inside the page.
    virtual void Notify(const dui::TNotify& notify) = 0;
    // Whether any link to the mouse is up; decides the device tab on message 1128.
    virtual bool AnyConnected() const = 0;
    // Message 1128 after the tab was chosen: a link came up or went down.
    virtual void OnConnectionChanged(bool anyConnected) { (void)anyConnected; }
    // A receiver's node this user may not open (permission denied), for the empty page; empty
    // when there is none.
    virtual std::string AccessProblem() const { return {}; }
    // Whether the 2.4 GHz receiver is plugged in, even while its mouse does not answer.
    virtual bool ReceiverPluggedIn() const { return false; }
    // The window was shown (true), or hidden to the tray or minimised (false).
    virtual void OnWindowShown(bool shown) { (void)shown; }
    // The user changed which desktop notifications they want (kept in setting.ini).
    virtual void SetNotificationSettings(const NotificationSettings& settings) { (void)settings; }
    // The main menu's "Application profiles…" was chosen.
    virtual void OpenAppProfiles(CMainWnd& window) { (void)window; }
    // A clicked item of the button function menu (its name starts with "ms_1").
    virtual void OnButtonMenuCommand(const QString& itemName) = 0;
    // The stored profiles for the tray's "Profiles": their names in the list's order and the
    // index of the active one (-1 for none).
    struct ProfileChoices {
        std::vector<std::string> names;
        int active = -1;
    };
    virtual ProfileChoices Profiles() const { return {}; }
    // A profile chosen outside the page's list (in the tray): the same as choosing it there.
    virtual void UseProfile(const std::string& name) { (void)name; }
    // Any message the window has no rule for (the vendor library's 1539 and 1540 among them);
    // true when the page handled it.
    virtual bool OnOtherMessage(const Message& message) {
        (void)message;
        return false;
    }
};

}  // namespace ms1
