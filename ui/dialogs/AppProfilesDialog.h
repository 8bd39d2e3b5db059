#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "ports/OpenWindowApps.h"
#include "storage/AppProfileRules.h"

namespace ms1 {

// The logic of the "Application profiles" dialog: the rules with the profile of each, adding
// one for an application with a window open now or for an id the user types, choosing the
// profile of the selected rule, removing it, and the switch of the whole feature. Every change
// goes to the rules (and their file) at once; the window shows what this holds after each.
class AppProfilesDialog {
  public:
    struct Ports {
        AppProfileRules& rules;
        // The names of the stored profiles, asked each time the dialog fills its lists.
        std::function<std::vector<std::u16string>()> profileNames;
        OpenWindowApps* openWindows = nullptr;  // null: no list of open windows here
        // Why automatic switching does not work on this desktop; empty when it does.
        std::string unavailableWhy;
    };

    explicit AppProfilesDialog(Ports ports);

    const std::vector<AppProfileRule>& Rules() const { return rules_; }
    // The selected rule's row, -1 for none.
    int Selected() const { return selected_; }
    void Select(int row);

    const std::vector<std::u16string>& Profiles() const { return profiles_; }
    // The row of Profiles() the profile choice shows: the selected rule's profile, or the one
    // a new rule gets. -1 when there are no profiles.
    int ChosenProfile() const { return chosenProfile_; }
    // The profile choice changed: the selected rule takes that profile, and so do new rules.
    Result ChooseProfile(int index);

    // The application ids of the windows open now that have no rule yet, sorted, each once.
    const std::vector<std::string>& OpenApps() const { return openApps_; }
    bool CanListOpenWindows() const { return ports_.openWindows != nullptr; }
    void RefreshOpenApps();
    // Adds a rule for OpenApps()[index] with the chosen profile and selects it.
    Result AddOpenApp(int index);
    // Adds a rule for the typed id (spaces around it dropped) and selects it; an id that has
    // a rule already selects that rule and changes nothing.
    Result AddTyped(std::string_view typed);
    // Removes the selected rule; the next one (or the last) is selected.
    Result Remove();

    bool SwitchOn() const { return switchOn_; }
    Result SetSwitch(bool on);
    const std::string& UnavailableWhy() const { return ports_.unavailableWhy; }

    // What went wrong with the last change, for the line under the rules: the language key of
    // the text and a detail (the file and the error of a failed save); both empty when it
    // went well.
    const std::string& ProblemKey() const { return problemKey_; }
    const std::string& ProblemDetail() const { return problemDetail_; }

    // Takes the rules and profiles as they are now (another part of the program or ms1ctl
    // changed them); the selected application stays selected while it has a rule.
    void Reload();

  private:
    Result Add(const std::string& app);
    void SelectApp(std::string_view app);
    void ShowProfileOfSelection();
    // Notes how a change went and returns it.
    Result Outcome(Result result, const char* key = "app_profiles_not_saved_text");

    Ports ports_;
    std::vector<AppProfileRule> rules_;
    std::vector<std::u16string> profiles_;
    std::vector<std::string> openApps_;
    int selected_ = -1;
    int chosenProfile_ = -1;
    bool switchOn_ = true;
    std::string problemKey_;
    std::string problemDetail_;
};

}  // namespace ms1
