#include "ui/NotificationRules.h"

namespace ms1 {
namespace {

// The language text with "%1" and "%2" (or "%s" for the first) replaced by the values, in
// one pass: a value that holds a mark itself stays as it is.
std::u16string Fill(const std::u16string& text, const std::u16string& first,
                    const std::u16string& second = {}) {
    std::u16string filled;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
        if (text[i] == u'%' && (next == u's' || next == u'1')) {
            filled += first;
            ++i;
        } else if (text[i] == u'%' && next == u'2') {
            filled += second;
            ++i;
        } else {
            filled += text[i];
        }
    }
    return filled;
}

std::u16string Number(int value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

void NotificationRules::BatteryLevel(int level) {
    if (level > kLowBattery) {
        lowTold_ = false;
        return;
    }
    // While the window is shown the page shows the level; the notice waits for the first
    // report after the window went.
    if (lowTold_ || !MayShow())
        return;
    lowTold_ = true;
    Show("notice_battery_low_title", Fill(texts_.Text("notice_battery_low_text"), Number(level)));
}

void NotificationRules::ProfileSwitchedByRule(const std::u16string& application,
                                              const std::u16string& profile) {
    if (!settings_.ruleSwitches || !MayShow())
        return;
    Show("notice_rule_switch_title",
         Fill(texts_.Text("notice_rule_switch_text"), profile, application));
}

void NotificationRules::ApplyFinished(bool allConfirmed) {
    if (!allConfirmed && MayShow())
        Show("notice_unconfirmed_title", texts_.Text("notice_unconfirmed_text"));
}

void NotificationRules::Show(const char* summaryKey, std::u16string body) {
    notices_.Show(texts_.Text(summaryKey), body);
}

}  // namespace ms1
