#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ports/MessagePorts.h"
#include "ports/TextLookup.h"
#include "tests/support/TableTexts.h"
#include "tests/support/WindowFakes.h"
#include "ui/macro/MacroEditorPorts.h"

namespace ms1::test {

// One list of the editor as the user sees it: text lines, or rows of sub-control texts and
// images ("key", "key.image", "action", ...).
struct FakeList {
    std::vector<std::string> lines;
    std::vector<int> heights;
    std::vector<std::map<std::string, std::string>> rows;
    int selection = -1;
    std::vector<int> scrolledTo;
    int updates = 0;  // batches of rows begun and ended
};

struct FakeEditorControls : MacroEditorControls {
    std::map<std::string, std::string> texts;  // plain text, or "key:" + language key
    std::set<std::string> checked;
    std::set<std::string> hidden;
    std::set<std::string> disabled;
    std::map<std::string, int> tabs;
    std::map<std::string, int> comboItems;
    std::map<std::string, FakeList> lists;

    void SetText(std::string_view c, std::string_view t) override { texts[std::string(c)] = t; }
    void SetTextKey(std::string_view c, std::string_view k) override {
        texts[std::string(c)] = "key:" + std::string(k);
    }
    std::string Text(std::string_view c) const override {
        auto it = texts.find(std::string(c));
        return it == texts.end() ? std::string() : it->second;
    }
    void SetChecked(std::string_view c, bool v) override {
        v ? (void)checked.insert(std::string(c)) : (void)checked.erase(std::string(c));
    }
    bool IsChecked(std::string_view c) const override { return checked.count(std::string(c)); }
    void SetVisible(std::string_view c, bool v) override {
        v ? (void)hidden.erase(std::string(c)) : (void)hidden.insert(std::string(c));
    }
    void SetEnabled(std::string_view c, bool v) override {
        v ? (void)disabled.erase(std::string(c)) : (void)disabled.insert(std::string(c));
    }
    void SelectTab(std::string_view c, int page) override { tabs[std::string(c)] = page; }
    void SelectComboItem(std::string_view c, int i) override { comboItems[std::string(c)] = i; }

    FakeList& L(std::string_view list) { return lists[std::string(list)]; }
    void ListClear(std::string_view list) override {
        FakeList& l = L(list);
        l.lines.clear();
        l.heights.clear();
        l.rows.clear();
        l.selection = -1;
    }
    void ListAppendLine(std::string_view list, std::string_view text, int height) override {
        L(list).lines.emplace_back(text);
        L(list).heights.push_back(height);
    }
    void ListAppendRow(std::string_view list, int height) override {
        L(list).rows.emplace_back();
        L(list).heights.push_back(height);
    }
    void ListRemove(std::string_view list, int index) override {
        FakeList& l = L(list);
        if (!l.lines.empty())
            l.lines.erase(l.lines.begin() + index);
        if (!l.rows.empty())
            l.rows.erase(l.rows.begin() + index);
        l.heights.erase(l.heights.begin() + index);
        if (l.selection == index)
            l.selection = -1;
        else if (l.selection > index)
            --l.selection;
    }
    void ListSetText(std::string_view list, int index, std::string_view text) override {
        L(list).lines.at(static_cast<std::size_t>(index)) = text;
    }
    void ListSelect(std::string_view list, int index) override { L(list).selection = index; }
    int ListSelection(std::string_view list) const override {
        auto it = lists.find(std::string(list));
        return it == lists.end() ? -1 : it->second.selection;
    }
    int ListCount(std::string_view list) const override {
        auto it = lists.find(std::string(list));
        return it == lists.end() ? 0 : static_cast<int>(it->second.heights.size());
    }
    void ListScrollTo(std::string_view list, int index) override {
        L(list).scrolledTo.push_back(index);
    }
    void ListBeginUpdate(std::string_view) override {}
    void ListEndUpdate(std::string_view list) override { ++L(list).updates; }
    void SetRowText(std::string_view list, int row, std::string_view sub,
                    std::string_view text) override {
        L(list).rows.at(static_cast<std::size_t>(row))[std::string(sub)] = text;
    }
    void SetRowTextKey(std::string_view list, int row, std::string_view sub,
                       std::string_view key) override {
        L(list).rows.at(static_cast<std::size_t>(row))[std::string(sub)] =
            "key:" + std::string(key);
    }
    void SetRowImage(std::string_view list, int row, std::string_view sub,
                     std::string_view image) override {
        L(list).rows.at(static_cast<std::size_t>(row))[std::string(sub) + ".image"] = image;
    }
};

// Dialogs that answer from a script; `during` runs inside each, where the real ones run a
// nested event loop.
struct ScriptedEditorDialogs : MacroEditorDialogs {
    std::deque<bool> answers;
    std::vector<std::string> messages;
    std::vector<std::string> problems;
    std::optional<std::filesystem::path> openFile;
    std::optional<std::filesystem::path> saveFile;
    std::vector<std::u16string> proposedFiles;  // by the save dialogs asked
    std::function<void()> during;

    bool MessageBox(std::string_view, std::string_view key) override {
        messages.emplace_back(key);
        if (during)
            during();
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowProblem(const std::string& text) override { problems.push_back(text); }
    std::optional<std::filesystem::path> AskMacroFileToOpen() override {
        if (during)
            during();
        return openFile;
    }
    std::optional<std::filesystem::path> AskMacroFileToSave(
        const std::u16string& fileName) override {
        proposedFiles.push_back(fileName);
        if (during)
            during();
        return saveFile;
    }
};

// The hook library's switches, written down in the order they were called.
struct RecordingHooks : MacroHooks {
    bool available = true;
    std::string problem;
    std::vector<std::string> calls;

    bool Available() const override { return available; }
    std::string Problem() const override { return problem; }
    void InstallHook() override { calls.push_back("installhook(window)"); }
    void RemoveHook() override { calls.push_back("removehook"); }
    void EnableHook(bool on) override { calls.push_back(Flag("enablehook", on)); }
    void RemoveMouseHook() override { calls.push_back("removemousehook"); }
    void EnableMouseHook(bool on) override { calls.push_back(Flag("enablemousehook", on)); }
    void MouseWheelEnable(bool on) override { calls.push_back(Flag("mousewheelenable", on)); }
    static std::string Flag(const char* name, bool on) {
        return std::string(name) + (on ? "(1)" : "(0)");
    }
};

struct SetClock : MillisecondClock {
    std::uint32_t now = 0;
    std::uint32_t NowMs() const override { return now; }
};

// Language texts: the English default macro name and action words, other keys as they are.
inline TableTexts EditorTexts() {
    return TableTexts({{"add_macro_text", u"Macro"}});
}

}  // namespace ms1::test
