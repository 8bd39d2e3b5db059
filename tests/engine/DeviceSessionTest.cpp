#include "engine/DeviceSession.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/SessionMessages.h"
#include "ports/WindowMessages.h"
#include "sim/ManualSimClock.h"
#include "sim/Simulation.h"
#include "tests/engine/SessionFixture.h"
#include "tests/support/ProtocolFakes.h"
#include "tests/support/ReportBytes.h"

namespace ms1 {
namespace {

TEST_F(DeviceSessionTest, BrightnessEditTravelsToTheMouseAndBackOnce) {
    // Mode 1 shows the brightness in the lighting report; the mouse already has the rest.
    profiles.working->lightMode = 1;
    profiles.snapshot->lightMode = 1;
    AnswerEachReport();
    Start("receiver");
    EXPECT_EQ(view.IsVisible("ms_1_wireless"), true);
    const int savesBefore = profiles.saves;

    // Two slider moves within the delay: one apply, 500 ms after the last.
    {
        auto lock = profiles.Lock();
        profiles.working->brightness = 3;
    }
    session->RequestApplyDelayed(500);
    {
        auto lock = profiles.Lock();
        profiles.working->brightness = 4;
    }
    session->RequestApplyDelayed(500);
    ASSERT_TRUE(session->timers().IsTimerRunning(TIMER_APPLY_DELAY));
    session->OnTimer(TIMER_APPLY_DELAY);  // the delay runs out
    EXPECT_FALSE(session->timers().IsTimerRunning(TIMER_APPLY_DELAY));

    const ApplyResult result = NextApply();
    ASSERT_EQ(result.reports.size(), 1u);
    EXPECT_EQ(result.reports[0].command, 0x15);
    EXPECT_TRUE(result.reports[0].outcome.confirmed);
    EXPECT_EQ(result.reports[0].outcome.attempts, 1) << "the acknowledgement ends the retries";
    EXPECT_EQ(pacer.Pauses(), std::vector<int>{500});

    // Mode 1, sleep 10 with brightness 4, breathing 6, colour 00 FF 00, light-off 1,
    // debounce 4, checksum 0x01BB.
    const Bytes lighting =
        Report({0x15, 0x3C, 0x01, 0x10, 0x03, 0xA4, 0x00, 0xFF, 0x00, 0x01, 0x04, 0x01, 0xBB});
    ASSERT_EQ(Packets().size(), 1u);
    EXPECT_EQ(test::Hex(Packets()[0]), test::Hex(lighting));
    EXPECT_EQ(bus->Settings(0).brightness, 4);
    EXPECT_EQ(bus->Settings(0).lightMode, 1);

    auto lock = profiles.Lock();
    EXPECT_TRUE(profiles.SnapshotEqualsWorking());
    EXPECT_EQ(profiles.saves, savesBefore + 2);  // as the apply began, and as it ended
    EXPECT_TRUE(result.stored);
    std::lock_guard viewLock(applyView.mutex);
    EXPECT_EQ(applyView.finished, std::vector<bool>{true});
}

TEST_F(DeviceSessionTest, UnacknowledgedGroupIsSentAgainByTheNextApply) {
    Start("noack");
    {
        auto lock = profiles.Lock();
        profiles.working->breathSpeed = 2;
    }
    session->RequestApply();
    ApplyResult first = NextApply();
    ASSERT_EQ(first.reports.size(), 1u);
    EXPECT_EQ(first.reports[0].command, 0x15);
    EXPECT_FALSE(first.reports[0].outcome.confirmed);
    EXPECT_EQ(first.reports[0].outcome.attempts, 10);
    EXPECT_EQ(pacer.Pauses(), std::vector<int>(10, 500));
    EXPECT_EQ(Packets().size(), 10u);
    {
        auto lock = profiles.Lock();
        EXPECT_EQ(profiles.snapshot->breathSpeed, 6) << "the snapshot keeps what was confirmed";
        EXPECT_EQ(profiles.saves, 2) << "the store is written all the same";
    }
    {
        std::lock_guard viewLock(applyView.mutex);
        EXPECT_EQ(applyView.finished, std::vector<bool>{false});
    }

    session->RequestApply();
    ApplyResult second = NextApply();
    ASSERT_EQ(second.reports.size(), 1u);
    EXPECT_EQ(second.reports[0].command, 0x15);
    EXPECT_EQ(second.reports[0].outcome.attempts, 10);
    // Breathing 2: byte 4 is 9 - 2 = 7.
    const Bytes lighting =
        Report({0x15, 0x3C, 0x01, 0x70, 0x07, 0xA8, 0x00, 0xFF, 0x00, 0x01, 0x04, 0x02, 0x23});
    const auto packets = Packets();
    ASSERT_EQ(packets.size(), 20u);
    for (const Bytes& packet : packets)
        EXPECT_EQ(test::Hex(packet), test::Hex(lighting));
    EXPECT_EQ(bus->Settings(0).breathSpeed, 2) << "the mouse kept it, it only never said so";
}

// The program ends while an apply waits for an acknowledgement that never comes: the apply
// stops after the report on its way, without the rest of its retries, the applies queued
// behind it are dropped, and the store is written all the same. Real pauses here.
TEST_F(DeviceSessionTest, StoppingDropsQueuedAppliesAndSendsNothingUnpaced) {
    bus = sim::MakeSimulation("noack", clock);
    ASSERT_NE(bus, nullptr);
    session = std::make_unique<DeviceSession>(
        DeviceSession::Ports{*bus, profiles, view, applyView, window, nullptr});
    session->SetApplyListener(RecordResults());
    session->Start();
    ASSERT_TRUE(PumpUntil([this] { return session->flags().wirelessConnected.load(); }));
    {
        auto lock = profiles.Lock();
        profiles.working->breathSpeed = 2;
        profiles.working->pollingRate = 1;
    }
    for (int i = 0; i < 3; ++i)
        session->RequestApply();
    ASSERT_TRUE(PumpUntil([this] { return !Packets().empty(); }));

    const std::size_t beforeStop = Packets().size();
    session->Stop();
    // At most the one attempt that was leaving as the pause was cut.
    EXPECT_LE(Packets().size(), beforeStop + 1);
    for (const Bytes& packet : Packets())
        EXPECT_EQ(packet[0], 0x15) << "no other report after the program began to end";
    EXPECT_EQ(Results().size(), 1u) << "the queued applies were dropped";
    auto lock = profiles.Lock();
    EXPECT_EQ(profiles.saves, 2) << "the one apply that ran, as it began and as it ended";
}

TEST_F(DeviceSessionTest, FullApplyWithMacroPagesReachesTheMouseInOrder) {
    // Button 1: 60 press/release actions of 10 ms, two pages from page 1. Button 3: two
    // actions, one page at page 11.
    std::vector<MacroAction> long_;
    for (int i = 0; i < 60; ++i)
        long_.push_back(test::Action(0x04, i % 2 == 0 ? 1 : 2, 10));
    test::SetMacro(profiles.working->button[0], long_);
    test::SetMacro(profiles.working->button[2],
                   {test::Action(0x04, 1, 10), test::Action(0x04, 2, 20)});
    profiles.fullApplyPending = true;
    AnswerEachReport();
    Start("receiver");

    session->RequestApply();
    const ApplyResult result = NextApply();
    EXPECT_TRUE(result.AllConfirmed());

    // Order on the wire: preamble, the four groups, then each page as three packets.
    std::vector<std::string> heads;
    for (const Bytes& packet : Packets())
        heads.push_back(test::Hex(packet, 0, 4));
    const std::vector<std::string> expected = {
        "1c 3c 01 fe", "14 3c 01 01", "15 3c 01 70", "16 3c 01 01", "18 3c 01 12",
        "19 40 01 00", "19 40 01 01", "19 0c 01 02", "19 40 02 00", "19 40 02 01",
        "19 0c 02 02", "19 40 0b 00", "19 40 0b 01", "19 0c 0b 02"};
    EXPECT_EQ(heads, expected);
    for (const SentReport& sent : result.reports)
        EXPECT_EQ(sent.outcome.attempts, 1) << std::hex << int(sent.command);

    const sim::MouseSettings settings = bus->Settings(0);
    EXPECT_EQ(settings.preambles, 1);
    EXPECT_EQ(settings.buttons[0], (std::array<std::uint8_t, 3>{0x12, 0x00, 0x01}));
    EXPECT_EQ(settings.buttons[1], (std::array<std::uint8_t, 3>{0x03, 0x00, 0x00}));
    EXPECT_EQ(settings.buttons[2], (std::array<std::uint8_t, 3>{0x12, 0x00, 0x0B}));
    ASSERT_EQ(settings.macroPages.size(), 3u);

    // Page 1: repeat 1, 60 units (59 actions and the continuation 02 FE), checksum 0x12F7.
    const auto& page1 = settings.macroPages.at(1);
    EXPECT_EQ(test::Hex(page1, 0, 13), "19 83 01 00 00 00 00 01 3c 0a 04 8a 04");
    EXPECT_EQ(test::Hex(page1, 123, 8), "8a 04 0a 04 02 fe 12 f7");
    // Page 2: no header, the last release alone.
    const auto& page2 = settings.macroPages.at(2);
    EXPECT_EQ(test::Hex(page2, 0, 11), "19 83 02 00 00 00 00 00 01 8a 04");
    EXPECT_EQ(test::Hex(page2, 129, 2), "00 8f");
    // Page 11: press 10 ms, release 20 ms.
    const auto& page11 = settings.macroPages.at(11);
    EXPECT_EQ(test::Hex(page11, 0, 13), "19 83 0b 00 00 00 00 01 02 0a 04 94 04");
    EXPECT_EQ(test::Hex(page11, 13, 116), test::Hex(Bytes(116, 0)));
    EXPECT_EQ(test::Hex(page11, 129, 2), "00 a9");

    // Five reports at 500 ms, then per page three packets at 1000 ms and the page's 500 ms.
    const std::vector<int> pauses = {500,  500,  500,  500, 500,  1000, 1000, 1000, 500,
                                     1000, 1000, 1000, 500, 1000, 1000, 1000, 500};
    EXPECT_EQ(pacer.Pauses(), pauses);
    auto lock = profiles.Lock();
    EXPECT_FALSE(profiles.fullApplyPending);
    EXPECT_TRUE(profiles.SnapshotEqualsWorking());
}

TEST_F(DeviceSessionTest, StatusWordsFromTheReadersAreDecodedOnTheWindowThread) {
    Start("receiver");
    bus->WithMouse(0, [](sim::VirtualMouse& mouse) {
        mouse.SetBattery(1, 0x4B);
        mouse.SelectStage(3);
        mouse.SetRateCode(4);
    });
    ASSERT_TRUE(PumpUntil([this] {
        auto lock = profiles.Lock();
        return profiles.working->pollingRate == 1;
    }));
    EXPECT_EQ(view.text["ms_1_label_power"], "75%");
    EXPECT_EQ(view.progress["ms_1_progress_power"], 75);
    auto lock = profiles.Lock();
    EXPECT_EQ(profiles.working->activeStage, 2);
    EXPECT_TRUE(profiles.SnapshotEqualsWorking()) << "reported settings are not sent back";
    std::lock_guard windowLock(window.mutex);
    EXPECT_NE(std::find(window.posted.begin(), window.posted.end(), MSG_STAGE_CHANGED),
              window.posted.end());
    EXPECT_NE(std::find(window.posted.begin(), window.posted.end(), MSG_CONNECTION_CHANGED),
              window.posted.end());
}

TEST_F(DeviceSessionTest, RemovalAndWatchdogEndTheLinkAndAnApplyThenOnlyStores) {
    Start("receiver");
    bus->SetEventSink(&session->link());
    bus->Unplug(0);  // the current receiver's feature collection goes away
    EXPECT_FALSE(session->flags().wirelessConnected.load());
    EXPECT_FALSE(view.IsVisible("ms_1_wireless"));
    // A heartbeat a reader had read before the removal arrives late: it is not the mouse.
    session->hub().Post(kMsgReceiverStatus, 0x4811, 0x5001);
    QCoreApplication::processEvents();
    EXPECT_FALSE(session->flags().wirelessConnected.load());

    {
        auto lock = profiles.Lock();
        profiles.working->brightness = 2;
    }
    session->RequestApply();
    const ApplyResult result = NextApply();
    EXPECT_FALSE(result.ran);
    EXPECT_TRUE(result.stored) << "edits are kept although no mouse is there";
    EXPECT_TRUE(Packets().empty());
    auto lock = profiles.Lock();
    EXPECT_EQ(profiles.saves, 1);
    EXPECT_FALSE(profiles.SnapshotEqualsWorking()) << "the next apply with a link sends it";
}

TEST_F(DeviceSessionTest, SilentMouseIsDroppedByTheWatchdog) {
    Start("receiver");
    ASSERT_TRUE(session->timers().IsTimerRunning(TIMER_WIRELESS_WATCHDOG));
    session->OnTimer(TIMER_WIRELESS_WATCHDOG);  // six seconds without a report
    EXPECT_FALSE(session->flags().wirelessConnected.load());
    EXPECT_FALSE(session->flags().anyConnected.load());
    EXPECT_FALSE(view.IsVisible("ms_1_wireless"));
    EXPECT_FALSE(session->timers().IsTimerRunning(TIMER_WIRELESS_WATCHDOG));
}

TEST_F(DeviceSessionTest, VendorLibraryMessagesReachTheDecoding) {
    Start("receiver");
    // 1539: A = 0x1811 (stage), V = 3.
    EXPECT_TRUE(session->HandleMessage(Message{MSG_WIRED_DATA, 0x1811, 0x0003, {}}));
    {
        auto lock = profiles.Lock();
        EXPECT_EQ(profiles.working->activeStage, 2);
    }
    // 1540 with wParam 0: the wired mouse left.
    EXPECT_TRUE(session->HandleMessage(Message{MSG_WIRED_STATE, 0, 0, {}}));
    EXPECT_EQ(session->flags().wiredConnected.load(), WiredState::kRemoved);
    EXPECT_TRUE(session->flags().anyConnected.load()) << "the receiver still has the mouse";
    // Other values of wParam are no event.
    EXPECT_TRUE(session->HandleMessage(Message{MSG_WIRED_STATE, 7, 0, {}}));
    EXPECT_EQ(session->flags().wiredConnected.load(), WiredState::kRemoved);
    EXPECT_FALSE(session->HandleMessage(Message{MSG_TRAY_ICON, 0, 0, {}}));
}

// The page's request is handed to the worker by the call itself: the apply runs while the
// window thread handles no event. A delayed request runs once timer 513 ends, which stops.
TEST_F(DeviceSessionTest, ApplyRequestsReachTheWorkerInOneHop) {
    Start("receiver");
    // The window thread runs no events while it waits: the request went to the worker itself.
    session->RequestApply();
    EXPECT_TRUE(results.WaitForSize(1, kPatience));
    EXPECT_EQ(Results().size(), 1u);

    session->RequestApplyDelayed(1);
    EXPECT_TRUE(session->timers().IsTimerRunning(TIMER_APPLY_DELAY));
    ASSERT_TRUE(PumpUntil([&] { return Results().size() == 2; }));
    EXPECT_FALSE(session->timers().IsTimerRunning(TIMER_APPLY_DELAY));
}

// The session's own timers: the watchdog and the Bluetooth discovery run once, the charge
// animation until it is stopped, and the arrival timer ends with one enumeration.
TEST_F(DeviceSessionTest, OneShotTimersStopAndTheChargeAnimationRuns) {
    Start("receiver");
    WindowTimers& timers = session->timers();
    timers.StartTimer(TIMER_BLE_DISCOVERY, 1);
    timers.StartTimer(TIMER_CHARGE_ANIMATION, 1);
    int steps = 0;
    int last = -1;
    ASSERT_TRUE(PumpUntil([&] {
        const auto bar = view.progress.find("ms_1_progress_power");
        if (bar != view.progress.end() && bar->second != last) {
            last = bar->second;
            ++steps;
        }
        return steps >= 3;
    }));
    EXPECT_FALSE(timers.IsTimerRunning(TIMER_BLE_DISCOVERY));
    EXPECT_TRUE(timers.IsTimerRunning(TIMER_CHARGE_ANIMATION));  // periodic
    timers.KillTimer(TIMER_CHARGE_ANIMATION);

    const int enumerations = bus->Enumerations();
    timers.StartTimer(TIMER_USB_ARRIVAL, 1);
    ASSERT_TRUE(PumpUntil([&] { return bus->Enumerations() == enumerations + 1; }));
    EXPECT_FALSE(timers.IsTimerRunning(TIMER_USB_ARRIVAL));
}

}  // namespace
}  // namespace ms1
