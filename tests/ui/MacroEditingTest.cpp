// Editing macros by hand in the macro editor: the macro list, names, the actions and their
// delays, the single-action panel and macro files.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "core/Utf16Text.h"
#include "ui/MacroEditorFixture.h"

namespace ms1::test {
namespace {

using namespace macroui;

using MacroEditing = MacroEditorFixture;

const std::vector<Act> kBurst = {{0x04, 1, 50}, {0xF1, 1, 60}, {0xF1, 2, 70}, {0x05, 1, 80}};

TEST_F(MacroEditing, TheMacroListFollowsTheStore) {
    Store({MacroOf(u"Burst", kBurst), MacroOf(u"Combo", {}), MacroOf(u"Spray", {{0x06, 1, 9}})});
    MacroEditor& editor = Open();
    EXPECT_EQ(Lines().lines, (std::vector<std::string>{"Burst", "Combo", "Spray"}));
    EXPECT_EQ(Lines().heights, (std::vector<int>{22, 22, 22}));
    EXPECT_EQ(Lines().selection, -1);
    EXPECT_EQ(editor.CurrentMacroIndex(), -1);

    // Selecting loads: the name, one row per action, the last one selected.
    SelectMacro(0);
    EXPECT_EQ(controls_.texts[kNameEdit], "Burst");
    ASSERT_EQ(Rows().rows.size(), 4u);
    EXPECT_EQ(Rows().heights[0], 30);
    EXPECT_EQ(Rows().rows[0],
              (std::map<std::string, std::string>{
                  {"key", "A"},
                  {"key.image", "res='skins/keyboard_key_action.png' dest='5,6,35,24'"},
                  {"action", "key:key_down_action"},
                  {"action.image", "res='skins/macro_key_down.png' dest='5,6,21,24'"},
                  {"delay", "50"}}));
    EXPECT_EQ(Rows().rows[2], (std::map<std::string, std::string>{
                                  {"key", "L_Button"},
                                  {"key.image", "res='skins/mouse.png' dest='2,2,28,28'"},
                                  {"action", "key:key_up_action"},
                                  {"action.image", "res='skins/macro_key_up.png' dest='5,6,21,24'"},
                                  {"delay", "70"}}));
    EXPECT_EQ(Rows().selection, 3);
    EXPECT_EQ(editor.SelectedAction(), 3);

    // Add: the next default name, a 30 px line, selected and loaded (empty).
    Click(kAddButton);
    EXPECT_EQ(Lines().lines.back(), "Macro4");
    EXPECT_EQ(Lines().heights.back(), 30);
    EXPECT_EQ(Lines().selection, 3);
    EXPECT_EQ(editor.CurrentMacroIndex(), 3);
    EXPECT_TRUE(Rows().rows.empty());
    EXPECT_EQ(editor.SelectedAction(), -1);
    EXPECT_EQ(OnDisk().size(), 4u);

    // Delete asks first; declined, nothing goes.
    SelectMacro(1);
    dialogs_.answers = {false};
    Click(kDeleteButton);
    EXPECT_EQ(dialogs_.messages, std::vector<std::string>{"delete_macro_text"});
    EXPECT_EQ(OnDisk().size(), 4u);
    // Confirmed: the line goes and the one after it is selected.
    dialogs_.answers = {true};
    Click(kDeleteButton);
    EXPECT_EQ(Lines().lines, (std::vector<std::string>{"Burst", "Spray", "Macro4"}));
    EXPECT_EQ(Lines().selection, 1);
    EXPECT_EQ(controls_.texts[kNameEdit], "Spray");
    EXPECT_EQ(OnDisk()[1].name.get(), u"Spray");
    // The last line deleted: the one before it.
    SelectMacro(2);
    dialogs_.answers = {true};
    Click(kDeleteButton);
    EXPECT_EQ(Lines().selection, 1);
    EXPECT_EQ(editor.CurrentMacroIndex(), 1);
    // Nothing left: nothing of the deleted macro stays on show.
    for (int i = 0; i < 2; ++i) {
        dialogs_.answers = {true};
        SelectMacro(0);
        Click(kDeleteButton);
    }
    EXPECT_TRUE(Lines().lines.empty());
    EXPECT_TRUE(Rows().rows.empty());
    EXPECT_EQ(controls_.texts[kNameEdit], "");
    EXPECT_EQ(editor.CurrentMacroIndex(), -1);
    EXPECT_TRUE(OnDisk().empty());
}

TEST_F(MacroEditing, MacrosAddedElsewhereWhileADialogIsOpenAreListed) {
    Store({MacroOf(u"Burst", kBurst), MacroOf(u"Combo", {})});
    Open();
    SelectMacro(0);
    // ms1ctl's import runs in the message box's event loop and appends to the store.
    dialogs_.during = [this] {
        auto access = store_->Lock();
        access.Macros().push_back(MacroOf(u"Imported", {}));
        dialogs_.during = nullptr;
    };
    dialogs_.answers = {true};
    Click(kDeleteButton);
    EXPECT_EQ(Lines().lines, (std::vector<std::string>{"Combo", "Imported"}));
    const MacroList stored = OnDisk();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].name.get(), u"Combo");
    EXPECT_EQ(stored[1].name.get(), u"Imported");
}

