#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ms1 {

// Switches the active profile with the application that has the focus: to the profile of
// its rule when it has one, and back to the profile last chosen by hand when the focus goes
// to an application without one. It only decides; the page makes the profile active and
// applies it (a switch of the switcher's own sends only what differs from what the mouse
// holds, and cuts short an apply under way, so that a run of quick switches ends with the
// last wanted profile). Window thread; no Qt.
class AppProfileSwitcher {
  public:
    struct Ports {
        // The profile of the rule for an application id (letter case aside), if any.
        std::function<std::optional<std::u16string>(std::string_view appId)> ruleFor;
        // Whether switching by application is on.
        std::function<bool()> enabled;
        // Makes profile `name` active; `byHand` false for the switcher's own switches. False
        // when there is no such profile.
        std::function<bool(const std::u16string& name, bool byHand)> activate;
        // The active profile's name, for the one to come back to.
        std::function<std::u16string()> activeProfile;
        // Hears each switch the switcher made: the profile and the application whose rule
        // chose it (empty when the profile chosen by hand came back). May be empty.
        std::function<void(const std::u16string& profile, const std::string& appId)> switched;
    };

    explicit AppProfileSwitcher(Ports ports) : ports_(std::move(ports)) {}

    // The focus went to a window of application `appId` (empty: no window, or one without
    // an id).
    void OnFocus(const std::string& appId);
    // The user chose profile `name` (in the list, the tray or ms1ctl): it is the one that
    // comes back when the focus leaves applications with rules, and it stays until the focus
    // goes to another application.
    void OnChosenByHand(const std::u16string& name);
    // The rules or the switch changed: what has the focus is looked at again.
    void Reconsider();

    // The application whose rule made the active profile active; empty when it was chosen by
    // hand (or came back).
    const std::string& RuleApp() const { return ruleApp_; }

  private:
    bool IsActive(const std::u16string& name) const;

    Ports ports_;
    std::string focused_;
    std::string ruleApp_;
    // The profile to come back to; unset until the first switch by rule.
    std::optional<std::u16string> byHand_;
};

}  // namespace ms1
