#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ports/KeyboardLayout.h"
#include "ports/MessagePorts.h"
#include "ports/TextLookup.h"
#include "protocol/ProfileState.h"
#include "storage/MacroStore.h"
#include "storage/ProfileStore.h"
#include "ui/PageControls.h"
#include "ui/dialogs/FunctionChoice.h"
#include "ui/page/PageDialogs.h"

namespace ms1 {

class AppProfileRules;

// The page's collaborators, all owned elsewhere and living longer than the page.
struct MousePageDeps {
    PageControls& controls;
    PageDialogs& dialogs;
    ApplyRequests& apply;
    WindowTimers& timers;
    ProfileStore& profiles;
    MacroStore& macros;
    std::filesystem::path dataFolder;
    const TextLookup& texts;
    const KeyboardLayout& layout;
};

// The mouse page: fills the controls from the working profile and turns what the user does
// with them into changes of that profile and apply requests. It is also the profile state
// the apply worker and the status decoding work on.
//
// Dialogs run their own event loop, in which the window thread goes on decoding the mouse's
// reports and saving them, and the apply worker goes on with its apply: no lock of the page
// or of the stores is held while one is open. What a dialog needs is copied before it opens,
// and what it chose is written back under the locks after it closed.
class CMS_1_Page : public ProfileState {
  public:
    explicit CMS_1_Page(MousePageDeps deps);

    // ProfileState
    std::unique_lock<std::recursive_mutex> Lock() override;
    ProfileRecord& Working() override;
    ProfileRecord& Snapshot() override { return *snapshot_; }
    bool& FullApplyPending() override { return fullApplyPending_; }
    bool SaveProfiles() override;

    // The link sections are the status decoding's; the page asks it to refresh them.
    void SetLinkSectionsRefresher(std::function<void()> refresh) {
        refreshLinkSections_ = std::move(refresh);
    }

    void InitPage();
    void LoadProfiles();
    void RefreshPage();
    void RefreshLightSections();
    void UpdateSleepLabel();
    void UpdateLightOffLabel();
    void UpdateDebounceLabel();

    void AddProfile();
    void DeleteProfile();
    void RenameProfile();
    void ResetProfile();
    void ImportProfile();
    void ExportProfile();

    void Notify(const PageNotification& notification);
    // A menu item of the button function menu was chosen (names starting with "ms_1").
    void OnMenuItem(std::string_view itemName);
    void DrawButtonLabel(int button);
    // Timer 514 of the main window ran out: bring the opened panel into view.
    void OnDeferredScroll();
    // The program ends: whatever was edited is kept on disk.
    void SaveStores();
    // Tells the user, once, of a damaged store file the load kept aside (or could not keep
    // aside). Call it when the window is up: it opens message boxes.
    void ShowStoreNotices();
    // Runs `change` on the loaded stores under the page's and the stores' locks (a command
    // ms1ctl handed to the program) and lists the profiles it added; the selection stays.
    // Returns what `change` returned.
    int ChangeStores(const std::function<int(ProfileStore::Access&, MacroStore::Access&)>& change);

    // Makes the stored profile `name` (any letter case) the active one as a choice in the list
    // does: the list and the page follow and, with `apply`, the page's apply sends it whole.
    // Without `apply` the choice is saved at once and the caller has it sent; the page's next
    // apply still sends the whole profile. False when no profile has that name.
    bool UseProfile(std::u16string_view name, bool apply = true);
    // The application-profile rules that follow the profiles renamed and deleted here; the page
    // loads them with the stores. Set before LoadProfiles; null: there are none.
    void SetAppProfileRules(AppProfileRules* rules) { appRules_ = rules; }
    // Says beside the profile list why the active profile is active: the rule of application
    // `ruleApp` chose it, or (empty) the user did. A profile the user chooses in the list clears
    // it.
    void ShowActiveReason(std::u16string_view ruleApp);

    // The stored profiles' names, in order: a copy for the dialogs, taken under the store's
    // lock.
    std::vector<std::u16string> ProfileNames();
    // Makes the stored profile `name` (any letter case) the active one. By hand it is the
    // same as choosing it in the list: its whole apply. Otherwise (switched for the user, by
    // an application rule) the list follows and only the groups that differ from what the
    // mouse confirmed are sent, cutting short an apply under way. False when no profile has
    // that name.
    bool ActivateProfile(std::u16string_view name, bool byHand);
    // The active profile's name.
    std::u16string ActiveProfileName();
    // Hears the name of each profile the user chose by hand (in the list, or one the page
    // went to after an add, delete or import). Window thread.
    std::function<void(const std::u16string&)> onChosenByHand;

    int SelectedIndex() const { return selected_; }
    int MenuButton() const { return menuButton_; }

  private:
    void OnPageClick(const std::string& sender);
    void OnOptionChanged(const std::string& sender);
    void OnItemSelect(const PageNotification& n);
    void OnCheckClick(const PageNotification& n);
    void OnSliderChanged(const PageNotification& n);
    void OnDpiEditCommit(const std::string& sender);
    // Takes the DPI boxes whose text differs from their stage's value.
    void CommitTypedDpiValues();
    void OnDpiEditText(const std::string& sender);
    void OnPageTimer(int timerId);

    void OnMacroEditorClosed(const MacroNameChanges& changes);

    void SwitchToProfile(int index, bool apply = true);
    // The index of the stored profile `name` (any letter case), or -1.
    int FindProfile(std::u16string_view name);
    void NoteLoad(const std::filesystem::path& file, const StoreLoadReport& report);
    // The colour of DPI stage `stage` (0..7), or the lighting colour for -1, chosen with the
    // colour dialog next to `control`.
    void ChooseColor(const std::string& control, int stage);
    void ShowModel(int model);
    std::string Tr(std::string_view key) const;
    // The name of the profile shown, in UTF-8, for the confirmations that name it.
    std::string SelectedProfileName();
    // The mouse holds the working profile already: an apply would send no report.
    bool NothingToSend();
    int ProfileCount();

  public:
    // The two dialogs of a function choice, supplied by the windows layer.
    std::function<std::optional<ShortcutChoice>(const ShortcutChoice&)> shortcutDialog;
    std::function<std::optional<MacroChoice>(const MacroList&, const MacroChoice&)> macroDialog;

  private:
    MousePageDeps deps_;
    std::recursive_mutex mutex_;
    std::unique_ptr<ProfileRecord> snapshot_;
    ProfileRecord* working_ = nullptr;
    int selected_ = 0;
    bool fullApplyPending_ = false;
    bool skipFirstProfileSelect_ = true;
    int menuButton_ = 0;
    int bannerOffset_ = -212;
    std::function<void()> refreshLinkSections_;
    std::vector<std::string> storeNotices_;
    AppProfileRules* appRules_ = nullptr;
};

}  // namespace ms1