struct RenameRow {
    const char* typed;
    const char16_t* stored;
    const char* shown;
    // The notice that says why a name was refused (the language key, as the fake texts give
    // it, with "%s" for the name), or none.
    std::vector<std::string> notices;
};

TEST_F(MacroEditing, RenameOnLeavingTheNameField) {
    const RenameRow rows[] = {
        {"Combo", u"Burst", "Burst", {"macro_name_in_use_text"}},  // another macro's name
        {"cOMBO", u"Burst", "Burst", {"macro_name_in_use_text"}},  // in any letter case
        {"", u"Burst", "Burst", {"macro_name_empty_text"}},        // no name
        {"ABCDEFGHIJKLMNOPQRSTUVWX", u"Burst", "Burst", {"macro_name_too_long_text"}},  // 24
        {"BURST", u"Burst", "BURST", {}},  // only the case: nothing changes
        {"ABCDEFGHIJKLMNOPQRSTUVW", u"ABCDEFGHIJKLMNOPQRSTUVW", "ABCDEFGHIJKLMNOPQRSTUVW", {}},
        {"Grüße", u"Grüße", "Grüße", {}},
    };
    for (const RenameRow& row : rows) {
        SCOPED_TRACE(row.typed);
        Store({MacroOf(u"Burst", kBurst), MacroOf(u"Combo", {})});
        controls_ = {};
        Open();
        SelectMacro(0);
        TypeAndLeave(kNameEdit, row.typed);
        EXPECT_EQ(OnDisk()[0].name.get(), row.stored);
        EXPECT_EQ(controls_.texts[kNameEdit], row.shown);
        EXPECT_EQ(Lines().lines[0], ToUtf8(row.stored));
        EXPECT_EQ(ActsOf(OnDisk()[0]), kBurst);
        EXPECT_EQ(dialogs_.problems, row.notices);
        dialogs_.problems.clear();
        // Once refused, the field shows the stored name: the next click says nothing more.
        Click(kAddButton);
        EXPECT_TRUE(dialogs_.problems.empty());
    }
}

const std::vector<Act> kAB = {{0x04, 1, 20}, {0x04, 2, 30}, {0x05, 1, 40}, {0x05, 2, 50}};

struct TypedRow {
    const char* name;
    int action;  // selected, its panel open, before typing
    const char* field;
    const char* typed;
    std::function<void(MacroEditorFixture&)> then;
    std::vector<std::u16string> names;  // of the macros stored afterwards
    std::vector<Act> first;             // the actions of the first macro stored afterwards
};

