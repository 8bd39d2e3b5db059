// The wired link end to end: the vendor library's binding over the virtual mouse's cable,
// the session's decoding of 1539/1540, and reports sent over the cable.
#include <gtest/gtest.h>

#include "engine/DeviceSession.h"
#include "ports/WindowMessages.h"
#include "sim/VirtualCable.h"
#include "tests/engine/SessionFixture.h"
#include "transport/VendorHidBinding.h"

namespace ms1 {
namespace {

// The main window's part for 1539 and 1540: hand them to the session's decoding.
struct ToSession final : MessageTarget {
    void Post(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        if (*session != nullptr)
            (*session)->hub().Post(message, wParam, lParam);
    }
    std::unique_ptr<DeviceSession>* session;
};

class WiredSessionTest : public DeviceSessionTest {
  protected:
    void StartWired(const char* scenario) {
        bus = sim::MakeSimulation(scenario, clock);
        ASSERT_NE(bus, nullptr);
        ASSERT_NE(bus->Cable(), nullptr);
        toSession.session = &session;
        binding = std::make_unique<VendorHidBinding>(bus->Cable()->Functions(), toSession);
        DeviceSession::Ports ports{*bus, profiles, view, applyView, window, &pacer};
        ports.wiredDevice = binding.get();
        ports.wiredReports = binding.get();
        StartWith(ports, false);
    }
    void TearDown() override {
        if (session)
            session->Stop();
        if (binding)
            binding->Close();
    }
    std::string PowerLabel() { return view.text["ms_1_label_power"]; }
    // Runs the window thread for a while, whatever happens.
    void PumpFor(std::chrono::milliseconds duration) {
        const auto end = std::chrono::steady_clock::now() + duration;
        PumpUntil([&] { return std::chrono::steady_clock::now() >= end; });
    }

    ToSession toSession;
    std::unique_ptr<VendorHidBinding> binding;
};

TEST_F(WiredSessionTest, TheCableComesChargesAndGoes) {
    StartWired("wired");
    // The feature device opened at start-up: wired at once, and charging over the cable.
    EXPECT_EQ(session->flags().wiredConnected.load(), WiredState::kUp);
    EXPECT_TRUE(view.IsVisible("ms_1_wired"));
    EXPECT_TRUE(PumpUntil([&] { return PowerLabel() == "key:charging_text"; }));

    // The mouse says it is full.
    bus->WithMouse(0, [](sim::VirtualMouse& mouse) { mouse.SetBattery(2, 100); });
    EXPECT_TRUE(PumpUntil([&] { return PowerLabel() == "100%"; }));

    bus->Cable()->Unplug();
    EXPECT_TRUE(PumpUntil([&] { return !view.IsVisible("ms_1_wired"); }));
    EXPECT_NE(session->flags().wiredConnected.load(), WiredState::kUp);
    EXPECT_FALSE(session->flags().anyConnected.load());

    // Back in: the feature device is opened a moment after the arrival, not at once.
    bus->Cable()->Plug();
    PumpFor(300ms);  // the arrival is decoded; the opening waits its second
    EXPECT_NE(session->flags().wiredConnected.load(), WiredState::kUp);
    EXPECT_TRUE(
        PumpUntil([&] { return session->flags().wiredConnected.load() == WiredState::kUp; }));
    EXPECT_TRUE(view.IsVisible("ms_1_wired"));
}

struct LinkCase {
    const char* scenario;
};

class WiredApply : public WiredSessionTest, public ::testing::WithParamInterface<LinkCase> {};

// Over the cable: 60-byte reports whole, a macro page as three 64-byte packets (all marked
// 0x40), 200 ms after each, and no acknowledgement awaited. With the receiver up too, the
// cable wins.
TEST_P(WiredApply, AFullApplyGoesOverTheCablePacedAt200Ms) {
    test::SetMacro(profiles.working->button[2],
                   {test::Action(0x04, 1, 10), test::Action(0x04, 2, 20)});
    profiles.fullApplyPending = true;
    StartWired(GetParam().scenario);
    session->RequestApply();
    const ApplyResult result = NextApply();
    EXPECT_TRUE(result.ran);
    EXPECT_TRUE(result.AllConfirmed());
    for (const SentReport& sent : result.reports)
        EXPECT_EQ(sent.outcome.link, SentOver::Wired) << std::hex << int(sent.command);

    std::vector<std::string> heads;
    std::vector<std::size_t> sizes;
    for (const Bytes& packet : Packets()) {
        heads.push_back(test::Hex(packet, 0, 4));
        sizes.push_back(packet.size());
    }
    const std::vector<std::string> expected = {"1c 3c 01 fe", "14 3c 01 01", "15 3c 01 70",
                                               "16 3c 01 01", "18 3c 01 02", "19 40 0b 00",
                                               "19 40 0b 01", "19 40 0b 02"};
    EXPECT_EQ(heads, expected);
    EXPECT_EQ(sizes, (std::vector<std::size_t>{60, 60, 60, 60, 60, 64, 64, 64}));
    // 200 ms after each report and packet, and the 500 ms every macro page ends with.
    EXPECT_EQ(pacer.Pauses(), (std::vector<int>{200, 200, 200, 200, 200, 200, 200, 200, 500}));
    const sim::MouseSettings settings = bus->Settings(0);
    ASSERT_EQ(settings.macroPages.count(11), 1u);
    EXPECT_EQ(test::Hex(settings.macroPages.at(11), 0, 13),
              "19 83 0b 00 00 00 00 01 02 0a 04 94 04");
}

INSTANTIATE_TEST_SUITE_P(Links, WiredApply,
                         ::testing::Values(LinkCase{"wired"}, LinkCase{"wired+receiver"}),
                         [](const auto& info) {
                             return std::string(info.index == 0 ? "CableOnly" : "CableAndReceiver");
                         });

// A refusing mouse: the call fails and the apply says so; a configuration report is paced all
// the same, a macro packet would not be.
TEST_F(WiredSessionTest, AFailedSetFeatureIsReportedAsNotSent) {
    StartWired("wired");
    bus->Cable()->SetRefusing(true);
    {
        auto lock = profiles.Lock();
        profiles.working->brightness = 2;
    }
    session->RequestApply();
    const ApplyResult result = NextApply();
    ASSERT_FALSE(result.reports.empty());
    EXPECT_FALSE(result.reports[0].outcome.confirmed);
    EXPECT_EQ(result.reports[0].outcome.link, SentOver::Wired);
    EXPECT_EQ(pacer.Pauses(), std::vector<int>{200});
    EXPECT_TRUE(Packets().empty());
}

}  // namespace
}  // namespace ms1
