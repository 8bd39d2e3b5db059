#pragma once

#include "ui/macro/MacroEditorPorts.h"

namespace ms1 {

// Who takes the hook library's events while the macro editor is open.
enum class RecordingState {
    // No hook installed. Events the library had posted before it was switched off are dropped.
    Idle,
    // The hook is installed and every key and button becomes an action of the macro.
    Recording,
    // The hook is installed for the action's key field: a key pressed replaces the action's key.
    CapturingKey,
};

// What becomes of one event of the hook library in the current state.
enum class HookEventRoute { Drop, Record, CaptureKey };

// The recording and key capture state of the macro editor, with the hook library's switches
// that go with each change of state. A transition asked for in a state it does not start from
// is refused (false) and changes nothing; so is one the library cannot serve.
//
//   Idle, CapturingKey --StartRecording--> Recording --StopRecording--> Idle
//   Idle, CapturingKey --StartKeyCapture--> CapturingKey --StopKeyCapture--> Idle
class RecordingStateMachine {
  public:
    explicit RecordingStateMachine(MacroHooks& hooks) : hooks_(hooks) {}

    RecordingState State() const { return state_; }
    bool Recording() const { return state_ == RecordingState::Recording; }
    HookEventRoute Route() const;

    // Installs the hook (again, when a key capture held it), switches it on and the wheel off.
    bool StartRecording();
    // Removes the key and the mouse hook and switches all of them and the wheel off.
    bool StopRecording();
    // Installs the hook and switches it on; a running recording keeps the hook to itself.
    bool StartKeyCapture();
    // Removes the hook of a key capture and switches it off.
    bool StopKeyCapture();

  private:
    // Installs the hook and switches it on for `next`, unless a recording holds it or the
    // library cannot capture.
    bool TakeHook(RecordingState next);

    MacroHooks& hooks_;
    RecordingState state_ = RecordingState::Idle;
};

}  // namespace ms1
