// Recording keys and mouse buttons, and capturing one key into an action, through the hook
// library's events (message 1034).
#include <algorithm>

#include "ui/KeyTables.h"
#include "ui/macro/MacroEditor.h"
#include "ui/macro/MacroEditorNames.h"
#include "ui/macro/MacroNumbers.h"

namespace ms1 {

using namespace macroui;

namespace {

// Mouse messages of the hook library: down and up of left, right, middle and the X buttons.
constexpr std::uint32_t kLeftDown = 0x201;
constexpr std::uint32_t kLeftUp = 0x202;
constexpr std::uint32_t kRightDown = 0x204;
constexpr std::uint32_t kRightUp = 0x205;
constexpr std::uint32_t kMiddleDown = 0x207;
constexpr std::uint32_t kMiddleUp = 0x208;
constexpr std::uint32_t kXDown = 0x20B;
constexpr std::uint32_t kXUp = 0x20C;
// Keyboard keys are virtual-key codes below the mouse messages.
constexpr std::uint32_t kFirstMouseMessage = 0x200;

constexpr int kStopBeforeWeight = 200;

struct RecordedKey {
    std::uint8_t key;
    bool press;
};

std::uint8_t UsageOfVirtualKey(std::uint32_t code, const KeyboardLayout& layout) {
    const UsageLookup found = VirtualKeyToUsage(code, layout);
    return found.found && found.usage >= 0 && found.usage <= 0xFF
               ? static_cast<std::uint8_t>(found.usage)
               : 0;
}

RecordedKey Translate(std::uint32_t code, std::uint32_t kind, const KeyboardLayout& layout) {
    switch (code) {
        case kLeftDown:
        case kLeftUp:
            return {kMouseLeft, code == kLeftDown};
        case kRightDown:
        case kRightUp:
            return {kMouseRight, code == kRightDown};
        case kMiddleDown:
        case kMiddleUp:
            return {kMouseMiddle, code == kMiddleDown};
        case kXDown:
        case kXUp:
            // X button 1 is the back button, X button 2 the forward button.
            if (kind == 1)
                return {kMouseBackward, code == kXDown};
            if (kind == 2)
                return {kMouseForward, code == kXDown};
            break;
        default:
            break;
    }
    return {UsageOfVirtualKey(code, layout), kind == 0};
}

}  // namespace

void MacroEditor::OnHookEvent(std::uintptr_t code, std::intptr_t kind, bool overEditor) {
    // Events the library had posted before it was switched off are not taken.
    switch (recorder_.Route()) {
        case HookEventRoute::Record:
            RecordEvent(static_cast<std::uint32_t>(code), static_cast<std::uint32_t>(kind),
                        overEditor);
            break;
        case HookEventRoute::CaptureKey:
            CaptureKey(static_cast<std::uint32_t>(code));
            break;
        case HookEventRoute::Drop:
            break;
    }
    ShowPendingProblem();
}

void MacroEditor::ToggleRecording(bool) {
    if (recorder_.Recording()) {
        StopRecording();
    } else {
        StartRecording();
    }
}

std::uint16_t MacroEditor::ReadDefaultDelay() {
    return static_cast<std::uint16_t>(ClampNumber(
        ParseDecimal(deps_.controls.Text(kDefaultDelayEdit)), kMinDefaultDelay, kMaxDelay));
}

void MacroEditor::StartRecording() {
    auto& c = deps_.controls;
    if (!deps_.hooks.Available()) {
        c.SetChecked(kRecordButton, false);
        return;
    }
    if (!hasCurrent_)
        AddMacro();
    if (!HasAction(selectedAction_)) {
        actions_.fill(MacroAction{});
        editCount_ = 0;
        insertPosition_ = insertStart_ = -1;
        insertMode_ = false;
        RebuildActionList();
    } else {
        insertPosition_ = insertStart_ = selectedAction_ + 1;
        insertMode_ = true;
    }
    recorder_.StartRecording();
    c.SetTextKey(kRecordButton, "stop_recording_text");
    c.SetChecked(kRecordButton, true);
    defaultDelay_ = ReadDefaultDelay();
    // A new recording takes its first event whatever the last one before it was.
    lastCode_ = 0;
    lastKind_ = 0;
    openPresses_.clear();
    referenceTick_ = deps_.clock.NowMs();
}

void MacroEditor::StopRecording() {
    auto& c = deps_.controls;
    referenceTick_ = 0;
    recorder_.StopRecording();
    c.SetTextKey(kRecordButton, "start_recording_text");
    c.SetChecked(kRecordButton, false);
    DropOpenPresses();
    CommitEdits();
}

void MacroEditor::DropOpenPresses() {
    // A press whose release the stop cut off would hold its key or button down when the
    // mouse plays the macro.
    if (openPresses_.empty())
        return;
    for (auto it = openPresses_.rbegin(); it != openPresses_.rend(); ++it) {
        const int at = *it;
        if (!HasAction(at))
            continue;
        // The action before a dropped last one is the last now: it ends the macro.
        if (at == editCount_ - 1 && at > 0)
            actions_[static_cast<std::size_t>(at - 1)].delay = kRecordedDelayMs;
        for (int i = at; i < editCount_ - 1; ++i)
            actions_[static_cast<std::size_t>(i)] = actions_[static_cast<std::size_t>(i + 1)];
        actions_[static_cast<std::size_t>(editCount_ - 1)] = MacroAction{};
        --editCount_;
        if (insertPosition_ > at)
            --insertPosition_;
    }
    openPresses_.clear();
    selectedAction_ = std::min(selectedAction_, editCount_ - 1);
    RebuildActionList();
}

void MacroEditor::RecordEvent(std::uint32_t code, std::uint32_t kind, bool overEditor) {
    const RecordedKey recorded = Translate(code, kind, deps_.layout);
    const bool mouse = code >= kFirstMouseMessage;
    // The open press this event releases, if any.
    auto open = std::find_if(openPresses_.rbegin(), openPresses_.rend(), [&](int at) {
        return HasAction(at) && actions_[static_cast<std::size_t>(at)].key == recorded.key;
    });
    // A click on the editor's own controls is no action, and neither is the release of a
    // button whose press was not recorded (the click that started the recording).
    if (mouse && (recorded.press ? overEditor : open == openPresses_.rend()))
        return;
    // A held key repeats its press; only the first one counts.
    if (code == lastCode_ && kind == lastKind_)
        return;
    lastCode_ = code;
    lastKind_ = kind;
    if (WeightedLength() >= kStopBeforeWeight) {
        StopRecording();
        return;
    }
    if (!recorded.press && open != openPresses_.rend())
        openPresses_.erase(std::next(open).base());
    const std::uint32_t now = deps_.clock.NowMs();
    // Events come here only while recording, so the time since the last one is always known.
    std::uint16_t delay = 1;
    if (delayMode_ == 0) {
        delay = static_cast<std::uint16_t>(
            std::min<std::uint32_t>(now - referenceTick_, static_cast<std::uint32_t>(kMaxDelay)));
    } else if (delayMode_ == 1) {
        delay = defaultDelay_;
    }
    // The gap belongs to the action before the new one; when inserting after a selected
    // action, the first gap goes to that selected action.
    const int before = insertMode_ ? std::min(insertPosition_, editCount_) - 1 : editCount_ - 1;
    if (HasAction(before))
        actions_[static_cast<std::size_t>(before)].delay = delay;
    // Where InsertAction puts it.
    const int at = insertPosition_ < 0 ? editCount_ : std::min(insertPosition_, editCount_);
    const int countBefore = editCount_;
    InsertAction(recorded.key, recorded.press ? kDirectionPress : kDirectionRelease,
                 kRecordedDelayMs);
    if (recorded.press && editCount_ > countBefore)
        openPresses_.push_back(at);
    referenceTick_ = now;
    if (editCount_ >= kMaxMacroActions)
        StopRecording();
    RebuildActionList();
}

void MacroEditor::StartKeyCapture() {
    // A running recording keeps the hook; the key field does not take it over.
    recorder_.StartKeyCapture();
}

void MacroEditor::StopKeyCapture() {
    recorder_.StopKeyCapture();
}

void MacroEditor::CaptureKey(std::uint32_t code) {
    // A click (on Save, say) is no key and must not replace the one captured.
    if (code >= kFirstMouseMessage)
        return;
    const std::uint8_t key = UsageOfVirtualKey(code, deps_.layout);
    deps_.controls.SetText(kActionKeyEdit, KeyName(key));
    if (HasAction(selectedAction_)) {
        actions_[static_cast<std::size_t>(selectedAction_)].key = key;
        FillRow(selectedAction_);
    }
    CommitEdits();
}

void MacroEditor::OnClose() {
    // Closing ends a recording as its button would, and leaves no hook on a window that goes.
    if (recorder_.Recording()) {
        StopRecording();
    } else {
        recorder_.StopKeyCapture();
    }
    // A name or delay typed and not yet taken (the window closed with the field in focus).
    ApplyTypedEdits();
    deps_.timers.KillTimer(kTimerScrollToInsert);
    deps_.timers.KillTimer(kTimerScrollToInsertStart);
}

}  // namespace ms1
