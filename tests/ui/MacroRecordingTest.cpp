// Recording with the macro editor, over hook events posted as the hook library posts them.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "ui/MacroEditorFixture.h"

namespace ms1::test {
namespace {

using namespace macroui;

// Virtual keys and mouse messages of the hook library; usages they are stored as (us layout).
constexpr std::uintptr_t VK_A = 0x41, VK_B = 0x42, VK_C = 0x43, VK_RETURN = 0x0D, VK_LSHIFT = 0xA0,
                         VK_NONE = 0xFF;

struct Event {
    std::uintptr_t code;
    std::intptr_t kind;
    std::uint32_t at;  // clock, ms
};

struct ModeRow {
    const char* name;
    const char* option;
    const char* defaultDelay;
    std::vector<Event> events;
    std::vector<Act> expected;
};

using MacroRecording = MacroEditorFixture;

TEST_F(MacroRecording, EachDelayModeIntoANewMacro) {
    const ModeRow rows[] = {
        {"recorded delays, held key, 70 s gap, X button 1",
         kRecordDelayOption,
         "10",
         {{VK_A, 0, 1100},
          {VK_A, 0, 1130},  // held: the press repeats
          {VK_A, 0, 1160},
          {VK_A, 1, 1250},
          {0x201, 0, 71250},
          {0x202, 0, 71262},
          {0x20B, 1, 71300},
          {0x20C, 1, 71400}},
         {{0x04, 1, 150},
          {0x04, 2, 25000},
          {0xF1, 1, 12},
          {0xF1, 2, 38},
          {0xF4, 1, 100},
          {0xF4, 2, 10}}},
        {"default delay as typed, X button 2",
         kDefaultDelayOption,
         "40",
         {{VK_A, 0, 1001},
          {VK_A, 1, 1002},
          {VK_RETURN, 0, 1003},
          {VK_RETURN, 7, 1004},  // any kind but 0 is a release
          {0x20B, 2, 1005},
          {0x20C, 2, 1006}},
         {{0x04, 1, 40},
          {0x04, 2, 40},
          {0x28, 1, 40},
          {0x28, 2, 40},
          {0xF5, 1, 40},
          {0xF5, 2, 10}}},
        {"default delay typed below the minimum",
         kDefaultDelayOption,
         "5",
         {{0x204, 0, 2000}, {0x205, 0, 9000}, {0x207, 0, 9500}, {0x208, 0, 9999}},
         {{0xF2, 1, 10}, {0xF2, 2, 10}, {0xF3, 1, 10}, {0xF3, 2, 10}}},
        {"no delay, unknown key",
         kNoDelayOption,
         "40",
         {{VK_B, 0, 1500},
          {VK_B, 1, 2500},
          {VK_LSHIFT, 0, 3500},
          {VK_LSHIFT, 1, 4500},
          {VK_NONE, 0, 5500},
          {VK_NONE, 1, 6500}},
         {{0x05, 1, 1}, {0x05, 2, 1}, {0xE1, 1, 1}, {0xE1, 2, 1}, {0x00, 1, 1}, {0x00, 2, 10}}},
    };
    for (const ModeRow& row : rows) {
        SCOPED_TRACE(row.name);
        Store({});
        controls_ = {};
        MacroEditor& editor = Open();
        Notify({"selectchanged", row.option});
        Type(kDefaultDelayEdit, row.defaultDelay);
        clock_.now = 1000;
        Record();  // no macro yet: one is made and recorded into
        EXPECT_TRUE(editor.Recording());
        EXPECT_EQ(Lines().lines, std::vector<std::string>{"Macro1"});
        EXPECT_EQ(controls_.texts[kRecordButton], "key:stop_recording_text");
        for (const Event& e : row.events) {
            clock_.now = e.at;
            Hook(e.code, e.kind);
        }
        // What is shown while recording already holds the gaps so far.
        ASSERT_EQ(Rows().rows.size(), row.expected.size());
        EXPECT_EQ(Rows().selection, static_cast<int>(row.expected.size()) - 1);
        StopRecord();
        EXPECT_FALSE(editor.Recording());
        EXPECT_EQ(controls_.texts[kRecordButton], "key:start_recording_text");
        EXPECT_FALSE(controls_.IsChecked(kRecordButton));
        EXPECT_EQ(Working(), row.expected);
        const MacroList stored = OnDisk();
        ASSERT_EQ(stored.size(), 1u);
        EXPECT_EQ(ActsOf(stored[0]), row.expected);
    }
}

TEST_F(MacroRecording, TheFileHoldsTheRecordingByteForByte) {
    Open();
    Notify({"selectchanged", kRecordDelayOption});
    clock_.now = 4000;
    Record();
    for (const Event& e : {Event{VK_C, 0, 4300}, Event{VK_C, 1, 4429}, Event{0x201, 0, 4431},
                           Event{0x202, 0, 34431}}) {
        clock_.now = e.at;
        Hook(e.code, e.kind);
    }
    StopRecord();
    std::vector<std::uint8_t> expected(856, 0);
    const std::uint8_t head[] = {'M', 0, 'a', 0, 'c', 0, 'r', 0, 'o', 0, '1', 0};
    std::copy(std::begin(head), std::end(head), expected.begin());
    expected[52] = 4;  // actionCount
    const std::uint8_t actions[] = {
        0x06, 0x01, 0x81, 0x00,  // C pressed, 129 ms
        0x06, 0x02, 0x02, 0x00,  // C released, 2 ms
        0xF1, 0x01, 0xA8, 0x61,  // left button down, 30 s capped at 25000 ms
        0xF1, 0x02, 0x0A, 0x00,  // left button up, 10 ms
    };
    std::copy(std::begin(actions), std::end(actions), expected.begin() + 56);
    EXPECT_EQ(FileBytes(), expected);
    EXPECT_EQ(editor_->WeightedLength(), 6);
}

struct InsertRow {
    int selected;
    const char* option;
    std::vector<Act> expected;
    int selectedAfter;
};

// The first gap of a recording inserted after a selected action goes to
// that selected action; the old action after the inserted block keeps its delay.
TEST_F(MacroRecording, InsertsAfterTheSelectedAction) {
    const std::vector<Act> base = {{0x04, 1, 100}, {0x04, 2, 200}, {0x05, 1, 300}};
    const InsertRow rows[] = {
        {0,
         kNoDelayOption,
         {{0x04, 1, 1}, {0x06, 1, 1}, {0x06, 2, 10}, {0x04, 2, 200}, {0x05, 1, 300}},
         2},
        {1,
         kNoDelayOption,
         {{0x04, 1, 100}, {0x04, 2, 1}, {0x06, 1, 1}, {0x06, 2, 10}, {0x05, 1, 300}},
         3},
        {2,
         kNoDelayOption,
         {{0x04, 1, 100}, {0x04, 2, 200}, {0x05, 1, 1}, {0x06, 1, 1}, {0x06, 2, 10}},
         4},
        {0,
         kRecordDelayOption,
         {{0x04, 1, 300}, {0x06, 1, 40}, {0x06, 2, 10}, {0x04, 2, 200}, {0x05, 1, 300}},
         2},
    };
    for (const InsertRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "selected " << row.selected << " " << row.option);
        Store({MacroOf(u"Base", base)});
        timers_ = {};
        MacroEditor& editor = Open();
        SelectMacro(0);
        ASSERT_EQ(editor.SelectedAction(), 2);  // a loaded macro shows its last action
        SelectAction(row.selected);
        Notify({"selectchanged", row.option});
        clock_.now = 5000;
        Record();
        clock_.now = 5300;
        Hook(VK_C, 0);
        clock_.now = 5340;
        Hook(VK_C, 1);
        EXPECT_EQ(Rows().selection, row.selectedAfter);
        EXPECT_TRUE(timers_.IsTimerRunning(kTimerScrollToInsert));
        editor.OnTimer(kTimerScrollToInsert);
        EXPECT_EQ(Rows().scrolledTo.back(), row.selectedAfter);
        EXPECT_FALSE(timers_.IsTimerRunning(kTimerScrollToInsert));
        StopRecord();
        EXPECT_EQ(Working(), row.expected);
        EXPECT_EQ(ActsOf(OnDisk()[0]), row.expected);
    }
}

struct LimitRow {
    const char* name;
    std::vector<Act> stored;
    std::function<void(MacroEditorFixture&)> act;
    int countAfter;
    std::vector<std::pair<int, int>> delays;  // index, delay in the working copy and on disk
};

TEST_F(MacroRecording, LimitsOfTheMacroLength) {
    auto record = [](std::vector<std::pair<std::uintptr_t, std::intptr_t>> events) {
        return [events](MacroEditorFixture& f) {
            f.Notify({"selectchanged", kNoDelayOption});
            f.Record();
            for (auto [code, kind] : events)
                f.Hook(code, kind);
        };
    };
    const LimitRow rows[] = {
        {"weighted length 200 before an event: stop, event dropped",
         Repeated(100, {0x04, 1, 200}),
         record({{VK_B, 0}}),
         100,
         {{99, 200}}},
        {"200 actions after an event: stop, later events dropped",
         Repeated(198, {0x04, 1, 10}),
         record({{VK_B, 0}, {VK_B, 1}, {VK_C, 0}, {VK_C, 1}}),
         200,
         {{197, 1}, {198, 1}, {199, 10}}},
        {"weighted length 201 is kept, 202 is refused and the stored macro comes back",
         Repeated(200, {0x04, 1, 10}),
         [](MacroEditorFixture& f) {
             f.SelectAction(0);
             f.TypeAndLeave(kKeyDelayEdit, "129");
             f.SelectAction(1);
             f.TypeAndLeave(kKeyDelayEdit, "500");
         },
         200,
         {{0, 129}, {1, 10}}},
        {"199 actions: a mouse event does not fit",
         Repeated(199, {0x04, 1, 10}),
         [](MacroEditorFixture& f) { f.Click("ms_1_macro_key1_btn"); },
         199,
         {{198, 10}}},
        {"198 actions: a mouse event fills the macro",
         Repeated(198, {0x04, 1, 10}),
         [](MacroEditorFixture& f) { f.Click("ms_1_macro_key3_btn"); },
         200,
         {{198, 10}, {199, 10}}},
    };
    for (const LimitRow& row : rows) {
        SCOPED_TRACE(row.name);
        Store({MacroOf(u"Long", row.stored)});
        MacroEditor& editor = Open();
        SelectMacro(0);
        row.act(*this);
        EXPECT_FALSE(editor.Recording());
        EXPECT_EQ(editor.ActionCount(), row.countAfter);
        EXPECT_EQ(OnDisk()[0].actionCount, row.countAfter);
        EXPECT_EQ(Rows().rows.size(), static_cast<std::size_t>(row.countAfter));
        for (auto [index, delay] : row.delays) {
            EXPECT_EQ(editor.Action(index).delay, delay) << "action " << index;
            EXPECT_EQ(OnDisk()[0].actions[index].delay, delay) << "stored action " << index;
        }
    }
}

struct OwnClickRow {
    const char* name;
    // code, kind, pointer over the editor
    std::vector<std::tuple<std::uintptr_t, std::intptr_t, bool>> events;
    std::vector<Act> expected;
};

// What a recording keeps of the clicks on the editor and of presses the stop cut off.
TEST_F(MacroRecording, ClicksOnTheEditorAndCutOffPressesAreLeftOut) {
    const OwnClickRow rows[] = {
        {"a click on the editor", {{0x201, 0, true}, {0x202, 0, true}}, {}},
        {"a click elsewhere",
         {{0x201, 0, false}, {0x202, 0, false}},
         {{0xF1, 1, 1}, {0xF1, 2, 10}}},
        {"pressed elsewhere, released over the editor",
         {{0x204, 0, false}, {0x205, 0, true}},
         {{0xF2, 1, 1}, {0xF2, 2, 10}}},
        {"pressed over the editor, released elsewhere", {{0x207, 0, true}, {0x208, 0, false}}, {}},
        {"the release of the click that started",
         {{0x202, 0, true}, {VK_A, 0, true}, {VK_A, 1, true}},
         {{0x04, 1, 1}, {0x04, 2, 10}}},
        {"a key typed with the pointer over the editor",
         {{VK_B, 0, true}, {VK_B, 1, true}},
         {{0x05, 1, 1}, {0x05, 2, 10}}},
        {"the stop's press came before the stop",
         {{VK_A, 0, false}, {VK_A, 1, false}, {0x201, 0, false}},
         {{0x04, 1, 1}, {0x04, 2, 10}}},
        {"a key still held at the stop",
         {{VK_LSHIFT, 0, false}, {VK_B, 0, false}, {VK_B, 1, false}},
         {{0x05, 1, 1}, {0x05, 2, 10}}},
        {"X button 1 released, X button 2 still held",
         {{0x20B, 1, false}, {0x20B, 2, false}, {0x20C, 1, false}},
         {{0xF4, 1, 1}, {0xF4, 2, 10}}},
    };
    for (const OwnClickRow& row : rows) {
        SCOPED_TRACE(row.name);
        Store({});
        controls_ = {};
        Open();
        Notify({"selectchanged", kNoDelayOption});
        Record();  // no macro yet: one is made and recorded into
        for (auto [code, kind, over] : row.events)
            Hook(code, kind, over);
        StopRecord();
        EXPECT_EQ(Working(), row.expected);
        const std::vector<MacroRecord> disk = OnDisk();
        ASSERT_EQ(disk.size(), 1u);
        EXPECT_EQ(disk[0].actionCount, static_cast<int>(row.expected.size()));
    }
}

struct HookRow {
    const char* name;
    bool available;
    std::function<void(MacroEditorFixture&)> act;
    std::vector<std::string> calls;
    bool recordingAfter = false;
};

TEST_F(MacroRecording, HookCallsInTheirOrder) {
    const std::vector<std::string> start = {"installhook(window)", "enablehook(1)",
                                            "mousewheelenable(0)"};
    const std::vector<std::string> stop = {"removehook", "removemousehook", "enablemousehook(0)",
                                           "enablehook(0)", "mousewheelenable(0)"};
    auto join = [](std::vector<std::vector<std::string>> parts) {
        std::vector<std::string> all;
        for (auto& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    const HookRow rows[] = {
        {"start", true, [](MacroEditorFixture& f) { f.Record(); }, start, true},
        // The buttons stay captured over the editor: its own clicks are told apart by where
        // the pointer is when they come.
        {"start, over the record button and off it, stop", true,
         [](MacroEditorFixture& f) {
             f.Record();
             f.Notify({"mouseenter", kRecordButton});
             f.Notify({"mouseleave", kRecordButton});
             f.Notify({"mouseenter", kRecordButton});
             f.StopRecord();
         },
         join({start, stop})},
        {"over the record button while not recording",
         true,
         [](MacroEditorFixture& f) {
             f.Notify({"mouseenter", kRecordButton});
             f.Notify({"mouseleave", kRecordButton});
         },
         {}},
        {"the key field gets and loses the focus",
         true,
         [](MacroEditorFixture& f) {
             f.Focus(kActionKeyEdit);
             f.Leave(kActionKeyEdit);
         },
         {"installhook(window)", "enablehook(1)", "removehook", "enablehook(0)"}},
        {"the key field takes nothing from a running recording", true,
         [](MacroEditorFixture& f) {
             f.Record();
             f.Focus(kActionKeyEdit);
             f.Leave(kActionKeyEdit);
             f.Hook(VK_A, 0);
         },
         start, true},
        {"closing while recording stops it and removes the hooks", true,
         [](MacroEditorFixture& f) {
             f.Record();
             f.editor_->OnClose();
         },
         join({start, stop})},
        {"closing while the key field captures removes the hook",
         true,
         [](MacroEditorFixture& f) {
             f.Focus(kActionKeyEdit);
             f.editor_->OnClose();
             f.Leave(kActionKeyEdit);  // the field loses the focus as the window goes
         },
         {"installhook(window)", "enablehook(1)", "removehook", "enablehook(0)"}},
        {"without the hook library nothing is called",
         false,
         [](MacroEditorFixture& f) {
             f.Record();
             f.Focus(kActionKeyEdit);
             f.Hook(VK_A, 0);
             f.Leave(kActionKeyEdit);
             f.editor_->OnClose();
         },
         {}},
    };
    for (const HookRow& row : rows) {
        SCOPED_TRACE(row.name);
        Store({MacroOf(u"Keys", {{0x04, 1, 10}})});
        hooks_ = {};
        hooks_.available = row.available;
        controls_ = {};
        MacroEditor& editor = Open();
        SelectMacro(0);
        row.act(*this);
        EXPECT_EQ(hooks_.calls, row.calls);
        EXPECT_EQ(controls_.disabled.count(kRecordButton), row.available ? 0u : 1u);
        EXPECT_EQ(controls_.disabled.count(kActionKeyEdit), row.available ? 0u : 1u);
        EXPECT_EQ(controls_.hidden.count(kHookNote), row.available ? 1u : 0u);
        EXPECT_EQ(editor.Recording(), row.recordingAfter);
    }
}

TEST_F(MacroRecording, TheLibrarysReasonReplacesTheGeneralNote) {
    hooks_.available = false;
    hooks_.problem = "on Wayland, key capture needs read access to /dev/input";
    Open();
    EXPECT_EQ(controls_.hidden.count(kHookNote), 0u);
    EXPECT_EQ(controls_.texts[kHookNote],
              "on Wayland, key capture needs read access to /dev/input");
    EXPECT_EQ(controls_.disabled.count(kRecordButton), 1u);

    // Without a reason the skin's general note stays.
    hooks_ = {};
    hooks_.available = false;
    controls_ = {};
    Open();
    EXPECT_EQ(controls_.hidden.count(kHookNote), 0u);
    EXPECT_EQ(controls_.texts.count(kHookNote), 0u);
}

}  // namespace
}  // namespace ms1::test
