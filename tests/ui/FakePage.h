#pragma once

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ports/MessagePorts.h"
#include "ports/TextLookup.h"
#include "tests/support/TableTexts.h"
#include "ui/PageControls.h"
#include "ui/page/PageDialogs.h"

namespace ms1::test {

// The page's controls as plain state: what a user would see.
struct FakeControls : PageControls {
    std::set<std::string> hidden;
    std::set<std::string> checked;
    std::map<std::string, std::string> disabled;  // control -> language key of why
    std::set<std::string> selectedOptions;
    std::map<std::string, int> values;
    std::map<std::string, std::string> texts;  // plain text, or "key:" + language key
    std::map<std::string, std::uint32_t> colors;
    std::map<std::string, std::string> images;
    std::map<std::string, std::string> attributes;
    std::map<std::string, int> controlTimers;  // "control.id" -> period, while running
    std::vector<std::string> listLines;
    int listSelection = -1;
    std::string caretAtEnd;
    std::string scrolled;
    int lightRefreshes = 0;

    void SetVisible(std::string_view c, bool v) override {
        v ? (void)hidden.erase(std::string(c)) : (void)hidden.insert(std::string(c));
    }
    bool IsVisible(std::string_view c) const override { return !hidden.count(std::string(c)); }
    void SetChecked(std::string_view c, bool v) override {
        v ? (void)checked.insert(std::string(c)) : (void)checked.erase(std::string(c));
    }
    bool IsChecked(std::string_view c) const override { return checked.count(std::string(c)); }
    void SelectOption(std::string_view c) override {
        // Options of one group share the name up to the number.
        std::string name(c);
        std::string group = name.substr(0, name.find_last_of('_') + 1);
        std::erase_if(selectedOptions, [&](const std::string& o) {
            return o.substr(0, o.find_last_of('_') + 1) == group;
        });
        selectedOptions.insert(name);
    }
    void SelectComboItem(std::string_view c, int i) override { values[std::string(c)] = i; }
    void SetProgress(std::string_view c, int v) override { values[std::string(c)] = v; }
    void SetPlainText(std::string_view c, std::string_view t) override {
        texts[std::string(c)] = t;
    }
    void SetTextKey(std::string_view c, std::string_view k) override {
        texts[std::string(c)] = "key:" + std::string(k);
    }
    void RefreshLightSections() override { ++lightRefreshes; }
    void SetValue(std::string_view c, int v) override { values[std::string(c)] = v; }
    int Value(std::string_view c) const override {
        auto it = values.find(std::string(c));
        return it == values.end() ? 0 : it->second;
    }
    std::string Text(std::string_view c) const override {
        auto it = texts.find(std::string(c));
        return it == texts.end() ? std::string() : it->second;
    }
    void SetCaretToEnd(std::string_view c) override { caretAtEnd = c; }
    void SetBackgroundColor(std::string_view c, std::uint32_t argb) override {
        colors[std::string(c)] = argb;
    }
    void SetBackgroundImage(std::string_view c, std::string_view image) override {
        images[std::string(c)] = image;
    }
    void StartControlTimer(std::string_view c, int id, int ms) override {
        controlTimers[std::string(c) + "." + std::to_string(id)] = ms;
    }
    void KillControlTimer(std::string_view c, int id) override {
        controlTimers.erase(std::string(c) + "." + std::to_string(id));
    }
    void SetAttribute(std::string_view c, std::string_view a, std::string_view v) override {
        attributes[std::string(c) + "." + std::string(a)] = v;
    }
    void ScrollToEnd(std::string_view c) override { scrolled = c; }
    void SetEnabled(std::string_view c, bool enabled, std::string_view why) override {
        enabled ? (void)disabled.erase(std::string(c))
                : (void)disabled.insert_or_assign(std::string(c), std::string(why));
    }
    void ListAppend(std::string_view, std::string_view text) override {
        listLines.emplace_back(text);
    }
    void ListRemove(std::string_view, int index) override {
        listLines.erase(listLines.begin() + index);
    }
    void ListSetText(std::string_view, int index, std::string_view text) override {
        listLines[static_cast<std::size_t>(index)] = text;
    }
    void ListSelect(std::string_view, int index) override { listSelection = index; }
};

// Dialogs that answer from a script and remember what they were asked.
struct ScriptedDialogs : PageDialogs {
    std::deque<bool> messageAnswers;
    std::vector<std::string> messages;
    std::vector<std::string> problems;
    std::deque<std::optional<std::u16string>> names;
    std::optional<std::uint32_t> color;
    std::optional<std::filesystem::path> openFile;
    std::optional<std::filesystem::path> saveFile;
    std::vector<std::u16string> startNames;     // of the name dialogs asked
    std::vector<std::u16string> proposedFiles;  // by the save dialogs asked
    std::vector<std::string> statuses;          // "key detail" of the status line
    std::string menuAnchor;
    int macroEditorRuns = 0;
    std::function<void()> duringMacroEditor;
    // What the editor reports it renamed and deleted.
    MacroNameChanges macroNameChanges;
    // Runs inside every modal dialog, where the real ones run a nested event loop.
    std::function<void()> duringDialog;
    int dialogsRun = 0;

