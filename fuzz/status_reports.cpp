// The mouse's status messages from every link as the status decoding gets them: reports of
// the 2.4 GHz receiver, the wired mouse's messages through the vendor library, Bluetooth LE
// notifications, and the timers and delayed calls in between.
//
// The first input byte sets up the links; then each step is one byte saying what happens
// next, followed by what it carries.
#include <charconv>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "protocol/DeviceStatus.h"
#include "ui/page/PageStatusView.h"

namespace ms1::fuzz {
namespace {

// The number after `prefix` in a control name, or -1.
int NumberAfter(std::string_view name, std::string_view prefix) {
    if (name.substr(0, prefix.size()) != prefix)
        return -1;
    int n = -1;
    const auto digits = name.substr(prefix.size());
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    return error == std::errc() && end == digits.data() + digits.size() ? n : -1;
}

// The page's controls, checking that what the decoding shows is something they can show.
struct CheckingControls : StatusControls {
    std::set<std::string, std::less<>> visible;
    std::set<std::string, std::less<>> checked;

    void SetVisible(std::string_view c, bool v) override {
        v ? (void)visible.emplace(c) : (void)visible.erase(std::string(c));
    }
    bool IsVisible(std::string_view c) const override { return visible.count(c) != 0; }
    void SetChecked(std::string_view c, bool v) override {
        v ? (void)checked.emplace(c) : (void)checked.erase(std::string(c));
    }
    bool IsChecked(std::string_view c) const override { return checked.count(c) != 0; }
    void SelectOption(std::string_view c) override {
        if (int stage = NumberAfter(c, "ms_1_option_dpi_step_"); stage != -1) {
            MS1_FUZZ_CHECK(stage >= 1 && stage <= 8);
        } else {
            const int rate = NumberAfter(c, "ms_1_btn_prate_");
            MS1_FUZZ_CHECK(rate >= 1 && rate <= 4);
        }
    }
    void SelectComboItem(std::string_view c, int index) override {
        MS1_FUZZ_CHECK(c == "ms_1_combo_light" && index >= 0 && index <= 15);
    }
    void SetProgress(std::string_view, int value) override {
        MS1_FUZZ_CHECK(value >= 0 && value <= 100);
    }
    void SetPlainText(std::string_view, std::string_view text) override {
        // A battery level, or nothing.
        if (text.empty())
            return;
        MS1_FUZZ_CHECK(text.back() == '%');
        const int level = NumberAfter(text.substr(0, text.size() - 1), "");
        MS1_FUZZ_CHECK(level >= 0 && level <= 100);
    }
    void SetTextKey(std::string_view, std::string_view key) override {
        MS1_FUZZ_CHECK(key == "charging_text");
    }
    void RefreshLightSections() override {}
};

// What the decoding shows, through the page's status view onto the checking controls.
struct CheckingView : CheckingControls, PageStatusView {
    CheckingView() : PageStatusView(static_cast<CheckingControls&>(*this)) {}
};

struct Window : MessageTarget, WindowTimers, DelayedCalls {
    std::map<int, int> running;
    std::vector<std::function<void()>> later;

    void Post(std::uint32_t, std::uintptr_t, std::intptr_t) override {}
    void StartTimer(int id, int ms) override { running[id] = ms; }
    void KillTimer(int id) override { running.erase(id); }
    bool IsTimerRunning(int id) const override { return running.count(id) != 0; }
    void After(std::chrono::milliseconds, std::function<void()> call) override {
        later.push_back(std::move(call));
    }
    void RunLater() {
        auto calls = std::move(later);
        later.clear();
        for (auto& call : calls)
            call();
    }
};

struct Profiles : ProfileState {
    std::recursive_mutex mutex;
    std::unique_ptr<ProfileRecord> working = Default();
    std::unique_ptr<ProfileRecord> snapshot = Default();
    bool fullApplyPending = false;

    static std::unique_ptr<ProfileRecord> Default() {
        auto profile = MakeZeroedProfile();
        ResetProfileToDefaults(*profile);
        return profile;
    }
    std::unique_lock<std::recursive_mutex> Lock() override {
        return std::unique_lock<std::recursive_mutex>(mutex);
    }
    ProfileRecord& Working() override { return *working; }
    ProfileRecord& Snapshot() override { return *snapshot; }
    bool& FullApplyPending() override { return fullApplyPending; }
    bool SaveProfiles() override { return true; }
};

struct Wired : WiredDevicePort {
    bool bound = false;
    int opened = 0;
    bool IsBound() const override { return bound; }
    void StartMonitor() override {}
    Result OpenFeatureDevice() override {
        return opened != 0 ? Result::Done() : Result::Failed("not open");
    }
    void CloseFeatureDevice() override {}
};

void CheckState(const DeviceStatus& status, const CheckingView& view, LinkFlags& flags,
                const std::atomic<std::int32_t>& ack, Profiles& profiles) {
    const bool any = flags.anyConnected;
    MS1_FUZZ_CHECK(any == flags.RecomputeAnyConnected());
    MS1_FUZZ_CHECK(status.batteryLevel() >= 0 && status.batteryLevel() <= 100);
    MS1_FUZZ_CHECK(view.chargeStep() >= 0 && view.chargeStep() <= 100);
    MS1_FUZZ_CHECK(ack == 0 || ack == 1);
    // A setting changed on the mouse is what the mouse holds: it is saved with the snapshot.
    const ProfileRecord& p = *profiles.working;
    MS1_FUZZ_CHECK(p.activeStage >= 0 && p.activeStage < kDpiStages);
    MS1_FUZZ_CHECK(p.pollingRate >= 0 && p.pollingRate <= 3);
    MS1_FUZZ_CHECK(p.lightMode >= 0 && p.lightMode <= 15);
    MS1_FUZZ_CHECK(std::memcmp(&p, profiles.snapshot.get(), sizeof p) == 0);
}

}  // namespace
}  // namespace ms1::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ms1;
    using namespace ms1::fuzz;
    InputReader input(data, size);
    Profiles profiles;
    LinkFlags flags;
    std::atomic<std::int32_t> ack{0};
    CheckingView view;
    Window window;
    Wired wired;
    const std::uint8_t setup = input.Byte();
    wired.bound = setup & 1;
    wired.opened = (setup >> 1) & 1;
    DeviceStatus status(profiles, flags, ack, view, window, window, window,
                        setup & 4 ? nullptr : &wired);
    status.InitLinks();
    if ((setup >> 3) & 1) {  // the Bluetooth LE link connects, as its link does it
        flags.bleConnected = true;
        status.ShowBleConnected();
    }
    CheckState(status, view, flags, ack, profiles);

    while (!input.Empty()) {
        switch (input.Byte() % 8) {
            case 0: {
                const std::uint16_t a = input.U16();
                status.OnReceiverReport(a, input.U16());
                break;
            }
            case 1: {
                // A status message with the marker, its type from the input.
                const auto a = static_cast<std::uint16_t>(0x11 | (input.Byte() << 8));
                status.OnReceiverReport(a, input.U16());
                break;
            }
            case 2:
                status.OnVendorStatus(input.U32());
                break;
            case 3:
                status.OnVendorConnection(input.Byte() % 4);
                break;
            case 4: {
                const auto value = input.Take(input.Byte() % 8);
                status.OnBleNotification(value.data(), value.size());
                break;
            }
            case 5:
                status.OnWatchdogTimer();
                break;
            case 6:
                status.OnChargeAnimationTimer();
                break;
            case 7:
                window.RunLater();
                break;
        }
        CheckState(status, view, flags, ack, profiles);
    }
    return 0;
}