// Buttons and lists never take the focus, so the field is never left before they act: what
// was typed goes to the action or macro it was typed for first, and Enter takes it too.
TEST_F(MacroEditing, TypedEditsGoWhereTheyWereTypedBeforeAnythingElseActs) {
    const TypedRow rows[] = {
        {"a delay, then Left inserted after the action",
         0,
         kKeyDelayEdit,
         "500",
         [](auto& f) { f.Click(kMouseButtonPrefix + std::string("1_btn")); },
         {u"Burst", u"Empty"},
         {{0x04, 1, 500},
          {0xF1, 1, 10},
          {0xF1, 2, 10},
          {0x04, 2, 30},
          {0x05, 1, 40},
          {0x05, 2, 50}}},
        {"a delay, then Up",
         1,
         kKeyDelayEdit,
         "300",
         [](auto& f) { f.Click(kUpButton); },
         {u"Burst", u"Empty"},
         {{0x04, 2, 300}, {0x04, 1, 20}, {0x05, 1, 40}, {0x05, 2, 50}}},
        {"a delay, then Down",
         1,
         kKeyDelayEdit,
         "300",
         [](auto& f) { f.Click(kDownButton); },
         {u"Burst", u"Empty"},
         {{0x04, 1, 20}, {0x05, 1, 40}, {0x04, 2, 300}, {0x05, 2, 50}}},
        {"a delay, then another action",
         0,
         kKeyDelayEdit,
         "500",
         [](auto& f) { f.SelectAction(2); },
         {u"Burst", u"Empty"},
         {{0x04, 1, 500}, {0x04, 2, 30}, {0x05, 1, 40}, {0x05, 2, 50}}},
        {"a delay, then Enter",
         2,
         kKeyDelayEdit,
         "7",
         [](auto& f) {
             f.Notify({"return", kKeyDelayEdit});
         },
         {u"Burst", u"Empty"},
         {{0x04, 1, 20}, {0x04, 2, 30}, {0x05, 1, 7}, {0x05, 2, 50}}},
        {"a delay, then Cancel",
         0,
         kKeyDelayEdit,
         "500",
         [](auto& f) { f.Click(kCancelButton); },
         {u"Burst", u"Empty"},
         kAB},
        {"a name, then New",
         -1,
         kNameEdit,
         "Greeting",
         [](auto& f) { f.Click(kAddButton); },
         {u"Greeting", u"Empty", u"Macro3"},
         kAB},
        {"a name, then Enter",
         -1,
         kNameEdit,
         "Greeting",
         [](auto& f) {
             f.Notify({"return", kNameEdit});
         },
         {u"Greeting", u"Empty"},
         kAB},
        {"a name, then another macro",
         -1,
         kNameEdit,
         "Greeting",
         [](auto& f) { f.SelectMacro(1); },
         {u"Greeting", u"Empty"},
         kAB},
        {"a name, then recording",
         -1,
         kNameEdit,
         "Greeting",
         [](auto& f) {
             f.Record();
             f.StopRecord();
         },
         {u"Greeting", u"Empty"},
         kAB},
    };
    for (const TypedRow& row : rows) {
        SCOPED_TRACE(row.name);
        Store({MacroOf(u"Burst", kAB), MacroOf(u"Empty", {})});
        controls_ = {};
        Open();
        SelectMacro(0);
        if (row.action >= 0) {
            SelectAction(row.action);
            controls_.checked.insert(kActionEditCheck);
            Check(kActionEditCheck, true);
        }
        Type(row.field, row.typed);
        row.then(*this);
        const MacroList disk = OnDisk();
        std::vector<std::u16string> names;
        for (const MacroRecord& macro : disk)
            names.push_back(macro.name.get());
        EXPECT_EQ(names, row.names);
        EXPECT_EQ(ActsOf(disk.at(0)), row.first);
        EXPECT_TRUE(dialogs_.problems.empty());
    }
}

TEST_F(MacroEditing, AnEmptyMacroShowsNothingOfThePreviousOneInThePanel) {
    Store({MacroOf(u"Burst", kBurst), MacroOf(u"Empty", {})});
    Open();
    SelectMacro(0);
    SelectAction(2);
    controls_.checked.insert(kActionEditCheck);
    Check(kActionEditCheck, true);
    ASSERT_EQ(controls_.tabs[kActionEditTab], 2);
    ASSERT_EQ(controls_.texts[kMouseDelayEdit], "70");
    SelectMacro(1);
    EXPECT_EQ(controls_.tabs[kActionEditTab], 0);
    EXPECT_FALSE(controls_.IsChecked(kActionEditCheck));
    for (const char* field : {kActionKeyEdit, kKeyDelayEdit, kMouseDelayEdit})
        EXPECT_EQ(controls_.texts[field], "") << field;
    EXPECT_EQ(controls_.comboItems[kMouseActionCombo], -1);
    // Typing into the hidden delay field of the empty macro changes nothing anywhere.
    controls_.texts[kMouseDelayEdit] = "900";
    SelectMacro(0);
    EXPECT_EQ(ActsOf(OnDisk()[0]), kBurst);
}

