#include "protocol/DeviceStatus.h"

#include <gtest/gtest.h>

#include "ports/WindowMessages.h"
#include "tests/support/ProtocolFakes.h"

namespace ms1 {
namespace {

struct FakeWired : WiredDevicePort {
    bool bound = true;
    int openResult = 1;
    int opens = 0, closes = 0, monitors = 0;
    bool IsBound() const override { return bound; }
    void StartMonitor() override { ++monitors; }
    Result OpenFeatureDevice() override {
        ++opens;
        return openResult != 0 ? Result::Done() : Result::Failed("not open");
    }
    void CloseFeatureDevice() override { ++closes; }
};

struct StatusFixture : ::testing::Test {
    LinkFlags flags;
    std::atomic<std::int32_t> ack{0};
    test::FakeProfiles profiles;
    test::FakeView view;
    test::FakeWindow window;
    FakeWired wired;
    DeviceStatus status{profiles, flags, ack, view, window, window, window, &wired};

    // A receiver input report "11 11 TT V0 V1" as the reader hands it over.
    void Receiver(std::uint8_t type, std::uint8_t v0, std::uint8_t v1) {
        status.OnReceiverReport(static_cast<std::uint16_t>(0x11 | (type << 8)),
                                static_cast<std::uint16_t>(v0 | (v1 << 8)));
    }
};

TEST_F(StatusFixture, SettingsReportedByTheMouseAreWrittenBackAndNotSentAgain) {
    struct Row {
        std::uint8_t type, v0, v1;
        const char* field;
        int expected;  // -99: unchanged from the default
        const char* option;
    };
    const Row rows[] = {
        {0x18, 3, 0, "stage", 2, "ms_1_option_dpi_step_3"},
        {0x18, 8, 0, "stage", 7, "ms_1_option_dpi_step_8"},
        {0x18, 0, 0, "stage", -99, ""},
        {0x18, 9, 0, "stage", -99, ""},
        {0x18, 1, 1, "stage", -99, ""},  // V is the whole word: 0x0101
        {0x28, 4, 0, "rate", 1, "ms_1_btn_prate_2"},
        {0x28, 1, 0, "rate", 3, "ms_1_btn_prate_4"},
        {0x28, 2, 0, "rate", 2, "ms_1_btn_prate_3"},
        {0x28, 8, 0, "rate", 0, "ms_1_btn_prate_1"},
        {0x28, 3, 0, "rate", 0, "ms_1_btn_prate_1"},
        {0x28, 9, 0, "rate", -99, ""},
        {0x78, 0x35, 0, "light", 3, ""},
        {0x78, 0xF0, 0x12, "light", 15, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.field) + " " + std::to_string(row.v0));
        profiles.working = test::DefaultProfile();
        profiles.snapshot = test::DefaultProfile();
        profiles.working->dpiValue[1] = 82;  // 4100 DPI typed on stage 2, not applied yet
        profiles.saves = 0;
        view.selectedOption.clear();
        window.posted.clear();

        Receiver(row.type, row.v0, row.v1);
        auto field = [&](const ProfileRecord& p) -> std::int32_t {
            return std::string(row.field) == "stage"  ? p.activeStage
                   : std::string(row.field) == "rate" ? p.pollingRate
                                                      : p.lightMode;
        };
        const std::int32_t value = field(*profiles.working);
        if (row.expected == -99) {
            EXPECT_EQ(profiles.saves, 0);
            EXPECT_FALSE(profiles.SnapshotEqualsWorking());
            EXPECT_EQ(view.selectedOption, "");
            continue;
        }
        EXPECT_EQ(value, row.expected);
        EXPECT_EQ(view.selectedOption, row.option);
        EXPECT_EQ(profiles.saves, 1);
        EXPECT_EQ(field(*profiles.snapshot), row.expected) << "the mouse holds what it reported";
        // ...and nothing else: the typed DPI is still to be sent.
        EXPECT_EQ(profiles.snapshot->dpiValue[1], 32);
        profiles.snapshot->dpiValue[1] = 82;
        EXPECT_TRUE(profiles.SnapshotEqualsWorking());
    }
}

TEST_F(StatusFixture, StageReportPostsTheStagesStepAndLightModeMovesTheCombo) {
    Receiver(0x18, 3, 0);
    ASSERT_EQ(window.Count(MSG_STAGE_CHANGED), 1);
    for (const auto& m : window.posted) {
        if (m.message == MSG_STAGE_CHANGED) {
            EXPECT_EQ(m.wParam, 0u);
            EXPECT_EQ(m.lParam, 48);  // the third stage's step
        }
    }
    int before = view.lightRefreshes;
    Receiver(0x78, 0x90, 0);
    EXPECT_EQ(view.combo["ms_1_combo_light"], 9);
    EXPECT_GT(view.lightRefreshes, before);
}

TEST_F(StatusFixture, AcknowledgementsAndForeignMessages) {
    // Not a status message: nothing at all happens, and the watchdog is not fed.
    auto before = *profiles.working;
    status.OnReceiverReport(0x1812, 0x0003);
    EXPECT_FALSE(window.IsTimerRunning(TIMER_WIRELESS_WATCHDOG));
    EXPECT_FALSE(flags.wirelessConnected.load());
    EXPECT_EQ(std::memcmp(&before, profiles.working.get(), sizeof before), 0);

    Receiver(0x58, 0, 0);
    EXPECT_EQ(ack, 1);
    Receiver(0x58, 1, 0);
    EXPECT_EQ(ack, 0);

    Receiver(0x68, 7, 0);
    EXPECT_EQ(status.batteryLevel(), 7);
    Receiver(0x68, 11, 0);
    EXPECT_EQ(status.batteryLevel(), 7);
    Receiver(0x88, 5, 0);
    EXPECT_EQ(profiles.saves, 1);
    Receiver(0x88, 6, 0);
    Receiver(0x98, 1, 0);
    EXPECT_EQ(profiles.saves, 1);
}

TEST_F(StatusFixture, FirstReceiverReportConnectsAndTheWatchdogDisconnectsOnce) {
    Receiver(0x58, 0, 0);
    EXPECT_TRUE(flags.wirelessConnected.load());
    EXPECT_TRUE(flags.anyConnected.load());
    EXPECT_TRUE(view.IsVisible("ms_1_wireless"));
    EXPECT_EQ(window.running[TIMER_WIRELESS_WATCHDOG], 6000);
    Receiver(0x58, 0, 0);
    EXPECT_EQ(window.Count(MSG_CONNECTION_CHANGED), 1);

    status.OnWatchdogTimer();
    EXPECT_FALSE(flags.wirelessConnected.load());
    EXPECT_FALSE(flags.anyConnected.load());
    EXPECT_FALSE(view.IsVisible("ms_1_wireless"));
    EXPECT_FALSE(window.IsTimerRunning(TIMER_WIRELESS_WATCHDOG));
    EXPECT_EQ(window.Count(MSG_CONNECTION_CHANGED), 2);
    status.OnWatchdogTimer();
    EXPECT_EQ(window.Count(MSG_CONNECTION_CHANGED), 2);
}

TEST_F(StatusFixture, BatteryOverTheReceiver) {
    Receiver(0x48, 0x01, 0x4B);
    EXPECT_EQ(view.text["ms_1_label_power"], "75%");
    EXPECT_EQ(view.progress["ms_1_progress_power"], 75);
    EXPECT_EQ(status.batteryLevel(), 75);
    EXPECT_FALSE(window.IsTimerRunning(TIMER_CHARGE_ANIMATION));

    Receiver(0x48, 0x03, 0x00);
    EXPECT_EQ(view.text["ms_1_label_power"], "key:charging_text");
    EXPECT_EQ(window.running[TIMER_CHARGE_ANIMATION], 30);
    status.OnChargeAnimationTimer();
    status.OnChargeAnimationTimer();
    EXPECT_EQ(view.progress["ms_1_progress_power"], 2);
    for (int i = 0; i < 50; ++i)
        status.OnChargeAnimationTimer();
    EXPECT_EQ(view.chargeStep(), 2);  // wrapped after 100

    Receiver(0x48, 0x01, 0x65);  // level 101: the full form stays
    EXPECT_EQ(view.text["ms_1_label_power"], "100%");
    EXPECT_EQ(view.progress["ms_1_progress_power"], 100);
    EXPECT_FALSE(window.IsTimerRunning(TIMER_CHARGE_ANIMATION));

    // What the page's low-battery warning is told, last word last: a level report passes
    // through the full form first.
    Receiver(0x48, 0x01, 0x09);
    EXPECT_EQ(view.battery,
              (std::vector<std::string>{"100", "75", "75 charging", "100", "100", "9"}));
}

TEST_F(StatusFixture, BatteryWhileWiredTakesTheReceiverOffline) {
    status.InitLinks();
    EXPECT_EQ(flags.wiredConnected.load(), WiredState::kUp);
    EXPECT_EQ(wired.monitors, 1);
    EXPECT_TRUE(view.IsVisible("ms_1_wired"));
    EXPECT_EQ(view.text["ms_1_label_power"], "key:charging_text");
    flags.wirelessConnected = true;
    view.visible.insert("ms_1_wireless");

    Receiver(0x48, 0x02, 0x10);
    EXPECT_FALSE(flags.wirelessConnected.load());
    EXPECT_FALSE(view.IsVisible("ms_1_wireless"));
    EXPECT_EQ(view.text["ms_1_label_power"], "100%");
    EXPECT_TRUE(view.IsVisible("ms_1_check_prate"));
    Receiver(0x48, 0x01, 0x10);
    EXPECT_EQ(view.text["ms_1_label_power"], "key:charging_text");
}

TEST_F(StatusFixture, WiredArrivalWaitsWithoutBlockingAndRemovalCancelsIt) {
    wired.bound = false;
    status.InitLinks();
    EXPECT_EQ(flags.wiredConnected.load(), WiredState::kAbsent);
    EXPECT_FALSE(flags.anyConnected.load());
    EXPECT_EQ(window.Count(MSG_CONNECTION_CHANGED), 1);

    status.OnVendorStatus(0x7F000001);
    EXPECT_EQ(flags.wiredConnected.load(), WiredState::kAbsent);  // not before the delay
    ASSERT_EQ(window.later.size(), 1u);
    EXPECT_EQ(window.later[0].first, 1000);
    window.RunLater();
    EXPECT_EQ(flags.wiredConnected.load(), WiredState::kUp);
    EXPECT_TRUE(flags.anyConnected.load());
    EXPECT_TRUE(view.IsVisible("ms_1_wired"));
    EXPECT_EQ(window.Count(MSG_CONNECTION_CHANGED), 2);

    status.OnVendorStatus(0x7F000002);
    EXPECT_EQ(flags.wiredConnected.load(), WiredState::kRemoved);
    EXPECT_EQ(wired.closes, 1);
    EXPECT_EQ(view.text["ms_1_label_power"], "");
    EXPECT_FALSE(flags.anyConnected.load());
    status.OnVendorStatus(0x7F000002);  // already removed
    EXPECT_EQ(wired.closes, 1);

    status.OnVendorStatus(0x7F000001);
    status.OnVendorStatus(0x7F000002);  // unplugged again before the delay ran out
    window.RunLater();
    EXPECT_EQ(flags.wiredConnected.load(), WiredState::kRemoved);

    status.OnVendorStatus(0x7F000000);  // nothing
    status.OnVendorStatus((0x5811u << 16) ^ 0x0000);
    EXPECT_EQ(ack, 1);
    status.OnVendorStatus((0x9811u << 16) ^ 0x0001);  // above 0x9000: ignored
    EXPECT_EQ(ack, 1);
}

// The cable's reports come through the vendor library; while its link is not up they
// neither connect the receiver's link nor show a battery, but still tell the stage.
TEST_F(StatusFixture, TheCablesReportsBeforeItsLinkIsUpLeaveTheReceiverAlone) {
    const struct {
        const char* name;
        std::vector<std::uint32_t> before;
    } cases[] = {
        {"arrival announced, link not up yet", {0x7F000001}},
        {"cable gone", {0x7F000001, 0x7F000002}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LinkFlags linkFlags;
        test::FakeView linkView;
        test::FakeWindow linkWindow;
        FakeWired cable;
        cable.bound = false;
        profiles.working = test::DefaultProfile();
        DeviceStatus cableStatus{profiles,   linkFlags,  ack,        linkView,
                                 linkWindow, linkWindow, linkWindow, &cable};
        cableStatus.InitLinks();
        for (std::uint32_t value : c.before)
            cableStatus.OnVendorStatus(value);
        cableStatus.OnVendorStatus((0x4811u << 16) ^ 0x5001);  // battery 80 %, on battery
        cableStatus.OnVendorStatus((0x1811u << 16) ^ 0x0003);  // the third stage
        EXPECT_FALSE(linkFlags.wirelessConnected.load());
        EXPECT_FALSE(linkFlags.anyConnected.load());
        EXPECT_FALSE(linkView.IsVisible("ms_1_wireless"));
        EXPECT_EQ(linkView.text["ms_1_label_power"], "");
        EXPECT_EQ(profiles.working->activeStage, 2);
    }
}

TEST_F(StatusFixture, BluetoothValuesDecodeWithoutTouchingTheLinks) {
    const std::uint8_t rate[] = {0x11, 0x28, 0x01, 0x00};
    profiles.working->pollingRate = 0;
    status.OnBleNotification(rate, sizeof rate);
    EXPECT_EQ(profiles.working->pollingRate, 3);

    const std::uint8_t battery[] = {0x11, 0x48, 0x01, 0x20};
    status.OnBleNotification(battery, sizeof battery);
    EXPECT_EQ(view.text["ms_1_label_power"], "32%");
    EXPECT_FALSE(flags.wirelessConnected.load());
    EXPECT_FALSE(window.IsTimerRunning(TIMER_WIRELESS_WATCHDOG));

    status.OnBleNotification(battery, 0);  // an empty value is ignored
    status.OnBleNotification(battery, 3);
    EXPECT_EQ(window.posted.size(), 0u);
}

TEST_F(StatusFixture, LinkSectionsFollowTheLink) {
    flags.bleConnected = true;
    view.visible = {"ms_1_check_prate", "ms_1_ver_prate", "ms_1_check_key_debounce"};
    view.checked = {"ms_1_check_prate"};
    status.RefreshLinkSections();
    EXPECT_TRUE(view.visible.empty());
    EXPECT_TRUE(view.checked.empty());

    // Once Bluetooth is gone the headers come back for the other links; the panels stay shut.
    flags.bleConnected = false;
    status.ShowBleDisconnected();
    EXPECT_TRUE(view.IsVisible("ms_1_check_prate"));
    EXPECT_TRUE(view.IsVisible("ms_1_check_key_debounce"));
    EXPECT_FALSE(view.IsVisible("ms_1_ver_prate"));
    EXPECT_FALSE(view.IsChecked("ms_1_check_prate"));
    flags.bleConnected = true;
    status.RefreshLinkSections();

    flags.wiredConnected = WiredState::kUp;
    status.RefreshLinkSections();
    EXPECT_TRUE(view.IsVisible("ms_1_check_prate"));
    EXPECT_TRUE(view.IsVisible("ms_1_check_key_debounce"));
}

// A Bluetooth disconnection ends only the charging display the Bluetooth link started: the
// cable's animation (timer 515) goes on, at start-up (no Bluetooth mouse) as later.
TEST_F(StatusFixture, ABluetoothDisconnectionStopsOnlyItsOwnChargingDisplay) {
    struct Row {
        const char* name;
        bool cable;           // the wired mouse is there from start-up
        int bleConnects;      // Bluetooth connects first (1) or not (0)
        int bleBatteryState;  // then reports this battery state over Bluetooth (0: nothing)
        bool animating;       // timer 515 after the disconnection
    };
    const Row rows[] = {
        {"cable, no Bluetooth mouse at start", true, 0, 0, true},
        {"cable, Bluetooth reported charging", true, 1, 3, true},
        {"Bluetooth alone reported charging", false, 1, 3, false},
        {"Bluetooth alone reported a level", false, 1, 1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LinkFlags linkFlags;
        test::FakeWindow main;
        FakeWired cable;
        cable.bound = row.cable;
        DeviceStatus decoding{profiles, linkFlags, ack, view, main, main, main, &cable};
        decoding.InitLinks();
        EXPECT_EQ(main.IsTimerRunning(TIMER_CHARGE_ANIMATION), row.cable);
        if (row.bleConnects) {
            linkFlags.bleConnected = true;
            decoding.ShowBleConnected();
            const std::uint8_t battery[] = {0x11, 0x48,
                                            static_cast<std::uint8_t>(row.bleBatteryState), 0x40};
            decoding.OnBleNotification(battery, sizeof battery);
        }
        linkFlags.bleConnected = false;
        decoding.ShowBleDisconnected();
        EXPECT_EQ(main.IsTimerRunning(TIMER_CHARGE_ANIMATION), row.animating);
    }
}

}  // namespace
}  // namespace ms1
