#pragma once

#include <string>

#include "ports/DesktopNotices.h"
#include "ports/TextLookup.h"
#include "storage/SettingsFile.h"

namespace ms1 {

// Decides what the desktop is told while the window is hidden: a low battery once per
// discharge, a profile switched by an application rule, an apply the mouse did not confirm.
// While the window is shown the page says all of it, and nothing is sent. Texts come from the
// language file. Window thread only.
class NotificationRules {
  public:
    // The level at or below which the battery is low, in percent.
    static constexpr int kLowBattery = 10;

    // `notices` and `texts` must outlive the rules.
    NotificationRules(DesktopNotices& notices, const TextLookup& texts)
        : notices_(notices), texts_(texts) {}

    // Which ones the user wants: `all` turns every one off, `ruleSwitches` only the profile
    // switches by a rule.
    void SetSettings(const NotificationSettings& settings) { settings_ = settings; }
    const NotificationSettings& Settings() const { return settings_; }
    // Until told otherwise the window counts as shown.
    void SetWindowShown(bool shown) { windowShown_ = shown; }

    // A battery level the mouse reported (0 to 100). A level at or below the low one is told
    // once per discharge, at the first report while the window is hidden; again only after
    // charging or a level above it.
    void BatteryLevel(int level);
    // The mouse charges or reported a full battery: a new discharge begins.
    void BatteryCharging() { lowTold_ = false; }

    // An application rule made `profile` the active one while `application` has the focus.
    void ProfileSwitchedByRule(const std::u16string& application, const std::u16string& profile);
    // An apply ended; `allConfirmed` false when the mouse did not confirm every report.
    void ApplyFinished(bool allConfirmed);

  private:
    bool MayShow() const { return settings_.all && !windowShown_; }
    void Show(const char* summaryKey, std::u16string body);

    DesktopNotices& notices_;
    const TextLookup& texts_;
    NotificationSettings settings_;
    bool windowShown_ = true;
    bool lowTold_ = false;  // this discharge's low battery was told
};

}  // namespace ms1
