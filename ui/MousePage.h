#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/KeyboardLayout.h"
#include "platform/MessagePorts.h"
#include "platform/TextLookup.h"
#include "protocol/ProfileState.h"
#include "storage/MacroStore.h"
#include "storage/ProfileStore.h"
#include "ui/FunctionChoice.h"
#include "ui/PageControls.h"
#include "ui/PageDialogs.h"

namespace ms1 {

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
class CMS_1_Page : public ProfileState, private FunctionChoiceUi {
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
    void DrawButtonLabel(int button) override;
    // Timer 514 of the main window ran out: bring the opened panel into view.
    void OnDeferredScroll();
    // The program ends: whatever was edited is kept on disk.
    void SaveStores();

    int SelectedIndex() const { return selected_; }
    int MenuButton() const { return menuButton_; }

  private:
    void OnPageClick(const std::string& sender);
    void OnOptionChanged(const std::string& sender);
    void OnItemSelect(const PageNotification& n);
    void OnCheckClick(const PageNotification& n);
    void OnSliderChanged(const PageNotification& n);
    void OnDpiEditCommit(const std::string& sender);
    void OnDpiEditText(const std::string& sender);
    void OnPageTimer(int timerId);

    void SwitchToProfile(int index);
    void ChooseColor(const std::string& control, RgbColor& field);
    void ShowModel(int model);
    std::string Tr(std::string_view key) const;

    // FunctionChoiceUi
    void ShowWarning(std::string_view messageKey) override;
    std::optional<ShortcutChoice> RunShortcutDialog(const ShortcutChoice& initial) override;
    std::optional<MacroChoice> RunMacroDialog(const MacroList& macros,
                                              const MacroChoice& initial) override;
    void RequestApply() override { deps_.apply.RequestApply(); }

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
};

}  // namespace ms1
