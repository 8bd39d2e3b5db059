// The macro editor's list of macros, the working copy of the current one and its rows.
#include "ui/macro/MacroEditor.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/Utf16Text.h"
#include "storage/MacroFile.h"
#include "storage/NameRules.h"
#include "ui/KeyTables.h"
#include "ui/NotificationType.h"
#include "ui/ProposedFileName.h"
#include "ui/macro/MacroEditorNames.h"

namespace ms1 {

using namespace macroui;

namespace {

const char* const kMouseImage = "res='skins/mouse.png' dest='2,2,28,28'";
const char* const kKeyImage = "res='skins/keyboard_key_action.png' dest='5,6,35,24'";
const char* const kDownImage = "res='skins/macro_key_down.png' dest='5,6,21,24'";
const char* const kUpImage = "res='skins/macro_key_up.png' dest='5,6,21,24'";

// "ms_1_macro_key3_btn" -> 2; -1 for any other name.
int MouseButtonOf(const std::string& name) {
    for (int i = 0; i < 5; ++i) {
        if (name == kMouseButtonPrefix + std::to_string(i + 1) + "_btn")
            return i;
    }
    return -1;
}

}  // namespace

MacroEditor::MacroEditor(MacroEditorDeps deps) : deps_(deps) {}

void MacroEditor::Init() {
    auto& c = deps_.controls;
    c.ListClear(kMacroList);
    {
        auto access = deps_.macros.Lock();
        for (const MacroRecord& macro : access.Macros())
            c.ListAppendLine(kMacroList, ToUtf8(macro.name.get()), kMacroLineHeight);
    }
    c.ListSelect(kMacroList, -1);
    c.ListClear(kActionList);
    c.SetText(kNameEdit, "");
    c.SetChecked(kDefaultDelayOption, true);
    c.SetText(kDefaultDelayEdit, std::to_string(defaultDelay_));
    c.SetTextKey(kRecordButton, "start_recording_text");
    c.SetChecked(kRecordButton, false);
    c.SetChecked(kInsertMouseCheck, false);
    c.SetVisible(kNamePanel, true);
    c.SetVisible(kMouseEventPanel, false);
    c.SetChecked(kActionEditCheck, false);
    c.SelectTab(kActionEditTab, 0);
    // Without the hook library nothing can be recorded or captured; say so instead.
    const bool capture = deps_.hooks.Available();
    c.SetEnabled(kRecordButton, capture);
    c.SetEnabled(kActionKeyEdit, capture);
    c.SetVisible(kHookNote, !capture);
    // The library's own reason (no display, no readable input device) over the general note.
    if (const std::string problem = deps_.hooks.Problem(); !capture && !problem.empty())
        c.SetText(kHookNote, problem);
}

void MacroEditor::Notify(const PageNotification& n) {
    ListNewMacros();
    const std::string& s = n.sender;
    const NotificationType type = NotificationTypeOf(n.type);
    // Buttons never take the focus, so a field's text must be taken before anything else
    // acts: a click must not find the delay typed for one action on another.
    switch (type) {
        case NotificationType::Click:
        case NotificationType::SelectChanged:
        case NotificationType::CheckClick:
        case NotificationType::ItemSelect:
        case NotificationType::SetFocus:
        case NotificationType::Return:
            // Cancel is the one control that throws a typed delay away.
            ApplyTypedEdits(!(type == NotificationType::Click && s == kCancelButton));
            break;
        default:
            break;
    }
    switch (type) {
        case NotificationType::Click:
        case NotificationType::SelectChanged:
            OnClick(s);
            break;
        case NotificationType::CheckClick:
            OnCheckClick(n);
            break;
        case NotificationType::KillFocus:
            OnKillFocus(s);
            break;
        case NotificationType::SetFocus:
            if (s == kActionKeyEdit)
                StartKeyCapture();
            break;
        case NotificationType::ItemSelect:
            if (s == kMacroList) {
                OnMacroSelected(n.index);
            } else if (s == kActionList) {
                SelectActionRow(n.index);
            } else if (s == kMouseActionCombo) {
                ChooseMouseButton(n.index);
            }
            break;
        case NotificationType::Timer:
            OnTimer(n.value);
            break;
        default:
            break;
    }
    ShowPendingProblem();
}

void MacroEditor::OnClick(const std::string& s) {
    if (s == kRecordDelayOption) {
        delayMode_ = 0;
    } else if (s == kDefaultDelayOption) {
        delayMode_ = 1;
    } else if (s == kNoDelayOption) {
        delayMode_ = 2;
    } else if (s == kAddButton) {
        AddMacro();
    } else if (s == kDeleteButton) {
        DeleteMacro();
    } else if (s == kImportButton) {
        ImportMacro();
    } else if (s == kExportButton) {
        ExportMacro();
    } else if (s == kUpButton) {
        MoveAction(-1);
    } else if (s == kDownButton) {
        MoveAction(1);
    } else if (s == kDeleteActionButton) {
        DeleteAction();
    } else if (s == kClearActionsButton) {
        ClearActions();
    } else if (s == kSaveButton) {
        CommitEdits();
        CloseActionPanel();
    } else if (s == kCancelButton) {
        reloading_ = true;
        CloseActionPanel();
        if (currentIndex_ >= 0)
            LoadMacro(currentIndex_);
        reloading_ = false;
    } else if (int button = MouseButtonOf(s); button >= 0) {
        InsertMouseEvent(button);
    }
}

void MacroEditor::OnCheckClick(const PageNotification& n) {
    if (n.sender == kRecordButton) {
        ToggleRecording(n.checked);
    } else if (n.sender == kActionEditCheck) {
        ToggleActionPanel(n.checked);
    } else if (n.sender == kInsertMouseCheck) {
        deps_.controls.SetVisible(kMouseEventPanel, n.checked);
        deps_.controls.SetVisible(kNamePanel, !n.checked);
    }
}

void MacroEditor::OnKillFocus(const std::string& s) {
    if (s == kNameEdit) {
        RenameMacro();
    } else if (s == kActionKeyEdit) {
        StopKeyCapture();
    } else if (s == kKeyDelayEdit || s == kMouseDelayEdit) {
        SetDelayFrom(s == kKeyDelayEdit ? kKeyDelayEdit : kMouseDelayEdit);
    } else if (s == kDefaultDelayEdit) {
        EnforceDefaultDelayMinimum();
    }
}

void MacroEditor::OnTimer(int id) {
    if (id == kTimerScrollToInsert) {
        deps_.timers.KillTimer(id);
        if (insertPosition_ >= 1)
            deps_.controls.ListScrollTo(kActionList, insertPosition_ - 1);
    } else if (id == kTimerScrollToInsertStart) {
        deps_.timers.KillTimer(id);
        if (insertStart_ >= 0)
            deps_.controls.ListScrollTo(kActionList, insertStart_);
    }
}

void MacroEditor::ListNewMacros() {
    std::vector<std::string> names;
    {
        auto access = deps_.macros.Lock();
        const MacroList& list = access.Macros();
        const auto listed = static_cast<std::size_t>(deps_.controls.ListCount(kMacroList));
        for (std::size_t i = listed; i < list.size(); ++i)
            names.push_back(ToUtf8(list[i].name.get()));
    }
    for (const std::string& name : names)
        deps_.controls.ListAppendLine(kMacroList, name, kAddedMacroLineHeight);
}

void MacroEditor::SelectMacroLine(int index) {
    deps_.controls.ListSelect(kMacroList, index);
    OnMacroSelected(index);
}

void MacroEditor::OnMacroSelected(int index) {
    if (index < 0)
        return;
    // What was recorded so far belongs to the macro it was recorded into.
    if (recorder_.Recording())
        StopRecording();
    currentIndex_ = index;
    LoadMacro(index);
}

void MacroEditor::LoadMacro(int index) {
    std::u16string name;
    {
        auto access = deps_.macros.Lock();
        const MacroList& list = access.Macros();
        if (index < 0 || static_cast<std::size_t>(index) >= list.size()) {
            hasCurrent_ = false;
            return;
        }
        const MacroRecord& macro = list[static_cast<std::size_t>(index)];
        hasCurrent_ = true;
        currentIndex_ = index;
        std::memcpy(actions_.data(), macro.actions, sizeof macro.actions);
        editCount_ = std::clamp(macro.actionCount.get(), 0, kMaxMacroActions);
        name = macro.name.get();
    }
    if (editCount_ == 0) {
        selectedAction_ = -1;
        // Nothing of the macro shown before stays in the panel.
        if (actionEditOpen_)
            CloseActionPanel();
        ClearActionFields();
    }
    // Positions into the copy that was just replaced mean nothing any more.
    insertMode_ = false;
    insertPosition_ = -1;
    deps_.controls.SetText(kNameEdit, ToUtf8(name));
    RebuildActionList();
}

int MacroEditor::WeightedLength() const {
    int length = 0;
    for (int i = 0; i < editCount_; ++i)
        length += actions_[static_cast<std::size_t>(i)].delay > 128 ? 2 : 1;
    return length;
}

void MacroEditor::CommitEdits() {
    if (WeightedLength() > 201) {
        // More than the mouse can hold: the stored macro comes back.
        if (currentIndex_ >= 0)
            LoadMacro(currentIndex_);
        reloading_ = false;
        return;
    }
    if (!hasCurrent_)
        return;
    Result written;
    {
        auto access = deps_.macros.Lock();
        MacroList& list = access.Macros();
        if (static_cast<std::size_t>(currentIndex_) >= list.size())
            return;
        MacroRecord& macro = list[static_cast<std::size_t>(currentIndex_)];
        std::memcpy(macro.actions, actions_.data(), sizeof macro.actions);
        macro.actionCount = editCount_;
        written = access.SaveMacroStoreIfChanged();
    }
    NoteSave(written);
}

void MacroEditor::RebuildActionList() {
    auto& c = deps_.controls;
    c.ListBeginUpdate(kActionList);
    c.ListClear(kActionList);
    for (int i = 0; i < editCount_; ++i) {
        c.ListAppendRow(kActionList, kActionRowHeight);
        FillRow(i);
    }
    c.ListEndUpdate(kActionList);
    if (reloading_ && insertStart_ >= 0) {
        SelectActionRow(HasAction(insertStart_) ? insertStart_ : editCount_ - 1);
        deps_.timers.StartTimer(kTimerScrollToInsertStart, kScrollDelayMs);
    } else if (insertMode_) {
        SelectActionRow(HasAction(insertPosition_ - 1) ? insertPosition_ - 1 : editCount_ - 1);
        deps_.timers.StartTimer(kTimerScrollToInsert, kScrollDelayMs);
    } else {
        SelectActionRow(editCount_ - 1);
    }
    KeepSelectionInRange();
}

void MacroEditor::FillRow(int row) {
    if (!HasAction(row))
        return;
    auto& c = deps_.controls;
    const MacroAction& action = actions_[static_cast<std::size_t>(row)];
    const bool mouse = action.key >= kMouseLeft && action.key <= kMouseForward;
    c.SetRowText(kActionList, row, kRowKey, KeyName(action.key));
    c.SetRowImage(kActionList, row, kRowKey, mouse ? kMouseImage : kKeyImage);
    const bool press = action.direction == kDirectionPress;
    c.SetRowTextKey(kActionList, row, kRowAction, press ? "key_down_action" : "key_up_action");
    c.SetRowImage(kActionList, row, kRowAction, press ? kDownImage : kUpImage);
    c.SetRowText(kActionList, row, kRowDelay, std::to_string(action.delay.get()));
}

void MacroEditor::SelectActionRow(int row) {
    // A row that is not there selects nothing, as in the list itself.
    if (!HasAction(row))
        return;
    deps_.controls.ListSelect(kActionList, row);
    selectedAction_ = row;
    if (actionEditOpen_)
        ShowActionPanel();
}

void MacroEditor::KeepSelectionInRange() {
    if (selectedAction_ >= editCount_)
        selectedAction_ = editCount_ - 1;
}

std::string MacroEditor::KeyName(std::uint8_t key) const {
    return ToUtf8(UsageToKeyName(key, deps_.layout, deps_.texts));
}

void MacroEditor::AddMacro() {
    if (recorder_.Recording())
        StopRecording();
    MacroStore::Added added{};
    std::u16string name;
    {
        auto access = deps_.macros.Lock();
        added = access.AddMacro(deps_.texts.Text("add_macro_text"));
        name = access.Macros()[added.index].name.get();
    }
    NoteSave(added.save);
    deps_.controls.ListAppendLine(kMacroList, ToUtf8(name), kAddedMacroLineHeight);
    SelectMacroLine(static_cast<int>(added.index));
}

void MacroEditor::DeleteMacro() {
    if (recorder_.Recording())
        StopRecording();
    std::string name;
    if (const int shown = deps_.controls.ListSelection(kMacroList); shown >= 0) {
        auto access = deps_.macros.Lock();
        if (static_cast<std::size_t>(shown) < access.Macros().size())
            name = ToUtf8(access.Macros()[static_cast<std::size_t>(shown)].name.get());
    }
    if (!deps_.dialogs.Confirm("delete_macro_title_text", "delete_macro_text", name))
        return;
    // The message box's own loop may have let an import in.
    ListNewMacros();
    auto& c = deps_.controls;
    const int row = c.ListSelection(kMacroList);
    if (row < 0)
        return;
    Result written;
    {
        auto access = deps_.macros.Lock();
        MacroList& list = access.Macros();
        if (static_cast<std::size_t>(row) >= list.size())
            return;
        nameChanges_.push_back({list[static_cast<std::size_t>(row)].name.get(), std::nullopt});
        list.erase(list.begin() + row);
        written = access.SaveMacroStore();
    }
    NoteSave(written);
    c.ListRemove(kMacroList, row);
    const int count = c.ListCount(kMacroList);
    if (count == 0) {
        ShowNoMacro();
        return;
    }
    SelectMacroLine(row < count ? row : row - 1);
}

void MacroEditor::ShowNoMacro() {
    // Nothing of the deleted macro stays on show or editable.
    hasCurrent_ = false;
    selectedAction_ = -1;
    actions_.fill(MacroAction{});
    editCount_ = 0;
    insertMode_ = false;
    insertPosition_ = -1;
    if (actionEditOpen_)
        CloseActionPanel();
    ClearActionFields();
    deps_.controls.SetText(kNameEdit, "");
    RebuildActionList();
}

void MacroEditor::ClearActionFields() {
    for (const char* field : {kActionKeyEdit, kKeyDelayEdit, kMouseDelayEdit})
        deps_.controls.SetText(field, "");
    deps_.controls.SelectComboItem(kMouseActionCombo, -1);
}

std::string MacroEditor::CurrentName() const {
    auto access = deps_.macros.Lock();
    const MacroList& list = access.Macros();
    if (!hasCurrent_ || static_cast<std::size_t>(currentIndex_) >= list.size())
        return {};
    return ToUtf8(list[static_cast<std::size_t>(currentIndex_)].name.get());
}

void MacroEditor::ApplyTypedEdits(bool delays) {
    if (hasCurrent_ && deps_.controls.Text(kNameEdit) != CurrentName())
        RenameMacro();
    if (const char* field = delays ? TypedDelayField() : nullptr)
        SetDelayFrom(field);
}

void MacroEditor::RenameMacro() {
    if (!hasCurrent_)
        return;
    auto& c = deps_.controls;
    const std::u16string typed = FromUtf8(c.Text(kNameEdit));
    std::u16string current;
    bool renamed = false;
    const char* refusal = nullptr;
    {
        auto access = deps_.macros.Lock();
        MacroList& list = access.Macros();
        if (static_cast<std::size_t>(currentIndex_) >= list.size())
            return;
        MacroRecord& macro = list[static_cast<std::size_t>(currentIndex_)];
        current = macro.name.get();
        // Only the letter case changed: the name stays as it is stored.
        if (NamesEqual(current, typed))
            return;
        // Refused with the reason: no name, one that does not fit, one in use in any case.
        if (typed.empty()) {
            refusal = "macro_name_empty_text";
        } else if (typed.size() > kMacroNameMaxChars) {
            refusal = "macro_name_too_long_text";
        } else if (NameExists(list, typed)) {
            refusal = "macro_name_in_use_text";
        } else {
            macro.name.set(typed);
            renamed = true;
        }
    }
    if (!renamed) {
        // Back first: the notice takes the focus, and the field must not be taken again.
        c.SetText(kNameEdit, ToUtf8(current));
        std::string text = ToUtf8(deps_.texts.Text(refusal));
        if (const auto at = text.find("%s"); at != std::string::npos)
            text.replace(at, 2, ToUtf8(typed));
        deps_.dialogs.ShowProblem(text);
        return;
    }
    nameChanges_.push_back({current, typed});
    CommitEdits();
    NoteSave(deps_.macros.Lock().SaveMacroStoreIfChanged());
    c.ListSetText(kMacroList, currentIndex_, ToUtf8(typed));
}

void MacroEditor::ImportMacro() {
    if (recorder_.Recording())
        StopRecording();
    const std::optional<std::filesystem::path> file = deps_.dialogs.AskMacroFileToOpen();
    if (!file)
        return;
    ListNewMacros();
    MacroImport imported;
    {
        auto access = deps_.macros.Lock();
        imported = ImportMacroFile(*file, access);
    }
    if (!imported.taken) {
        deps_.dialogs.ShowProblem(file->filename().string() + ": " + imported.taken.reason());
        return;
    }
    NoteSave(imported.save);
    deps_.controls.ListAppendLine(kMacroList, ToUtf8(imported.name), kAddedMacroLineHeight);
    SelectMacroLine(static_cast<int>(imported.index));
}

void MacroEditor::ExportMacro() {
    if (!hasCurrent_)
        return;
    if (recorder_.Recording())
        StopRecording();
    std::u16string proposed;
    {
        auto access = deps_.macros.Lock();
        const MacroList& list = access.Macros();
        if (static_cast<std::size_t>(currentIndex_) < list.size())
            proposed = ProposedFileName(list[static_cast<std::size_t>(currentIndex_)].name.get(),
                                        u"macro");
    }
    const std::optional<std::filesystem::path> file = deps_.dialogs.AskMacroFileToSave(proposed);
    if (!file)
        return;
    MacroRecord copy;
    {
        auto access = deps_.macros.Lock();
        const MacroList& list = access.Macros();
        if (!hasCurrent_ || static_cast<std::size_t>(currentIndex_) >= list.size())
            return;
        copy = list[static_cast<std::size_t>(currentIndex_)];
    }
    AtomicFileWriter writer;
    const Result written = ms1::ExportMacro(copy, *file, writer);
    if (!written)
        deps_.dialogs.ShowProblem(file->string() + ": " + written.reason());
}

void MacroEditor::NoteSave(const Result& written) {
    if (!written && !problemShown_ && !pendingProblem_)
        pendingProblem_ =
            ToUtf8(deps_.texts.Text("macros_not_saved_text")) + "\n" + written.reason();
}

void MacroEditor::ShowPendingProblem() {
    if (!pendingProblem_)
        return;
    // Once per editor: every later save fails for the same reason.
    problemShown_ = true;
    const std::string text = std::move(*pendingProblem_);
    pendingProblem_.reset();
    deps_.dialogs.ShowProblem(text);
}

}  // namespace ms1