struct DelayRow {
    int row;
    const char* edit;
    const char* typed;
    int stored;         // delay of that action afterwards
    const char* shown;  // the edit's text afterwards
};

TEST_F(MacroEditing, DelayEditsAreClampedAndNeverTouchTheLastAction) {
    const DelayRow rows[] = {
        {0, kKeyDelayEdit, "0", 1, "1"},
        {0, kKeyDelayEdit, "30000", 25000, "25000"},
        {0, kKeyDelayEdit, " 250ms", 250, "250"},
        {0, kKeyDelayEdit, "abc", 1, "1"},
        {1, kMouseDelayEdit, "0", 1, "1"},
        {2, kMouseDelayEdit, "99999999999999", 25000, "25000"},
        {3, kKeyDelayEdit, "500", 80, "500"},  // the last action
    };
    for (const DelayRow& row : rows) {
        SCOPED_TRACE(testing::Message() << row.edit << " " << row.typed);
        Store({MacroOf(u"Burst", kBurst)});
        MacroEditor& editor = Open();
        SelectMacro(0);
        SelectAction(row.row);
        TypeAndLeave(row.edit, row.typed);
        EXPECT_EQ(editor.Action(row.row).delay, row.stored);
        EXPECT_EQ(OnDisk()[0].actions[row.row].delay, row.stored);
        EXPECT_EQ(Rows().rows[static_cast<std::size_t>(row.row)]["delay"],
                  std::to_string(row.stored));
        EXPECT_EQ(controls_.texts[row.edit], row.shown);
    }
    // The default delay: at least 10, at most 25000.
    for (auto [typed, shown] :
         {std::pair{"5", "10"}, {"", "10"}, {"99999", "25000"}, {"40", "40"}}) {
        TypeAndLeave(kDefaultDelayEdit, typed);
        EXPECT_EQ(controls_.texts[kDefaultDelayEdit], shown) << typed;
    }
}

struct MoveRow {
    int row;
    const char* button;
    std::vector<int> order;  // old indices in their new order
    int selected;
};

TEST_F(MacroEditing, MoveUpAndDownStopAtTheEnds) {
    const MoveRow rows[] = {
        {0, kUpButton, {0, 1, 2, 3}, 0},
        {3, kDownButton, {0, 1, 2, 3}, 3},
        {1, kUpButton, {1, 0, 2, 3}, 0},
        {2, kDownButton, {0, 1, 3, 2}, 3},
    };
    for (const MoveRow& row : rows) {
        SCOPED_TRACE(testing::Message() << row.row << " " << row.button);
        Store({MacroOf(u"Burst", kBurst)});
        Open();
        SelectMacro(0);
        SelectAction(row.row);
        Click(row.button);
        std::vector<Act> expected;
        for (int old : row.order)
            expected.push_back(kBurst[static_cast<std::size_t>(old)]);
        EXPECT_EQ(Working(), expected);
        EXPECT_EQ(ActsOf(OnDisk()[0]), expected);
        EXPECT_EQ(Rows().selection, row.selected);
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(Rows().rows[i]["delay"], std::to_string(expected[i].delay)) << i;
    }
}

struct MouseEventRow {
    const char* button;
    int selected;  // -1: a new, empty macro
    const char* option;
    std::vector<Act> expected;
    int selectedAfter;
};

