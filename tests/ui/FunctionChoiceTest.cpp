#include "ui/dialogs/FunctionChoice.h"

#include <gtest/gtest.h>

#include "platform/keyboard/XkbKeyboardLayout.h"
#include "tests/support/TableTexts.h"
#include "ui/ButtonFunctions.h"

namespace ms1 {
namespace {

struct RecordingUi : FunctionChoiceUi {
    std::vector<std::string> warnings;
    std::optional<ShortcutChoice> shortcutAnswer;
    std::optional<MacroChoice> macroAnswer;
    ShortcutChoice shortcutOffered;
    MacroChoice macroOffered;
    int applies = 0;
    std::vector<int> redrawn;

    void ShowWarning(std::string_view key) override { warnings.emplace_back(key); }
    std::optional<ShortcutChoice> RunShortcutDialog(const ShortcutChoice& initial) override {
        shortcutOffered = initial;
        return shortcutAnswer;
    }
    std::optional<MacroChoice> RunMacroDialog(const MacroList&,
                                              const MacroChoice& initial) override {
        macroOffered = initial;
        return macroAnswer;
    }
    void RequestApply() override { ++applies; }
    void DrawButtonLabel(int button) override { redrawn.push_back(button); }
};

test::TableTexts Texts() {
    return test::TableTexts({{"keyboard_ctrl_text", u"Ctrl"},
                             {"keyboard_alt_text", u"Alt"},
                             {"keyboard_win_text", u"Win"},
                             {"keyboard_shift_text", u"Shift"},
                             {"assign_macro_text", u"Macro: "}},
                            test::TableTexts::Missing::Unknown);
}

std::unique_ptr<ProfileRecord> Profile() {
    auto p = MakeZeroedProfile();
    ResetProfileToDefaults(*p);
    return p;
}

TEST(FunctionChoice, MenuItemsMapToCodesIgnoringCase) {
    EXPECT_EQ(FunctionCodeForMenuItem("ms_1_menu"), 2);
    EXPECT_EQ(FunctionCodeForMenuItem("MS_1_Volume_Up"), 69);
    EXPECT_EQ(FunctionCodeForMenuItem("ms_1_my_computer"), 89);
    EXPECT_EQ(FunctionCodeForMenuItem("ms_1_no_such_item"), 1);
    EXPECT_EQ(FunctionCodeForMenuItem(""), 1);  // codes without an item cannot be chosen
    int items = 0;
    for (const auto& f : ButtonFunctionTable())
        items += !f.menuItem.empty();
    EXPECT_EQ(items, 52);
}

TEST(FunctionChoice, TheLastLeftClickCannotBeTakenAway) {
    auto p = Profile();  // left click only on button 1
    RecordingUi ui;
    OnFunctionChosen(*p, 0, "ms_1_menu", {}, ui);
    EXPECT_EQ(ui.warnings, std::vector<std::string>{"one_click_text"});
    EXPECT_EQ(p->button[0].function, 1);
    EXPECT_EQ(ui.applies, 0);

    p->button[17].function = 1;  // buttons 17 and 18 do not count
    OnFunctionChosen(*p, 0, "ms_1_select_macro", {}, ui);
    EXPECT_EQ(ui.warnings.size(), 2u);

    p->button[15].function = 1;
    OnFunctionChosen(*p, 0, "ms_1_menu", {}, ui);
    EXPECT_EQ(p->button[0].function, 2);
    EXPECT_EQ(ui.applies, 1);
    EXPECT_EQ(ui.redrawn, std::vector<int>{0});
}

TEST(FunctionChoice, ShortcutDialogOutcomes) {
    auto p = Profile();
    RecordingUi ui;
    MacroList macros = {MakeEmptyMacro(u"Combo")};
    macros[0].actionCount = 1;
    ui.macroAnswer = MacroChoice{0, 1, 3};
    OnFunctionChosen(*p, 4, "ms_1_select_macro", macros, ui);
    ASSERT_EQ(p->button[4].function, kFunctionMacro);

    // Cancelled: the macro stays.
    ui.shortcutAnswer.reset();
    OnFunctionChosen(*p, 4, "ms_1_shortcut", macros, ui);
    EXPECT_EQ(p->button[4].function, kFunctionMacro);
    EXPECT_EQ(p->button[4].macroName.get(), u"Combo");

    // OK with nothing chosen: the function stays, key and modifiers are stored as 0.
    ui.shortcutAnswer = ShortcutChoice{};
    OnFunctionChosen(*p, 4, "ms_1_shortcut", macros, ui);
    EXPECT_EQ(p->button[4].function, kFunctionMacro);
    EXPECT_EQ(p->button[4].modifiers, 0);

    ui.shortcutAnswer = ShortcutChoice{true, false, true, false, 0x06};
    OnFunctionChosen(*p, 4, "ms_1_shortcut", macros, ui);
    EXPECT_EQ(p->button[4].function, kFunctionKeyCombination);
    EXPECT_EQ(p->button[4].modifiers, kModCtrl | kModAlt);
    EXPECT_EQ(p->button[4].key, 0x06);

    // Reopening offers what the button holds.
    ui.shortcutAnswer.reset();
    OnFunctionChosen(*p, 4, "ms_1_shortcut", macros, ui);
    EXPECT_TRUE(ui.shortcutOffered.ctrl && ui.shortcutOffered.alt && !ui.shortcutOffered.shift);
    EXPECT_EQ(ui.shortcutOffered.key, 0x06);
}

TEST(FunctionChoice, MacroDialogOutcomes) {
    auto p = Profile();
    RecordingUi ui;
    ui.macroAnswer = MacroChoice{0, 2, 5};
    OnFunctionChosen(*p, 2, "ms_1_select_macro", {}, ui);  // empty store: nothing
    EXPECT_EQ(p->button[2].function, 3);
    EXPECT_EQ(ui.macroOffered.index, -1);
    EXPECT_EQ(ui.macroOffered.repeat, 1);

    MacroList macros = {MakeEmptyMacro(u"First"), MakeEmptyMacro(u"Second")};
    macros[1].actionCount = 2;
    macros[1].actions[1].key = 0x2C;
    ui.macroAnswer = MacroChoice{2, 0, 1};  // no such record
    OnFunctionChosen(*p, 2, "ms_1_select_macro", macros, ui);
    EXPECT_EQ(p->button[2].function, 3);

    ui.macroAnswer = MacroChoice{1, 2, 5};
    OnFunctionChosen(*p, 2, "ms_1_select_macro", macros, ui);
    const ButtonEntry& e = p->button[2];
    EXPECT_EQ(e.function, kFunctionMacro);
    EXPECT_EQ(e.macroName.get(), u"Second");
    EXPECT_EQ(e.macroActionCount, 2);
    EXPECT_EQ(e.macroActions[1].key, 0x2C);
    EXPECT_EQ(e.macroMode, 2);
    EXPECT_EQ(e.macroRepeat, 5);
    EXPECT_EQ(e.macroIndex, 1);
    EXPECT_EQ(ui.applies, 1);

    ui.macroAnswer.reset();
    OnFunctionChosen(*p, 2, "ms_1_select_macro", macros, ui);
    EXPECT_EQ(ui.macroOffered.index, 1);
    EXPECT_EQ(ui.macroOffered.mode, 2);
    EXPECT_EQ(ui.macroOffered.repeat, 5);
}

TEST(FunctionChoice, LabelsForEveryKindOfCode) {
    auto us = XkbKeyboardLayout::FromNames("us");
    ASSERT_TRUE(us);
    test::TableTexts texts = Texts();
    ButtonEntry e{};
    e.function = 39;  // undo: labelled although the menu does not offer it
    ButtonLabel label = ComposeButtonLabel(e, *us, texts);
    EXPECT_TRUE(label.resourceText);
    EXPECT_EQ(label.text, u"undo_text");

    e.function = 15;  // no label
    label = ComposeButtonLabel(e, *us, texts);
    EXPECT_FALSE(label.resourceText);
    EXPECT_EQ(label.text, u"");

    e.function = kFunctionKeyCombination;
    e.modifiers = kModWin | kModCtrl | kModShift;
    e.key = 0x04;
    label = ComposeButtonLabel(e, *us, texts);
    EXPECT_FALSE(label.resourceText);
    EXPECT_EQ(label.text, u"Ctrl+Shift+Win+A");

    e.function = kFunctionMacro;
    e.macroName.set(u"Reload");
    EXPECT_EQ(ComposeButtonLabel(e, *us, texts).text, u"Macro: Reload");
}

}  // namespace
}  // namespace ms1
