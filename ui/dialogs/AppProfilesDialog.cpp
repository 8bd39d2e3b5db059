#include "ui/dialogs/AppProfilesDialog.h"

#include <algorithm>

#include "core/Utf16Text.h"

namespace ms1 {
namespace {

bool AppsEqual(std::string_view a, std::string_view b) {
    return NamesEqual(FromUtf8(a), FromUtf8(b));
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

}  // namespace

AppProfilesDialog::AppProfilesDialog(Ports ports) : ports_(std::move(ports)) {
    Reload();
    if (!rules_.empty())
        Select(0);
    RefreshOpenApps();
}

void AppProfilesDialog::Reload() {
    const std::string selectedApp = selected_ >= 0 && selected_ < static_cast<int>(rules_.size())
                                        ? rules_[selected_].app
                                        : std::string();
    const std::u16string chosen =
        chosenProfile_ >= 0 && chosenProfile_ < static_cast<int>(profiles_.size())
            ? profiles_[chosenProfile_]
            : std::u16string();
    rules_ = ports_.rules.Rules();
    switchOn_ = ports_.rules.SwitchOn();
    profiles_ = ports_.profileNames ? ports_.profileNames() : std::vector<std::u16string>();
    selected_ = -1;
    if (!selectedApp.empty())
        SelectApp(selectedApp);
    if (selected_ < 0) {
        chosenProfile_ = profiles_.empty() ? -1 : 0;
        for (std::size_t i = 0; i < profiles_.size(); ++i) {
            if (NamesEqual(profiles_[i], chosen))
                chosenProfile_ = static_cast<int>(i);
        }
    }
    // An application that got a rule elsewhere is no longer offered.
    std::erase_if(openApps_, [this](const std::string& app) {
        return std::any_of(rules_.begin(), rules_.end(),
                           [&](const AppProfileRule& rule) { return AppsEqual(rule.app, app); });
    });
}

Result AppProfilesDialog::Outcome(Result result, const char* key) {
    problemKey_ = result ? std::string() : std::string(key);
    problemDetail_ = result || key != std::string_view("app_profiles_not_saved_text")
                         ? std::string()
                         : result.reason();
    return result;
}

void AppProfilesDialog::Select(int row) {
    if (row < -1 || row >= static_cast<int>(rules_.size()))
        return;
    selected_ = row;
    ShowProfileOfSelection();
}

void AppProfilesDialog::SelectApp(std::string_view app) {
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        if (AppsEqual(rules_[i].app, app)) {
            Select(static_cast<int>(i));
            return;
        }
    }
}

void AppProfilesDialog::ShowProfileOfSelection() {
    if (selected_ < 0)
        return;
    for (std::size_t i = 0; i < profiles_.size(); ++i) {
        if (NamesEqual(profiles_[i], rules_[selected_].profile))
            chosenProfile_ = static_cast<int>(i);
    }
}

Result AppProfilesDialog::ChooseProfile(int index) {
    if (index < 0 || index >= static_cast<int>(profiles_.size()))
        return Result::Done();
    chosenProfile_ = index;
    if (selected_ < 0)
        return Outcome(Result::Done());
    // Copies: the rules tell their listeners, which may reload this, before Set returns.
    const std::string app = rules_[selected_].app;
    const std::u16string profile = profiles_[index];
    Result saved = ports_.rules.Set(app, profile);
    Reload();
    return Outcome(saved);
}

void AppProfilesDialog::RefreshOpenApps() {
    openApps_.clear();
    if (ports_.openWindows == nullptr)
        return;
    for (const std::string& app : ports_.openWindows->AppIds()) {
        if (!AppProfileRules::ValidAppId(app))
            continue;
        const auto same = [&](const std::string& other) { return AppsEqual(other, app); };
        if (std::any_of(openApps_.begin(), openApps_.end(), same))
            continue;
        if (std::any_of(rules_.begin(), rules_.end(),
                        [&](const AppProfileRule& rule) { return same(rule.app); }))
            continue;
        openApps_.push_back(app);
    }
    std::sort(openApps_.begin(), openApps_.end(), [](const std::string& a, const std::string& b) {
        const std::u16string fa = FromUtf8(a);
        const std::u16string fb = FromUtf8(b);
        return std::lexicographical_compare(
            fa.begin(), fa.end(), fb.begin(), fb.end(),
            [](char16_t x, char16_t y) { return FoldCase(x) < FoldCase(y); });
    });
}

Result AppProfilesDialog::Add(const std::string& app) {
    if (!AppProfileRules::ValidAppId(app))
        return Outcome(Result::Failed("not an application id"), "app_profiles_bad_id_text");
    if (ports_.rules.Has(app)) {
        Reload();
        SelectApp(app);
        return Outcome(Result::Done());
    }
    if (chosenProfile_ < 0)
        return Outcome(Result::Failed("no profile"), "app_profiles_no_profile_text");
    const std::u16string profile = profiles_[chosenProfile_];
    Result saved = ports_.rules.Set(app, profile);
    Reload();
    SelectApp(app);
    return Outcome(saved);
}

Result AppProfilesDialog::AddOpenApp(int index) {
    if (index < 0 || index >= static_cast<int>(openApps_.size()))
        return Result::Done();
    const std::string app = openApps_[index];
    return Add(app);
}

Result AppProfilesDialog::AddTyped(std::string_view typed) {
    return Add(std::string(Trimmed(typed)));
}

Result AppProfilesDialog::Remove() {
    if (selected_ < 0)
        return Outcome(Result::Done());
    const int row = selected_;
    const std::string app = rules_[row].app;
    Result saved = ports_.rules.Unset(app);
    selected_ = -1;
    Reload();
    if (!rules_.empty())
        Select(std::min(row, static_cast<int>(rules_.size()) - 1));
    RefreshOpenApps();
    return Outcome(saved);
}

Result AppProfilesDialog::SetSwitch(bool on) {
    Result saved = ports_.rules.SetSwitch(on);
    Reload();
    return Outcome(saved);
}

}  // namespace ms1
