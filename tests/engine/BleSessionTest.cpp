// The Bluetooth LE link end to end: the session's link over the virtual mouse's GATT
// personality, notifications decoded on the window thread, and reports written whole.
#include <gtest/gtest.h>

#include "engine/DeviceSession.h"
#include "ports/WindowMessages.h"
#include "sim/VirtualGattMouse.h"
#include "tests/engine/SessionFixture.h"

namespace ms1 {
namespace {

class BleSessionTest : public DeviceSessionTest {
  protected:
    void StartBle() {
        bus = sim::MakeSimulation("ble", clock);
        ASSERT_NE(bus, nullptr);
        DeviceSession::Ports ports{*bus, profiles, view, applyView, window, &pacer};
        ports.gatt = bus->Gatt();
        session = std::make_unique<DeviceSession>(ports);
        session->SetApplyListener(RecordResults());
        session->Start(HidSeesBleMouse(*bus));
        ASSERT_TRUE(PumpUntil([this] { return session->flags().bleConnected.load(); }));
    }
    // Timer 516 without its two seconds.
    void Subscribe() { session->OnTimer(TIMER_BLE_DISCOVERY); }
    std::string Power() { return view.text["ms_1_label_power"]; }
};

TEST_F(BleSessionTest, TheMouseShowsOverBluetoothAndReportsOnceSubscribed) {
    StartBle();
    EXPECT_TRUE(view.IsVisible("ms_1_BLE"));
    EXPECT_FALSE(view.IsVisible("ms_1_wireless"));
    EXPECT_TRUE(session->flags().anyConnected.load());
    EXPECT_EQ(Power(), "100%");
    EXPECT_EQ(view.progress["ms_1_progress_power"], 100);
    // Bluetooth has neither a polling rate nor a debounce setting.
    EXPECT_FALSE(view.IsVisible("ms_1_check_prate"));
    EXPECT_FALSE(view.IsVisible("ms_1_check_key_debounce"));
    EXPECT_TRUE(session->timers().IsTimerRunning(TIMER_BLE_DISCOVERY));

    Subscribe();
    EXPECT_FALSE(session->timers().IsTimerRunning(TIMER_BLE_DISCOVERY));
    // The battery the mouse announced when it connected: on battery, 80 %.
    ASSERT_TRUE(PumpUntil([&] { return Power() == "80%"; }));
    EXPECT_EQ(view.progress["ms_1_progress_power"], 80);
    bus->WithMouse(0, [](sim::VirtualMouse& mouse) { mouse.SelectStage(4); });
    ASSERT_TRUE(PumpUntil([&] {
        auto lock = profiles.Lock();
        return profiles.working->activeStage == 3;
    }));
    EXPECT_TRUE(profiles.SnapshotEqualsWorking());
    EXPECT_FALSE(session->flags().wirelessConnected.load()) << "Bluetooth feeds no watchdog";

    bus->Gatt()->Disconnect();
    ASSERT_TRUE(PumpUntil([&] { return !session->flags().bleConnected.load(); }));
    EXPECT_FALSE(view.IsVisible("ms_1_BLE"));
    EXPECT_FALSE(session->flags().anyConnected.load());
    EXPECT_TRUE(view.IsVisible("ms_1_check_prate"));
    EXPECT_EQ(bus->Gatt()->RegistrationCount(), 0);

    // Back: connected once the link has found the write characteristic again.
    bus->Gatt()->Connect();
    ASSERT_TRUE(PumpUntil([&] { return session->flags().bleConnected.load(); }));
    EXPECT_EQ(Power(), "100%");
    Subscribe();
    ASSERT_TRUE(PumpUntil([&] { return Power() == "80%"; }));
}

// Every report goes whole in one write, 500 ms after each; the polling rate stays behind.
TEST_F(BleSessionTest, AFullApplyWritesEveryReportButThePollingRate) {
    test::SetMacro(profiles.working->button[2],
                   {test::Action(0x04, 1, 10), test::Action(0x04, 2, 20)});
    profiles.fullApplyPending = true;
    StartBle();
    session->RequestApply();
    const ApplyResult result = NextApply();
    EXPECT_TRUE(result.ran);
    EXPECT_TRUE(result.AllConfirmed());
    std::vector<std::uint8_t> commands;
    for (const SentReport& sent : result.reports) {
        commands.push_back(sent.command);
        EXPECT_EQ(sent.outcome.link, SentOver::Ble);
        EXPECT_EQ(sent.outcome.skipped, sent.command == 0x16);
    }
    EXPECT_EQ(commands, (std::vector<std::uint8_t>{0x1C, 0x14, 0x15, 0x16, 0x18, 0x19}));
    std::vector<std::string> heads;
    std::vector<std::size_t> sizes;
    for (const Bytes& packet : Packets()) {
        heads.push_back(test::Hex(packet, 0, 4));
        sizes.push_back(packet.size());
    }
    EXPECT_EQ(heads, (std::vector<std::string>{"1c 3c 01 fe", "14 3c 01 01", "15 3c 01 70",
                                               "18 3c 01 02", "19 83 0b 00"}));
    EXPECT_EQ(sizes, (std::vector<std::size_t>{60, 60, 60, 60, 131}));
    // 500 ms after each write, and the 500 ms every macro page ends with.
    EXPECT_EQ(pacer.Pauses(), (std::vector<int>{500, 500, 500, 500, 500, 500}));
    const sim::MouseSettings settings = bus->Settings(0);
    EXPECT_EQ(settings.rateCode, 0);
    ASSERT_EQ(settings.macroPages.count(11), 1u);
    EXPECT_EQ(test::Hex(settings.macroPages.at(11), 0, 13),
              "19 83 0b 00 00 00 00 01 02 0a 04 94 04");

    // A mouse that refuses: the write's failure is the report's.
    bus->Gatt()->SetRefusing(true);
    {
        auto lock = profiles.Lock();
        profiles.working->brightness = 2;
    }
    session->RequestApply();
    const ApplyResult refused = NextApply();
    ASSERT_EQ(refused.reports.size(), 1u);
    EXPECT_FALSE(refused.reports[0].outcome.confirmed);
    EXPECT_FALSE(refused.AllConfirmed());
}

// The HID enumeration alone is not a link: without GATT services the mouse is not connected.
TEST_F(BleSessionTest, TheHidEnumerationAloneConnectsNothing) {
    bus = sim::MakeSimulation("ble", clock);
    ASSERT_TRUE(HidSeesBleMouse(*bus));
    DeviceSession::Ports ports{*bus, profiles, view, applyView, window, &pacer};
    session = std::make_unique<DeviceSession>(ports);
    session->Start(true);
    const auto end = std::chrono::steady_clock::now() + 300ms;  // the window thread's chance
    PumpUntil([&] { return std::chrono::steady_clock::now() >= end; });
    EXPECT_FALSE(session->flags().bleConnected.load());
    EXPECT_FALSE(session->flags().anyConnected.load());
    EXPECT_FALSE(view.IsVisible("ms_1_BLE"));
}

}  // namespace
}  // namespace ms1
