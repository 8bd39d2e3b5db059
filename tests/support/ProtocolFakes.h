#pragma once

#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "ports/LinkPorts.h"
#include "ports/MessagePorts.h"
#include "protocol/DeviceStatus.h"
#include "protocol/ProfileState.h"
#include "tests/support/ReportBytes.h"
#include "ui/PageControls.h"
#include "ui/page/PageStatusView.h"

namespace ms1::test {

// Records every pause instead of sleeping; `onPause` lets a test act "during" a pause.
struct FakePacer : Pacer {
    std::vector<int> pauses;
    std::function<void(int)> onPause;
    bool interrupted = false;  // as when the program ends
    bool Pause(std::chrono::milliseconds d) override {
        pauses.push_back(static_cast<int>(d.count()));
        if (onPause)
            onPause(static_cast<int>(pauses.size()));
        return !interrupted;
    }
};

struct RecordingLink : WiredReportPort, WirelessReportPort, BleReportPort {
    std::vector<std::vector<std::uint8_t>> sent;
    int result = 1;
    std::function<void()> onSend;
    int Record(const std::uint8_t* data, std::size_t length) {
        sent.emplace_back(data, data + length);
        if (onSend)
            onSend();
        return result;
    }
    // A `result` of 0 is a report the transport did not take.
    Result Answer(const std::uint8_t* data, std::size_t length) {
        return Record(data, length) != 0 ? Result::Done() : Result::Failed("not taken");
    }
    Result SetFeature(const std::uint8_t* d, std::size_t n) override { return Answer(d, n); }
    Result SendFeatureReport(const std::uint8_t* d, std::size_t n) override { return Answer(d, n); }
    Result WriteCharacteristic(const std::uint8_t* d, std::size_t n) override {
        return Answer(d, n);
    }
};

struct FakeWindow : MessageTarget, WindowTimers, DelayedCalls {
    struct Message {
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };
    std::vector<Message> posted;
    std::map<int, int> running;  // id -> period
    std::vector<std::pair<int, std::function<void()>>> later;

    void Post(std::uint32_t m, std::uintptr_t w, std::intptr_t l) override {
        posted.push_back({m, w, l});
    }
    void StartTimer(int id, int ms) override { running[id] = ms; }
    void KillTimer(int id) override { running.erase(id); }
    bool IsTimerRunning(int id) const override { return running.count(id) != 0; }
    void After(std::chrono::milliseconds d, std::function<void()> call) override {
        later.emplace_back(static_cast<int>(d.count()), std::move(call));
    }
    void RunLater() {
        auto calls = std::move(later);
        later.clear();
        for (auto& [ms, call] : calls)
            call();
    }
    int Count(std::uint32_t message) const {
        int n = 0;
        for (const auto& m : posted)
            n += m.message == message;
        return n;
    }
};

struct FakeProfiles : ProfileState {
    std::recursive_mutex mutex;
    std::unique_ptr<ProfileRecord> working = DefaultProfile();
    std::unique_ptr<ProfileRecord> snapshot = DefaultProfile();
    bool fullApplyPending = false;
    int saves = 0;
    bool saveResult = true;
    std::function<void()> onSave;  // sees what the store would get, at the moment of saving

    std::unique_lock<std::recursive_mutex> Lock() override {
        return std::unique_lock<std::recursive_mutex>(mutex);
    }
    ProfileRecord& Working() override { return *working; }
    ProfileRecord& Snapshot() override { return *snapshot; }
    bool& FullApplyPending() override { return fullApplyPending; }
    bool SaveProfiles() override {
        ++saves;
        if (onSave)
            onSave();
        return saveResult;
    }
    bool SnapshotEqualsWorking() const {
        return std::memcmp(working.get(), snapshot.get(), sizeof(ProfileRecord)) == 0;
    }
};

// The page's status controls over maps.
struct FakeStatusControls : StatusControls {
    std::set<std::string> visible;
    std::set<std::string> checked;
    std::string selectedOption;
    std::map<std::string, int> combo;
    std::map<std::string, int> progress;
    std::map<std::string, std::string> text;  // plain text, or "key:" + language key
    int lightRefreshes = 0;

    void SetVisible(std::string_view c, bool v) override {
        v ? (void)visible.insert(std::string(c)) : (void)visible.erase(std::string(c));
    }
    bool IsVisible(std::string_view c) const override { return visible.count(std::string(c)); }
    void SetChecked(std::string_view c, bool v) override {
        v ? (void)checked.insert(std::string(c)) : (void)checked.erase(std::string(c));
    }
    bool IsChecked(std::string_view c) const override { return checked.count(std::string(c)); }
    void SelectOption(std::string_view c) override { selectedOption = c; }
    void SelectComboItem(std::string_view c, int i) override { combo[std::string(c)] = i; }
    void SetProgress(std::string_view c, int v) override { progress[std::string(c)] = v; }
    void SetPlainText(std::string_view c, std::string_view t) override { text[std::string(c)] = t; }
    void SetTextKey(std::string_view c, std::string_view k) override {
        text[std::string(c)] = "key:" + std::string(k);
    }
    void RefreshLightSections() override { ++lightRefreshes; }
    void ShowBattery(int level, bool charging) override {
        battery.push_back(std::to_string(level) + (charging ? " charging" : ""));
    }
    std::vector<std::string> battery;  // every ShowBattery, "75" or "75 charging"
};

// What the status decoding shows, as the page shows it: the page's status view over the
// controls above.
struct FakeView : FakeStatusControls, PageStatusView {
    FakeView() : PageStatusView(static_cast<FakeStatusControls&>(*this)) {}
    using FakeStatusControls::RefreshLightSections;
};

}  // namespace ms1::test
