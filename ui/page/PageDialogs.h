#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ProfileRecord.h"

namespace ms1 {

// The modal windows and desktop services the mouse page opens. Window thread only.
class PageDialogs {
  public:
    virtual ~PageDialogs() = default;
    // The message box: true for OK.
    virtual bool MessageBox(std::string_view titleKey, std::string_view messageKey) = 0;
    // A confirmation whose language text names what it acts on: its "%s" becomes `name`
    // (UTF-8). True for OK.
    virtual bool Confirm(std::string_view titleKey, std::string_view messageKey,
                         const std::string& name) {
        (void)name;
        return MessageBox(titleKey, messageKey);
    }
    // A message box with text of the program's own (a refused file, a failed save).
    virtual void ShowProblem(std::string_view titleKey, const std::string& text) = 0;
    // The profile name dialog; it refuses empty names and names already among `names` (a
    // copy of the profiles' names: the list may change while the dialog is open). It starts
    // with `startName` in its edit, selected.
    virtual std::optional<std::u16string> AskProfileName(std::string_view titleKey,
                                                         const std::vector<std::u16string>& names,
                                                         const std::u16string& startName) = 0;
    // The colour dialog next to `anchorControl`; the chosen colour as 0xFFRRGGBB.
    virtual std::optional<std::uint32_t> ChooseColor(std::string_view anchorControl,
                                                     std::uint32_t argb) = 0;
    virtual std::optional<std::filesystem::path> AskProfileFileToOpen() = 0;
    // Proposes `fileName` in the dialog.
    virtual std::optional<std::filesystem::path> AskProfileFileToSave(
        const std::u16string& fileName) = 0;
    virtual void OpenMouseSettings() = 0;
    // The window's status line shows the language text of `key`, its "%s" replaced by
    // `detail`, for a few seconds (a finished import or export).
    virtual void ShowStatus(std::string_view key, const std::string& detail) = 0;
    // The macro editor, modal; returns when it is closed, with the macros it renamed and
    // deleted.
    virtual MacroNameChanges RunMacroEditor() = 0;
    // The button function menu at the right edge of `anchorControl`.
    virtual void OpenFunctionMenu(std::string_view anchorControl) = 0;
};

// How the page asks for an apply: at once, or after a delay that a new request restarts.
class ApplyRequests {
  public:
    virtual ~ApplyRequests() = default;
    virtual void RequestApply() = 0;
    virtual void RequestApplyDelayed(int milliseconds) = 0;
    // The page switched to another profile by itself: an apply under way is cut short after
    // its current report, and the next sends only what differs from what the mouse holds.
    virtual void RequestApplyInstead() { RequestApply(); }
};

}  // namespace ms1
