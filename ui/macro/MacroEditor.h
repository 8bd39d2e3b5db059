#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ProfileRecord.h"
#include "ports/KeyboardLayout.h"
#include "ports/MessagePorts.h"
#include "ports/TextLookup.h"
#include "storage/MacroStore.h"
#include "ui/PageControls.h"
#include "ui/macro/MacroEditorPorts.h"
#include "ui/macro/RecordingStateMachine.h"

namespace ms1 {

// The editor's collaborators, all owned elsewhere and living longer than the editor.
struct MacroEditorDeps {
    MacroEditorControls& controls;
    MacroEditorDialogs& dialogs;
    MacroHooks& hooks;
    const MillisecondClock& clock;
    WindowTimers& timers;
    MacroStore& macros;
    const TextLookup& texts;
    const KeyboardLayout& layout;
};

// The macro editor: creates, renames and deletes macros, records keys and mouse buttons with
// their timing, and edits the actions of one macro. It edits a working copy of the current
// macro and writes it back into the store after every accepted edit.
//
// The store is locked only for the moment of each change, never across a dialog: the window
// thread goes on handling the mouse and ms1ctl's imports while a dialog is open. An import
// can only append macros, so the lines of the macro list keep the store's indices.
class MacroEditor {
  public:
    explicit MacroEditor(MacroEditorDeps deps);

    // Fills the macro list; no macro is selected.
    void Init();
    void Notify(const PageNotification& notification);
    // Message 1034 of the hook library. `overEditor`: the pointer is over the editor's own
    // window, so a mouse button pressed now is a click on one of its controls.
    void OnHookEvent(std::uintptr_t code, std::intptr_t kind, bool overEditor = false);
    void OnTimer(int id);
    // The window closes, however it was closed: a recording stops and no hook is left.
    void OnClose();
    // Lists the macros that were added to the store by someone else (an import by ms1ctl).
    void ListNewMacros();
    // Tells the user of a save that failed, once the action that caused it is complete.
    void ShowPendingProblem();

    void LoadMacro(int index);
    void CommitEdits();
    // A name or delay typed and not yet taken goes to the macro or action it was typed for
    // (the delay only with `delays`).
    void ApplyTypedEdits(bool delays = true);
    void RebuildActionList();

    // What the tests and the window look at.
    bool Recording() const { return recorder_.Recording(); }
    int CurrentMacroIndex() const { return hasCurrent_ ? currentIndex_ : -1; }
    int ActionCount() const { return editCount_; }
    const MacroAction& Action(int index) const { return actions_.at(index); }
    int SelectedAction() const { return selectedAction_; }
    int DelayMode() const { return delayMode_; }
    int WeightedLength() const;
    // The macros renamed and deleted while the editor was open, in the order it happened.
    const MacroNameChanges& NameChanges() const { return nameChanges_; }

  private:
    // MacroEditor.cpp: the list of macros and the working copy.
    void OnClick(const std::string& sender);
    void OnCheckClick(const PageNotification& n);
    void OnKillFocus(const std::string& sender);
    void SelectMacroLine(int index);
    void OnMacroSelected(int index);
    void AddMacro();
    void DeleteMacro();
    void RenameMacro();
    void ImportMacro();
    void ExportMacro();
    void ShowNoMacro();
    void ClearActionFields();
    // The current macro's name as stored, UTF-8 ("" without one).
    std::string CurrentName() const;
    void FillRow(int row);
    void SelectActionRow(int row);
    void KeepSelectionInRange();
    std::string KeyName(std::uint8_t key) const;
    void NoteSave(const Result& written);

    // MacroEditorRecording.cpp: recording and key capture through the hook library.
    void ToggleRecording(bool checked);
    void StartRecording();
    void StopRecording();
    void RecordEvent(std::uint32_t code, std::uint32_t kind, bool overEditor);
    void DropOpenPresses();
    void CaptureKey(std::uint32_t code);
    void StartKeyCapture();
    void StopKeyCapture();
    std::uint16_t ReadDefaultDelay();

    // MacroEditorActions.cpp: editing the actions by hand.
    void InsertAction(std::uint8_t key, std::uint8_t direction, std::uint16_t delay);
    void InsertMouseEvent(int button);
    void MoveAction(int step);
    void DeleteAction();
    void ClearActions();
    void ToggleActionPanel(bool checked);
    void ShowActionPanel();
    void CloseActionPanel();
    void SetDelayFrom(const char* edit);
    // The delay field of the open action panel whose text is not the action's delay.
    const char* TypedDelayField() const;
    void EnforceDefaultDelayMinimum();
    void ChooseMouseButton(int item);
    bool HasAction(int index) const { return index >= 0 && index < editCount_; }

    MacroEditorDeps deps_;
    // Recording and key capture, and the hook library's switches that go with them.
    RecordingStateMachine recorder_{deps_.hooks};

    bool hasCurrent_ = false;
    int currentIndex_ = -1;
    std::array<MacroAction, kMaxMacroActions> actions_{};
    int editCount_ = 0;

    int insertStart_ = -1;
    bool insertMode_ = false;
    int insertPosition_ = -1;
    std::uint16_t defaultDelay_ = 10;
    int delayMode_ = 1;
    int selectedAction_ = -1;
    bool actionEditOpen_ = false;
    bool reloading_ = false;

    // The last hook event seen while recording: a held key repeats its press.
    std::uint32_t lastCode_ = 0;
    std::uint32_t lastKind_ = 0;
    std::uint32_t referenceTick_ = 0;
    // Presses recorded since the recording started whose release has not come yet, by their
    // position in the actions (ascending: later events go in further on).
    std::vector<int> openPresses_;

    MacroNameChanges nameChanges_;

    // A failed save, told once the action that caused it is complete.
    std::optional<std::string> pendingProblem_;
    bool problemShown_ = false;
};

}  // namespace ms1