    void During() {
        ++dialogsRun;
        if (duringDialog)
            duringDialog();
    }
    bool MessageBox(std::string_view, std::string_view key) override {
        During();
        messages.emplace_back(key);
        if (messageAnswers.empty())
            return false;
        bool answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }
    void ShowProblem(std::string_view, const std::string& text) override {
        During();
        problems.push_back(text);
    }
    std::optional<std::u16string> AskProfileName(std::string_view,
                                                 const std::vector<std::u16string>&,
                                                 const std::u16string& startName) override {
        During();
        startNames.push_back(startName);
        if (names.empty())
            return std::nullopt;
        auto name = names.front();
        names.pop_front();
        return name;
    }
    std::optional<std::uint32_t> ChooseColor(std::string_view, std::uint32_t) override {
        During();
        return color;
    }
    std::optional<std::filesystem::path> AskProfileFileToOpen() override {
        During();
        return openFile;
    }
    std::optional<std::filesystem::path> AskProfileFileToSave(
        const std::u16string& fileName) override {
        During();
        proposedFiles.push_back(fileName);
        return saveFile;
    }
    void OpenMouseSettings() override {}
    void ShowStatus(std::string_view key, const std::string& detail) override {
        statuses.push_back(std::string(key) + " " + detail);
    }
    MacroNameChanges RunMacroEditor() override {
        During();
        ++macroEditorRuns;
        if (duringMacroEditor)
            duringMacroEditor();
        return macroNameChanges;
    }
    void OpenFunctionMenu(std::string_view anchor) override { menuAnchor = anchor; }
};

struct CountingApply : ApplyRequests, WindowTimers {
    int now = 0;
    int instead = 0;  // applies that cut short the one under way
    std::vector<int> delayed;
    std::map<int, int> timers;
    void RequestApply() override { ++now; }
    void RequestApplyDelayed(int ms) override { delayed.push_back(ms); }
    void RequestApplyInstead() override { ++instead; }
    void StartTimer(int id, int ms) override { timers[id] = ms; }
    void KillTimer(int id) override { timers.erase(id); }
    bool IsTimerRunning(int id) const override { return timers.count(id) != 0; }
};

struct EnglishTexts : TableTexts {
    EnglishTexts()
        : TableTexts({{"add_profile_text", u"Profile"},
                      {"active_by_rule_text", u"by rule: %s"},
                      {"sleep_timer_1_text", u"Lights off after "},
                      {"sleep_timer_2_text", u"min"},
                      {"sleep_timer_3_text", u"Sleep after "}}) {}
};

}  // namespace ms1::test
