#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/keyboard/XkbKeyboardLayout.h"
#include "ui/FakeMacroEditor.h"
#include "ui/macro/MacroEditor.h"
#include "ui/macro/MacroEditorNames.h"

namespace ms1::test {

namespace fs = std::filesystem;

// One action as the tests write it: key, direction (1 press, 2 release), delay.
struct Act {
    int key;
    int direction;
    int delay;
    bool operator==(const Act&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Act& a) {
    return out << std::hex << "{0x" << a.key << std::dec << "," << a.direction << "," << a.delay
               << "}";
}

inline MacroRecord MacroOf(const std::u16string& name, const std::vector<Act>& actions) {
    MacroRecord macro = MakeEmptyMacro(name);
    macro.actionCount = static_cast<int>(actions.size());
    for (std::size_t i = 0; i < actions.size(); ++i) {
        macro.actions[i].key = static_cast<std::uint8_t>(actions[i].key);
        macro.actions[i].direction = static_cast<std::uint8_t>(actions[i].direction);
        macro.actions[i].delay = static_cast<std::uint16_t>(actions[i].delay);
    }
    return macro;
}

inline std::vector<Act> ActsOf(const MacroRecord& macro) {
    std::vector<Act> acts;
    for (int i = 0; i < macro.actionCount; ++i)
        acts.push_back({macro.actions[i].key, macro.actions[i].direction, macro.actions[i].delay});
    return acts;
}

// n copies of one action: a macro of a given size.
inline std::vector<Act> Repeated(int n, Act act) {
    return std::vector<Act>(static_cast<std::size_t>(n), act);
}

// The editor over fake controls and scripted dialogs, its store in a folder of the test's own.
class MacroEditorFixture : public ::testing::Test {
  public:
    void SetUp() override {
        data_ = fs::temp_directory_path() /
                ("ms1-macro-editor-" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(data_);
        fs::create_directories(data_);
        layout_ = XkbKeyboardLayout::FromNames("us");
        ASSERT_TRUE(layout_) << "xkb data (xkb-data) is missing";
    }
    void TearDown() override {
        editor_.reset();
        fs::remove_all(data_);
    }

    // The macros on disk before the editor opens.
    void Store(const MacroList& macros) {
        MacroStore store(data_);
        store.LoadMacroStore();
        auto access = store.Lock();
        access.Macros() = macros;
        ASSERT_TRUE(access.SaveMacroStore());
    }
    MacroEditor& Open() {
        store_ = std::make_unique<MacroStore>(data_);
        store_->LoadMacroStore();
        editor_ = std::make_unique<MacroEditor>(MacroEditorDeps{
            controls_, dialogs_, hooks_, clock_, timers_, *store_, texts_, *layout_});
        editor_->Init();
        return *editor_;
    }
    // The macros as the file holds them now.
    MacroList OnDisk() const {
        MacroStore store(data_);
        store.LoadMacroStore(StoreMode::ReadOnly);
        return store.Lock().Macros();
    }
    std::vector<std::uint8_t> FileBytes() const {
        std::ifstream in(MacroStore::FilePath(data_), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::vector<Act> Working() const {
        std::vector<Act> acts;
        for (int i = 0; i < editor_->ActionCount(); ++i) {
            const MacroAction& a = editor_->Action(i);
            acts.push_back({a.key, a.direction, a.delay});
        }
        return acts;
    }

    void Notify(PageNotification n) { editor_->Notify(n); }
    void Click(const std::string& control) { Notify({"click", control}); }
    void Check(const std::string& control, bool on) { Notify({"checkclick", control, -1, 0, on}); }
    void Focus(const std::string& control) { Notify({"setfocus", control}); }
    void Leave(const std::string& control) { Notify({"killfocus", control}); }
    void Type(const std::string& control, const std::string& text) {
        controls_.texts[control] = text;
    }
    void TypeAndLeave(const std::string& control, const std::string& text) {
        Type(control, text);
        Leave(control);
    }
    void SelectMacro(int index) {
        controls_.L(macroui::kMacroList).selection = index;
        Notify({"itemselect", macroui::kMacroList, index});
    }
    void SelectAction(int index) {
        controls_.L(macroui::kActionList).selection = index;
        Notify({"itemselect", macroui::kActionList, index});
    }
    void Record() { Check(macroui::kRecordButton, true); }
    void StopRecord() { Check(macroui::kRecordButton, false); }
    // Message 1034 as the hook library posts it: wParam the code, lParam the kind.
    // `overEditor`: the pointer is over the editor's window when it comes.
    void Hook(std::uintptr_t code, std::intptr_t kind, bool overEditor = false) {
        editor_->OnHookEvent(code, kind, overEditor);
    }
    FakeList& Rows() { return controls_.L(macroui::kActionList); }
    FakeList& Lines() { return controls_.L(macroui::kMacroList); }

    fs::path data_;
    std::unique_ptr<XkbKeyboardLayout> layout_;
    FakeEditorControls controls_;
    ScriptedEditorDialogs dialogs_;
    RecordingHooks hooks_;
    SetClock clock_;
    FakeTimers timers_;
    TableTexts texts_ = EditorTexts();
    std::unique_ptr<MacroStore> store_;
    std::unique_ptr<MacroEditor> editor_;
};

}  // namespace ms1::test
