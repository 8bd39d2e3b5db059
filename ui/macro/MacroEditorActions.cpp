// Editing the actions of the current macro by hand: mouse events, moves, deletes, the
// single-action panel and the delay fields.
#include <algorithm>
#include <utility>

#include "ui/macro/MacroEditor.h"
#include "ui/macro/MacroEditorNames.h"
#include "ui/macro/MacroNumbers.h"

namespace ms1 {

using namespace macroui;

namespace {

bool IsMouseCode(std::uint8_t key) {
    return key >= kMouseLeft && key <= kMouseForward;
}

int ComboItemOf(std::uint8_t key) {
    for (int i = 0; i < 5; ++i) {
        if (kMouseButtonCodes[i] == key)
            return i;
    }
    return -1;
}

}  // namespace

void MacroEditor::InsertAction(std::uint8_t key, std::uint8_t direction, std::uint16_t delay) {
    if (editCount_ >= kMaxMacroActions)
        return;
    // Never past the used actions, whatever the position was left at.
    const int at = insertPosition_ < 0 ? editCount_ : std::min(insertPosition_, editCount_);
    for (int i = editCount_; i > at; --i)
        actions_[static_cast<std::size_t>(i)] = actions_[static_cast<std::size_t>(i - 1)];
    MacroAction& action = actions_[static_cast<std::size_t>(at)];
    action.key = key;
    action.direction = direction;
    action.delay = delay;
    ++editCount_;
    ++selectedAction_;
    if (insertPosition_ != -1)
        insertPosition_ = at + 1;
}

void MacroEditor::InsertMouseEvent(int button) {
    // A press and its release, or nothing: there must be room for both.
    if (!hasCurrent_ || editCount_ + 2 > kMaxMacroActions || button < 0 || button > 4)
        return;
    if (recorder_.Recording())
        StopRecording();
    insertMode_ = true;
    insertPosition_ = HasAction(selectedAction_) ? selectedAction_ + 1 : 0;
    std::uint16_t delay = kRecordedDelayMs;
    if (delayMode_ == 1) {
        defaultDelay_ = ReadDefaultDelay();
        delay = defaultDelay_;
    }
    const std::uint8_t code = kMouseButtonCodes[button];
    InsertAction(code, kDirectionPress, delay);
    InsertAction(code, kDirectionRelease, delay);
    RebuildActionList();
    CommitEdits();
    insertMode_ = false;
}

void MacroEditor::MoveAction(int step) {
    if (recorder_.Recording())
        StopRecording();
    const int from = deps_.controls.ListSelection(kActionList);
    const int to = from + step;
    if (!HasAction(from) || !HasAction(to))
        return;
    std::swap(actions_[static_cast<std::size_t>(from)], actions_[static_cast<std::size_t>(to)]);
    FillRow(from);
    FillRow(to);
    SelectActionRow(to);
    CommitEdits();
}

void MacroEditor::DeleteAction() {
    if (recorder_.Recording())
        StopRecording();
    if (!HasAction(selectedAction_))
        return;
    const int at = selectedAction_;
    for (int i = at; i < editCount_ - 1; ++i)
        actions_[static_cast<std::size_t>(i)] = actions_[static_cast<std::size_t>(i + 1)];
    actions_[static_cast<std::size_t>(editCount_ - 1)] = MacroAction{};
    --editCount_;
    deps_.controls.ListRemove(kActionList, at);
    if (editCount_ == 0) {
        selectedAction_ = -1;
        if (actionEditOpen_)
            CloseActionPanel();
    }
    SelectActionRow(std::min(selectedAction_, editCount_ - 1));
    CommitEdits();
}

void MacroEditor::ClearActions() {
    if (!hasCurrent_)
        return;
    if (recorder_.Recording())
        StopRecording();
    actions_.fill(MacroAction{});
    editCount_ = 0;
    insertMode_ = false;
    insertPosition_ = -1;
    selectedAction_ = -1;
    if (actionEditOpen_)
        CloseActionPanel();
    CommitEdits();
    RebuildActionList();
}

void MacroEditor::ToggleActionPanel(bool checked) {
    if (!checked) {
        actionEditOpen_ = false;
        deps_.controls.SelectTab(kActionEditTab, 0);
        return;
    }
    if (!HasAction(selectedAction_)) {
        deps_.controls.SetChecked(kActionEditCheck, false);
        return;
    }
    actionEditOpen_ = true;
    ShowActionPanel();
}

void MacroEditor::ShowActionPanel() {
    if (!HasAction(selectedAction_))
        return;
    auto& c = deps_.controls;
    const MacroAction& action = actions_[static_cast<std::size_t>(selectedAction_)];
    // The last action's delay is not the user's: it only ends the macro.
    const bool last = selectedAction_ == editCount_ - 1;
    const std::string delay = last ? "10" : std::to_string(action.delay.get());
    if (!IsMouseCode(action.key)) {
        c.SelectTab(kActionEditTab, 1);
        c.SetText(kActionKeyEdit, KeyName(action.key));
        c.SetText(kKeyDelayEdit, delay);
        c.SetEnabled(kKeyDelayEdit, !last);
    } else {
        c.SelectTab(kActionEditTab, 2);
        c.SelectComboItem(kMouseActionCombo, ComboItemOf(action.key));
        c.SetText(kMouseDelayEdit, delay);
        c.SetEnabled(kMouseDelayEdit, !last);
    }
}

void MacroEditor::CloseActionPanel() {
    actionEditOpen_ = false;
    deps_.controls.SelectTab(kActionEditTab, 0);
    deps_.controls.SetChecked(kActionEditCheck, false);
}

void MacroEditor::SetDelayFrom(const char* edit) {
    auto& c = deps_.controls;
    const auto delay =
        static_cast<std::uint16_t>(ClampNumber(ParseDecimal(c.Text(edit)), kMinDelay, kMaxDelay));
    if (selectedAction_ >= 0 && selectedAction_ < editCount_ - 1) {
        actions_[static_cast<std::size_t>(selectedAction_)].delay = delay;
        c.SetRowText(kActionList, selectedAction_, kRowDelay, std::to_string(delay));
        c.SetText(edit, std::to_string(delay));
    }
    CommitEdits();
}

const char* MacroEditor::TypedDelayField() const {
    // The last action's delay only ends the macro: its field is not editable.
    if (!actionEditOpen_ || !HasAction(selectedAction_) || selectedAction_ == editCount_ - 1)
        return nullptr;
    const MacroAction& action = actions_[static_cast<std::size_t>(selectedAction_)];
    const char* field = IsMouseCode(action.key) ? kMouseDelayEdit : kKeyDelayEdit;
    return deps_.controls.Text(field) != std::to_string(action.delay.get()) ? field : nullptr;
}

void MacroEditor::EnforceDefaultDelayMinimum() {
    const long long typed = ParseDecimal(deps_.controls.Text(kDefaultDelayEdit));
    deps_.controls.SetText(kDefaultDelayEdit,
                           std::to_string(ClampNumber(typed, kMinDefaultDelay, kMaxDelay)));
}

void MacroEditor::ChooseMouseButton(int item) {
    if (item < 0 || item > 4 || !HasAction(selectedAction_))
        return;
    MacroAction& action = actions_[static_cast<std::size_t>(selectedAction_)];
    if (!IsMouseCode(action.key))
        return;
    action.key = kMouseButtonCodes[item];
    FillRow(selectedAction_);
    CommitEdits();
}

}  // namespace ms1