TEST_F(MacroEditing, MouseEventButtonsInsertAPressAndARelease) {
    const std::vector<Act> keys = {{0x04, 1, 50}, {0x04, 2, 60}};
    const MouseEventRow rows[] = {
        {"ms_1_macro_key1_btn",
         0,
         kDefaultDelayOption,
         {{0x04, 1, 50}, {0xF1, 1, 40}, {0xF1, 2, 40}, {0x04, 2, 60}},
         2},
        {"ms_1_macro_key4_btn",
         1,
         kNoDelayOption,
         {{0x04, 1, 50}, {0x04, 2, 60}, {0xF5, 1, 10}, {0xF5, 2, 10}},
         3},
        {"ms_1_macro_key5_btn",
         0,
         kRecordDelayOption,
         {{0x04, 1, 50}, {0xF4, 1, 10}, {0xF4, 2, 10}, {0x04, 2, 60}},
         2},
        {"ms_1_macro_key2_btn", -1, kDefaultDelayOption, {{0xF2, 1, 40}, {0xF2, 2, 40}}, 1},
    };
    for (const MouseEventRow& row : rows) {
        SCOPED_TRACE(row.button);
        Store({MacroOf(u"Keys", keys)});
        MacroEditor& editor = Open();
        if (row.selected < 0) {
            Click(kAddButton);
        } else {
            SelectMacro(0);
            SelectAction(row.selected);
        }
        Notify({"selectchanged", row.option});
        Type(kDefaultDelayEdit, "40");
        Click(row.button);
        EXPECT_EQ(Working(), row.expected);
        EXPECT_EQ(ActsOf(OnDisk()[static_cast<std::size_t>(editor.CurrentMacroIndex())]),
                  row.expected);
        EXPECT_EQ(Rows().selection, row.selectedAfter);
        EXPECT_EQ(Rows().rows[static_cast<std::size_t>(row.selectedAfter)]["key.image"],
                  "res='skins/mouse.png' dest='2,2,28,28'");
    }
}

TEST_F(MacroEditing, TheSingleActionPanelShowsAndEditsTheSelectedAction) {
    Store({MacroOf(u"Burst", kBurst)});
    MacroEditor& editor = Open();
    // Nothing selected: the box does not stay checked.
    Check(kActionEditCheck, true);
    EXPECT_FALSE(controls_.IsChecked(kActionEditCheck));
    SelectMacro(0);
    SelectAction(0);
    controls_.checked.insert(kActionEditCheck);
    Check(kActionEditCheck, true);
    EXPECT_EQ(controls_.tabs[kActionEditTab], 1);
    EXPECT_EQ(controls_.texts[kActionKeyEdit], "A");
    EXPECT_EQ(controls_.texts[kKeyDelayEdit], "50");
    EXPECT_FALSE(controls_.disabled.count(kKeyDelayEdit));
    // Another row while open: a mouse action on page 2, its button in the combo.
    SelectAction(2);
    EXPECT_EQ(controls_.tabs[kActionEditTab], 2);
    EXPECT_EQ(controls_.comboItems[kMouseActionCombo], 0);
    EXPECT_EQ(controls_.texts[kMouseDelayEdit], "70");
    Notify({"itemselect", kMouseActionCombo, 3});
    EXPECT_EQ(editor.Action(2).key, 0xF5);
    EXPECT_EQ(Rows().rows[2]["key"], "Forward_Button");
    EXPECT_EQ(OnDisk()[0].actions[2].key, 0xF5);
    // The last action: its delay shows 10 and cannot be edited.
    SelectAction(3);
    EXPECT_EQ(controls_.tabs[kActionEditTab], 1);
    EXPECT_EQ(controls_.texts[kKeyDelayEdit], "10");
    EXPECT_TRUE(controls_.disabled.count(kKeyDelayEdit));

    // The key field captures the next key pressed into the selected action; clicks do not.
    SelectAction(0);
    Focus(kActionKeyEdit);
    Hook(0x201, 0);
    EXPECT_EQ(editor.Action(0).key, 0x04);
    Hook(0x43, 0);  // C
    EXPECT_EQ(controls_.texts[kActionKeyEdit], "C");
    EXPECT_EQ(Rows().rows[0]["key"], "C");
    EXPECT_EQ(OnDisk()[0].actions[0].key, 0x06);
    Leave(kActionKeyEdit);
    Hook(0x44, 0);  // after the hook is gone
    EXPECT_EQ(editor.Action(0).key, 0x06);

    // Cancel: the panel closes and the stored macro is shown again; save closes it too.
    Click(kCancelButton);
    EXPECT_EQ(controls_.tabs[kActionEditTab], 0);
    EXPECT_FALSE(controls_.IsChecked(kActionEditCheck));
    SelectAction(1);
    EXPECT_EQ(controls_.tabs[kActionEditTab], 0);  // closed: selecting shows nothing
    // Clear: every action goes.
    Click(kClearActionsButton);
    EXPECT_EQ(editor.ActionCount(), 0);
    EXPECT_TRUE(Rows().rows.empty());
    EXPECT_EQ(OnDisk()[0].actionCount, 0);
}

