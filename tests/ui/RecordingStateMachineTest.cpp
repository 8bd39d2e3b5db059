// The macro editor's recording state machine on its own: every transition from every state,
// with the hook library's switches each one makes, and how the kinds of control notification
// are told apart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/FakeMacroEditor.h"
#include "ui/NotificationType.h"
#include "ui/macro/RecordingStateMachine.h"

namespace ms1 {
namespace {

using test::RecordingHooks;

enum class Step { StartRecording, StopRecording, StartKeyCapture, StopKeyCapture };

bool Take(RecordingStateMachine& machine, Step step) {
    switch (step) {
        case Step::StartRecording:
            return machine.StartRecording();
        case Step::StopRecording:
            return machine.StopRecording();
        case Step::StartKeyCapture:
            return machine.StartKeyCapture();
        case Step::StopKeyCapture:
            return machine.StopKeyCapture();
    }
    return false;
}

using Calls = std::vector<std::string>;
const Calls kOn = {"installhook(window)", "enablehook(1)"};
const Calls kOnRec = {"installhook(window)", "enablehook(1)", "mousewheelenable(0)"};
const Calls kOffRec = {"removehook", "removemousehook", "enablemousehook(0)", "enablehook(0)",
                       "mousewheelenable(0)"};
const Calls kOffKey = {"removehook", "enablehook(0)"};

constexpr Step kRec = Step::StartRecording, kStop = Step::StopRecording,
               kKey = Step::StartKeyCapture, kLeave = Step::StopKeyCapture;
constexpr RecordingState kIdle = RecordingState::Idle, kRecording = RecordingState::Recording,
                         kCapturing = RecordingState::CapturingKey;

struct TransitionRow {
    const char* name;
    std::vector<Step> before;  // taken from Idle to reach the state the row starts in
    Step step;
    bool taken;
    Calls calls;  // the library's switches of `step` alone
    RecordingState after;
};

// Where the hook's events go in each state.
HookEventRoute RouteIn(RecordingState state) {
    return state == kRecording   ? HookEventRoute::Record
           : state == kCapturing ? HookEventRoute::CaptureKey
                                 : HookEventRoute::Drop;
}

void Check(const TransitionRow& row, bool available) {
    SCOPED_TRACE(row.name);
    RecordingHooks hooks;
    RecordingStateMachine machine(hooks);
    EXPECT_EQ(machine.State(), kIdle);
    for (Step step : row.before)
        ASSERT_TRUE(Take(machine, step));
    hooks.available = available;
    hooks.calls.clear();
    EXPECT_EQ(Take(machine, row.step), row.taken);
    EXPECT_EQ(hooks.calls, row.calls);
    EXPECT_EQ(machine.State(), row.after);
    EXPECT_EQ(machine.Route(), RouteIn(row.after));
    EXPECT_EQ(machine.Recording(), row.after == kRecording);
}

TEST(RecordingStateMachineTest, TransitionsFromEveryState) {
    // clang-format off
    const TransitionRow rows[] = {
        {"idle: a recording starts",       {},             kRec,   true,  kOnRec,  kRecording},
        {"idle: nothing to stop",          {},             kStop,  false, {},      kIdle},
        {"idle: key field takes the hook", {},             kKey,   true,  kOn,     kCapturing},
        {"idle: no capture to stop",       {},             kLeave, false, {},      kIdle},
        {"recording: no second start",     {kRec},         kRec,   false, {},      kRecording},
        {"recording: stop removes both",   {kRec},         kStop,  true,  kOffRec, kIdle},
        {"recording: key field waits",     {kRec},         kKey,   false, {},      kRecording},
        {"recording: hook kept on leave",  {kRec},         kLeave, false, {},      kRecording},
        {"capturing: recording takes it",  {kKey},         kRec,   true,  kOnRec,  kRecording},
        {"capturing: no recording to stop",{kKey},         kStop,  false, {},      kCapturing},
        {"capturing: focus installs again",{kKey},         kKey,   true,  kOn,     kCapturing},
        {"capturing: leave removes it",    {kKey},         kLeave, true,  kOffKey, kIdle},
        {"after a recording: key field",   {kRec, kStop},  kKey,   true,  kOn,     kCapturing},
        {"after a capture: recording",     {kKey, kLeave}, kRec,   true,  kOnRec,  kRecording},
    };
    // clang-format on
    for (const TransitionRow& row : rows)
        Check(row, true);
}

// Without a library that can capture nothing starts; what was started still ends.
TEST(RecordingStateMachineTest, WithoutTheLibrary) {
    // clang-format off
    const TransitionRow rows[] = {
        {"no recording starts",            {},             kRec,   false, {},      kIdle},
        {"no key is captured",             {},             kKey,   false, {},      kIdle},
        {"a capture still ends",           {kKey},         kLeave, true,  kOffKey, kIdle},
        {"a recording still ends",         {kRec},         kStop,  true,  kOffRec, kIdle},
    };
    // clang-format on
    for (const TransitionRow& row : rows)
        Check(row, false);
}

TEST(NotificationTypeTest, NamesOfTheSkinLayer) {
    using N = NotificationType;
    // clang-format off
    const struct {
        N type;
        const char* name;
    } rows[] = {
        {N::Click, "click"}, {N::SelectChanged, "selectchanged"}, {N::CheckClick, "checkclick"},
        {N::ItemSelect, "itemselect"}, {N::SetFocus, "setfocus"}, {N::KillFocus, "killfocus"},
        {N::Return, "return"}, {N::Timer, "timer"}, {N::ValueChanged, "valuechanged"},
        {N::TextChanged, "textchanged"},
        // Names are compared exactly: no other case, no prefix, no longer name.
        {N::Other, "Click"}, {N::Other, "clicked"}, {N::Other, "check"}, {N::Other, ""},
        {N::Other, "colorchanged"},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(NotificationTypeOf(row.name), row.type);
    }
}

}  // namespace
}  // namespace ms1
