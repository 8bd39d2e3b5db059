#include "ui/page/AppProfileSwitcher.h"

#include "core/Utf16Text.h"

namespace ms1 {

void AppProfileSwitcher::OnFocus(const std::string& appId) {
    focused_ = appId;
    Reconsider();
}

void AppProfileSwitcher::OnChosenByHand(const std::u16string& name) {
    byHand_ = name;
    ruleApp_.clear();
}

bool AppProfileSwitcher::IsActive(const std::u16string& name) const {
    return ports_.activeProfile && NamesEqual(ports_.activeProfile(), name);
}

void AppProfileSwitcher::Reconsider() {
    const bool enabled = !ports_.enabled || ports_.enabled();
    std::optional<std::u16string> wanted;
    if (enabled && !focused_.empty() && ports_.ruleFor)
        wanted = ports_.ruleFor(focused_);
    if (wanted) {
        if (ruleApp_ == focused_ && IsActive(*wanted))
            return;
        // With no rule in force the active profile is the one chosen by hand (renamed
        // meanwhile, perhaps): it is the one to come back to.
        if (ruleApp_.empty() && ports_.activeProfile)
            byHand_ = ports_.activeProfile();
        // Already active (chosen by hand, or another rule's): nothing to send, but the rule
        // is why it stays.
        if (!IsActive(*wanted) && !ports_.activate(*wanted, false))
            return;  // a rule whose profile is gone changes nothing
        ruleApp_ = focused_;
        if (ports_.switched)
            ports_.switched(*wanted, ruleApp_);
        return;
    }
    // No rule for what has the focus: the profile chosen by hand comes back.
    if (ruleApp_.empty())
        return;
    ruleApp_.clear();
    if (!byHand_)
        return;
    if (!IsActive(*byHand_) && !ports_.activate(*byHand_, false))
        return;
    if (ports_.switched)
        ports_.switched(*byHand_, std::string());
}

}  // namespace ms1
