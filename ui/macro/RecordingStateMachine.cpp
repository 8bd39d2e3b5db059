#include "ui/macro/RecordingStateMachine.h"

namespace ms1 {

HookEventRoute RecordingStateMachine::Route() const {
    switch (state_) {
        case RecordingState::Recording:
            return HookEventRoute::Record;
        case RecordingState::CapturingKey:
            return HookEventRoute::CaptureKey;
        case RecordingState::Idle:
            break;
    }
    return HookEventRoute::Drop;
}

bool RecordingStateMachine::TakeHook(RecordingState next) {
    if (state_ == RecordingState::Recording || !hooks_.Available())
        return false;
    state_ = next;
    hooks_.InstallHook();
    hooks_.EnableHook(true);
    return true;
}

bool RecordingStateMachine::StartRecording() {
    if (!TakeHook(RecordingState::Recording))
        return false;
    hooks_.MouseWheelEnable(false);
    return true;
}

bool RecordingStateMachine::StopRecording() {
    if (state_ != RecordingState::Recording)
        return false;
    state_ = RecordingState::Idle;
    hooks_.RemoveHook();
    hooks_.RemoveMouseHook();
    hooks_.EnableMouseHook(false);
    hooks_.EnableHook(false);
    hooks_.MouseWheelEnable(false);
    return true;
}

bool RecordingStateMachine::StartKeyCapture() {
    return TakeHook(RecordingState::CapturingKey);
}

bool RecordingStateMachine::StopKeyCapture() {
    if (state_ != RecordingState::CapturingKey)
        return false;
    state_ = RecordingState::Idle;
    hooks_.RemoveHook();
    hooks_.EnableHook(false);
    return true;
}

}  // namespace ms1
