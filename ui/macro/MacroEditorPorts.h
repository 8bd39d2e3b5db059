#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ms1 {

// The controls of the macro editor, by their skin names. Text is UTF-8. A control the skin
// lacks is skipped by every call, and no call raises a notification. Window thread only.
class MacroEditorControls {
  public:
    virtual ~MacroEditorControls() = default;

    virtual void SetText(std::string_view control, std::string_view text) = 0;
    // The control shows the language text of `key`.
    virtual void SetTextKey(std::string_view control, std::string_view key) = 0;
    virtual std::string Text(std::string_view control) const = 0;
    virtual void SetChecked(std::string_view control, bool checked) = 0;
    virtual bool IsChecked(std::string_view control) const = 0;
    virtual void SetVisible(std::string_view control, bool visible) = 0;
    virtual void SetEnabled(std::string_view control, bool enabled) = 0;
    virtual void SelectTab(std::string_view control, int page) = 0;
    virtual void SelectComboItem(std::string_view control, int index) = 0;

    // Lists. Lines of the macro list are text; rows of the action list are built from the
    // row skin and have the sub-controls "key", "action" and "delay".
    virtual void ListClear(std::string_view list) = 0;
    virtual void ListAppendLine(std::string_view list, std::string_view text, int height) = 0;
    virtual void ListAppendRow(std::string_view list, int height) = 0;
    virtual void ListRemove(std::string_view list, int index) = 0;
    virtual void ListSetText(std::string_view list, int index, std::string_view text) = 0;
    // Selects a line or row (-1: none).
    virtual void ListSelect(std::string_view list, int index) = 0;
    virtual int ListSelection(std::string_view list) const = 0;
    virtual int ListCount(std::string_view list) const = 0;
    virtual void ListScrollTo(std::string_view list, int index) = 0;
    // Many rows change at once: the list is redrawn once, at the end.
    virtual void ListBeginUpdate(std::string_view list) = 0;
    virtual void ListEndUpdate(std::string_view list) = 0;

    virtual void SetRowText(std::string_view list, int row, std::string_view sub,
                            std::string_view text) = 0;
    virtual void SetRowTextKey(std::string_view list, int row, std::string_view sub,
                               std::string_view key) = 0;
    // An image description "res='file' dest='left,top,right,bottom'" drawn behind the text.
    virtual void SetRowImage(std::string_view list, int row, std::string_view sub,
                             std::string_view image) = 0;
};

// The modal windows the editor opens. Window thread only; each runs its own event loop.
class MacroEditorDialogs {
  public:
    virtual ~MacroEditorDialogs() = default;
    // The message box with language keys: true for OK.
    virtual bool MessageBox(std::string_view titleKey, std::string_view messageKey) = 0;
    // A confirmation whose language text names what it acts on: its "%s" becomes `name`
    // (UTF-8). True for OK.
    virtual bool Confirm(std::string_view titleKey, std::string_view messageKey,
                         const std::string& name) {
        (void)name;
        return MessageBox(titleKey, messageKey);
    }
    // A message box with text of the program's own (a refused file, a failed save).
    virtual void ShowProblem(const std::string& text) = 0;
    // "Macro File" dialogs starting in the data folder; nothing when cancelled.
    virtual std::optional<std::filesystem::path> AskMacroFileToOpen() = 0;
    // Proposes `fileName` in the save dialog.
    virtual std::optional<std::filesystem::path> AskMacroFileToSave(
        const std::u16string& fileName) = 0;
};

// The hook library's switches as the editor uses them. Every call is harmless when the
// library lacks the function.
class MacroHooks {
  public:
    virtual ~MacroHooks() = default;
    // False when keys and buttons cannot be captured (no library, or no way to capture).
    virtual bool Available() const = 0;
    // Why not, in the library's words ("" when it gives none, or capture works).
    virtual std::string Problem() const = 0;
    // installhook with the editor's window: events arrive as message 1034 from now on.
    virtual void InstallHook() = 0;
    virtual void RemoveHook() = 0;
    virtual void EnableHook(bool on) = 0;
    virtual void RemoveMouseHook() = 0;
    virtual void EnableMouseHook(bool on) = 0;
    virtual void MouseWheelEnable(bool on) = 0;
};

// Milliseconds of a monotonic clock, the low 32 bits (differences wrap correctly).
class MillisecondClock {
  public:
    virtual ~MillisecondClock() = default;
    virtual std::uint32_t NowMs() const = 0;
};

}  // namespace ms1
