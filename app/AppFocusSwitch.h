#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ports/FocusSource.h"
#include "ui/page/AppProfileSwitcher.h"

namespace ms1 {

class CMS_1_Page;

// The automatic profile switch in the running program: the focus source of this desktop
// feeds the switcher, whose switches go to the page (only the groups that differ, an apply
// under way cut short), and the page's choices by hand go back to the switcher. Window thread.
class AppFocusSwitch {
  public:
    using RuleLookup = std::function<std::optional<std::u16string>(std::string_view appId)>;

    // Follows `source` once Start is called. `enabled` may be empty (always on).
    AppFocusSwitch(CMS_1_Page& page, std::unique_ptr<FocusSource> source, RuleLookup ruleFor,
                   std::function<bool()> enabled);
    ~AppFocusSwitch();

    // The source for this desktop, picked from the environment.
    static std::unique_ptr<FocusSource> SourceForDesktop();

    // Starts following the focus; false when this desktop does not tell it (the source's
    // UnavailableReason says why).
    bool Start();
    // Hears each switch by rule or back to the profile chosen by hand (empty appId).
    void SetSwitchedListener(std::function<void(const std::u16string&, const std::string&)> l) {
        switched_ = std::move(l);
    }

    FocusSource& Source() { return *source_; }
    AppProfileSwitcher& Switcher() { return switcher_; }

  private:
    CMS_1_Page& page_;
    std::unique_ptr<FocusSource> source_;
    AppProfileSwitcher switcher_;
    std::function<void(const std::u16string&, const std::string&)> switched_;
};

}  // namespace ms1