TEST_F(MacroEditing, DeleteActionSelectsTheNextOrThePrevious) {
    Store({MacroOf(u"Burst", kBurst)});
    MacroEditor& editor = Open();
    SelectMacro(0);
    SelectAction(1);
    Click(kDeleteActionButton);
    EXPECT_EQ(Working(), (std::vector<Act>{kBurst[0], kBurst[2], kBurst[3]}));
    EXPECT_EQ(Rows().rows.size(), 3u);
    EXPECT_EQ(Rows().rows[1]["delay"], "70");
    EXPECT_EQ(Rows().selection, 1);
    SelectAction(2);
    Click(kDeleteActionButton);
    EXPECT_EQ(Rows().selection, 1);
    for (int i = 0; i < 2; ++i)
        Click(kDeleteActionButton);
    EXPECT_EQ(editor.SelectedAction(), -1);
    Click(kDeleteActionButton);  // nothing left to delete
    EXPECT_EQ(OnDisk()[0].actionCount, 0);
}

std::vector<std::uint8_t> ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(MacroEditing, MacroFilesExportAndImport) {
    Store({MacroOf(u"Burst", kBurst)});
    MacroEditor& editor = Open();
    // No macro selected: export asks nothing.
    bool asked = false;
    dialogs_.during = [&] { asked = true; };
    Click(kExportButton);
    EXPECT_FALSE(asked);

    SelectMacro(0);
    dialogs_.saveFile = data_ / "burst.macro";
    Click(kExportButton);
    EXPECT_TRUE(asked);
    EXPECT_EQ(dialogs_.proposedFiles, std::vector<std::u16string>{u"Burst.macro"});
    const std::vector<std::uint8_t> store = FileBytes();
    EXPECT_EQ(ReadFile(data_ / "burst.macro"), store);  // the one record, 856 bytes

    // Importing it while Burst exists adds Burst_1, selected and loaded; again Burst_2.
    dialogs_.openFile = data_ / "burst.macro";
    Click(kImportButton);
    Click(kImportButton);
    EXPECT_EQ(Lines().lines, (std::vector<std::string>{"Burst", "Burst_1", "Burst_2"}));
    EXPECT_EQ(Lines().heights[2], 30);
    EXPECT_EQ(Lines().selection, 2);
    EXPECT_EQ(editor.CurrentMacroIndex(), 2);
    EXPECT_EQ(controls_.texts[kNameEdit], "Burst_2");
    EXPECT_EQ(Working(), kBurst);
    EXPECT_EQ(OnDisk().size(), 3u);

    // A refused file names its reason and adds nothing.
    std::ofstream(data_ / "short.macro", std::ios::binary) << "0123456789";
    dialogs_.openFile = data_ / "short.macro";
    Click(kImportButton);
    EXPECT_EQ(dialogs_.problems,
              std::vector<std::string>{"short.macro: shorter than one macro (10 of 856 bytes)"});
    EXPECT_EQ(OnDisk().size(), 3u);
    // Cancelled dialogs change nothing.
    dialogs_.openFile.reset();
    Click(kImportButton);
    EXPECT_EQ(Lines().lines.size(), 3u);

    // A file that cannot be written is said so.
    dialogs_.saveFile = data_ / "no such folder" / "x.macro";
    Click(kExportButton);
    ASSERT_EQ(dialogs_.problems.size(), 2u);
    EXPECT_NE(dialogs_.problems[1].find("x.macro"), std::string::npos);
}

}  // namespace
}  // namespace ms1::test
