#include "sim/VirtualMouse.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "sim/ManualSimClock.h"

namespace ms1::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A report of `size` bytes: the given leading bytes, then zeros.
Bytes Report(std::initializer_list<std::uint8_t> head, std::size_t size = 60) {
    Bytes bytes(head);
    bytes.resize(size, 0);
    return bytes;
}

class VirtualMouseTest : public ::testing::Test {
  protected:
    // Everything the mouse has queued, in order.
    std::vector<InputReport> Drain() {
        std::vector<InputReport> out;
        InputReport report{};
        while (mouse.TakeInputReport(report)) {
            out.push_back(report);
        }
        return out;
    }
    void Send(const Bytes& bytes) { mouse.ReceiveFeatureReport(bytes.data(), bytes.size()); }

    ManualSimClock clock;
    VirtualMouse mouse{clock};
};

const InputReport kAckOkReport{0x11, 0x11, 0x58, 0x00, 0x00};

TEST_F(VirtualMouseTest, KeepsLightingAndRefusesItWithAWrongChecksumOrLength) {
    // Default lighting: mode 7, sleep 10, breathing 6, colour 00 FF 00, light-off 1, debounce 4.
    Bytes lighting =
        Report({0x15, 0x3C, 0x01, 0x70, 0x03, 0xA8, 0x00, 0xFF, 0x00, 0x01, 0x04, 0x02, 0x1F});
    Send(lighting);
    EXPECT_EQ(Drain(), std::vector<InputReport>{kAckOkReport});
    EXPECT_EQ(mouse.Settings().lightMode, 7);
    EXPECT_EQ(mouse.Settings().brightness, 8);
    EXPECT_EQ(mouse.Settings().breathSpeed, 6);
    EXPECT_EQ(mouse.Settings().sleepTimer, 10);
    EXPECT_EQ(mouse.Settings().lightColor, (std::array<std::uint8_t, 3>{0x00, 0xFF, 0x00}));
    EXPECT_EQ(mouse.Settings().lightOffTimer, 1);
    EXPECT_EQ(mouse.Settings().keyDebounce, 4);

    // Mode 1 with a checksum that is one too high: refused, nothing kept.
    Send(Report({0x15, 0x3C, 0x01, 0x10, 0x03, 0xA8, 0x00, 0xFF, 0x00, 0x01, 0x04, 0x01, 0xC0}));
    EXPECT_EQ(Drain(), (std::vector<InputReport>{{0x11, 0x11, 0x58, 0x01, 0x00}}));
    EXPECT_EQ(mouse.Settings().lightMode, 7);

    // Length byte 0x3B, and the right bytes handed over as 59 bytes.
    Bytes shortByte = lighting;
    shortByte[1] = 0x3B;
    Send(shortByte);
    mouse.ReceiveFeatureReport(lighting.data(), 59);
    EXPECT_EQ(Drain(), (std::vector<InputReport>{{0x11, 0x11, 0x58, 0x02, 0x00},
                                                 {0x11, 0x11, 0x58, 0x02, 0x00}}));
    EXPECT_EQ(mouse.AcceptedReports(), 1);
    EXPECT_EQ(mouse.RefusedReports(), 3);
}

TEST_F(VirtualMouseTest, ReadsTheDpiReport) {
    // Stages 16, 32, 48, 64, 100, 210 (high range with the extension flag), 0, 0; stage 2
    // active; stage 1 red, the others black. Sum of bytes 3..49 = 0x035A.
    Bytes dpi =
        Report({0x14, 0x3C, 0x01, 0x01, 0x01, 0x3F, 0x20, 0x20, 0x10, 0x20, 0x30, 0x40, 0x64,
                0xD2, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x02, 0xFF});
    dpi[49] = 0x01;
    dpi[50] = 0x03;
    dpi[51] = 0x5A;
    Send(dpi);
    EXPECT_EQ(Drain(), std::vector<InputReport>{kAckOkReport});
    const MouseSettings& s = mouse.Settings();
    EXPECT_EQ(s.stageEnableMask, 0x3F);
    EXPECT_EQ(s.highRangeMask, 0x20);
    EXPECT_EQ(s.stageCode[5], 0xD2);
    EXPECT_EQ(s.extensionFlag[5], 1);
    EXPECT_EQ(s.activeStage, 2);
    EXPECT_EQ(s.stageColor[0], (std::array<std::uint8_t, 3>{0xFF, 0x00, 0x00}));

    // The same report with the spare byte 49 missing: the sum no longer matches.
    dpi[49] = 0x00;
    Send(dpi);
    EXPECT_EQ(Drain(), (std::vector<InputReport>{{0x11, 0x11, 0x58, 0x01, 0x00}}));
}

TEST_F(VirtualMouseTest, PollingRateNeedsAValidCodeAndItsComplement) {
    Send(Report({0x16, 0x3C, 0x01, 0x01, 0xFE}));
    EXPECT_EQ(mouse.Settings().rateCode, 1);
    Send(Report({0x16, 0x3C, 0x01, 0x08, 0xF6}));  // complement of 08 is F7
    Send(Report({0x16, 0x3C, 0x01, 0x03, 0xFC}));  // 3 is no rate code
    Send(Report({0x17, 0x3C, 0x01, 0x01, 0xFE}));  // no such command
    EXPECT_EQ(Drain(), (std::vector<InputReport>{kAckOkReport,
                                                 {0x11, 0x11, 0x58, 0x03, 0x00},
                                                 {0x11, 0x11, 0x58, 0x03, 0x00},
                                                 {0x11, 0x11, 0x58, 0x03, 0x00}}));
    EXPECT_EQ(mouse.Settings().rateCode, 1);
}

TEST_F(VirtualMouseTest, ButtonMapAndPreamble) {
    // Left 02 00 00, right 03 00 00, the rest zero; sum 0x0005.
    Bytes buttons = Report({0x18, 0x3C, 0x01, 0x02, 0x00, 0x00, 0x03});
    buttons[51] = 0x00;
    buttons[52] = 0x05;
    Send(buttons);
    Send(Report({0x1C, 0x3C, 0x01, 0xFE, 0x01, 0xFE}));
    EXPECT_EQ(Drain(), (std::vector<InputReport>{kAckOkReport, kAckOkReport}));
    EXPECT_EQ(mouse.Settings().buttons[0], (std::array<std::uint8_t, 3>{0x02, 0x00, 0x00}));
    EXPECT_EQ(mouse.Settings().buttons[1], (std::array<std::uint8_t, 3>{0x03, 0x00, 0x00}));
    EXPECT_EQ(mouse.Settings().preambles, 1);
}

// Page 1 of a macro: mode 1, repeat 1, two units (press A after 10 ms, release A after
// 10 ms), checksum 0x00A0 over bytes 3..128.
std::array<std::uint8_t, 131> MacroPage() {
    std::array<std::uint8_t, 131> page{};
    const std::uint8_t head[] = {0x19, 0x83, 0x01, 0x01, 0x00, 0x00, 0x00,
                                 0x01, 0x02, 0x0A, 0x04, 0x8A, 0x04};
    std::copy(std::begin(head), std::end(head), page.begin());
    page[129] = 0x00;
    page[130] = 0xA0;
    return page;
}

std::vector<Bytes> MacroPackets() {
    return {
        Report({0x19, 0x40, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x02, 0x0A, 0x04, 0x8A, 0x04},
               64),
        Report({0x19, 0x40, 0x01, 0x01}, 64),
        Report({0x19, 0x0C, 0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA0}, 64)};
}

TEST_F(VirtualMouseTest, AssemblesAMacroPageFromItsThreePackets) {
    const auto packets = MacroPackets();
    Send(packets[0]);
    Send(packets[1]);
    EXPECT_TRUE(Drain().empty()) << "no acknowledgement before the page is complete";
    Send(packets[2]);
    EXPECT_EQ(Drain(), std::vector<InputReport>{kAckOkReport});
    ASSERT_EQ(mouse.Settings().macroPages.count(1), 1u);
    EXPECT_EQ(mouse.Settings().macroPages.at(1), MacroPage());
}

TEST_F(VirtualMouseTest, RefusesMacroPagesWithBadChecksumOrOutOfOrder) {
    auto packets = MacroPackets();
    packets[2][11] = 0xA1;
    for (const Bytes& p : packets) {
        Send(p);
    }
    // Second packet first: out of sequence.
    Send(MacroPackets()[1]);
    // A whole 131-byte page is not a packet.
    const auto whole = MacroPage();
    mouse.ReceiveFeatureReport(whole.data(), whole.size());
    EXPECT_EQ(Drain(), (std::vector<InputReport>{{0x11, 0x11, 0x58, 0x01, 0x00},
                                                 {0x11, 0x11, 0x58, 0x04, 0x00},
                                                 {0x11, 0x11, 0x58, 0x02, 0x00}}));
    EXPECT_TRUE(mouse.Settings().macroPages.empty());
}

TEST_F(VirtualMouseTest, AcknowledgementModes) {
    const Bytes rate = Report({0x16, 0x3C, 0x01, 0x02, 0xFD});

    mouse.SetAckMode(AckMode::kNever);
    Send(rate);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(mouse.Settings().rateCode, 2) << "kept even though not acknowledged";

    mouse.SetAckMode(AckMode::kLate);
    Send(rate);
    clock.Advance(1199);
    EXPECT_TRUE(Drain().empty());
    clock.Advance(1);
    EXPECT_EQ(Drain(), std::vector<InputReport>{kAckOkReport});

    mouse.SetAckMode(AckMode::kRefuse);
    Send(Report({0x16, 0x3C, 0x01, 0x08, 0xF7}));
    EXPECT_EQ(Drain(), (std::vector<InputReport>{{0x11, 0x11, 0x58, 0x05, 0x00}}));
    EXPECT_EQ(mouse.Settings().rateCode, 2);
}

TEST_F(VirtualMouseTest, HeartbeatWhileAwakeSilenceWhileAsleep) {
    mouse.PowerUp();
    const InputReport battery{0x11, 0x11, 0x48, 0x01, 0x50};
    EXPECT_EQ(Drain(), std::vector<InputReport>{battery});
    clock.Advance(1999);
    EXPECT_TRUE(Drain().empty());
    clock.Advance(1);
    EXPECT_EQ(Drain(), std::vector<InputReport>{battery});
    clock.Advance(60000);
    EXPECT_EQ(Drain(), std::vector<InputReport>{battery}) << "a long gap gives one heartbeat";

    mouse.SetAsleep(true);
    clock.Advance(10000);
    Send(Report({0x16, 0x3C, 0x01, 0x01, 0xFE}));
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(mouse.Settings().rateCode, 0) << "an asleep mouse hears nothing";

    mouse.SetAsleep(false);
    EXPECT_EQ(Drain(), std::vector<InputReport>{battery});
}

TEST_F(VirtualMouseTest, AnnouncesStageAndRateWhenAwakeOnly) {
    // Never told a rate: it runs at 1000 per second (code 1) on stage 1.
    mouse.AnnounceSettings();
    EXPECT_EQ(Drain(), (std::vector<InputReport>{{0x11, 0x11, 0x18, 0x01, 0x00},
                                                 {0x11, 0x11, 0x28, 0x01, 0x00}}));

    Send(Report({0x16, 0x3C, 0x01, 0x04, 0xFB}));
    mouse.SelectStage(3);
    Drain();
    mouse.AnnounceSettings();
    EXPECT_EQ(Drain(), (std::vector<InputReport>{{0x11, 0x11, 0x18, 0x03, 0x00},
                                                 {0x11, 0x11, 0x28, 0x04, 0x00}}));

    mouse.SetAsleep(true);
    mouse.AnnounceSettings();
    EXPECT_TRUE(Drain().empty());
}

// The DPI button walks the stages that are switched on: a stage at 0 DPI would stop the
// pointer. Before any DPI report the mouse has its own six stages.
TEST_F(VirtualMouseTest, TheDpiButtonSkipsStagesThatAreOff) {
    struct Row {
        const char* what;
        std::uint8_t mask, active;  // bytes 5 and 24 of the DPI report; mask 0: none sent
        std::uint8_t sumHigh, sumLow;
        std::vector<std::uint8_t> stages;  // after each press
    };
    const Row rows[] = {
        {"nothing sent yet", 0, 0, 0, 0, {2, 3, 4, 5, 6, 1, 2}},
        {"stages 1 to 6", 0x3F, 2, 0x03, 0x5A, {3, 4, 5, 6, 1, 2}},
        {"stages 1, 3 and 8", 0x85, 1, 0x03, 0x9F, {3, 8, 1, 3}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        VirtualMouse fresh{clock};
        if (row.mask != 0) {
            Bytes dpi = Report({0x14, 0x3C, 0x01, 0x01, 0x01, row.mask, 0x20,       0x20, 0x10,
                                0x20, 0x30, 0x40, 0x64, 0xD2, 0x00,     0x00,       0x00, 0x00,
                                0x00, 0x00, 0x00, 0x01, 0x00, 0x00,     row.active, 0xFF});
            dpi[49] = 0x01;
            dpi[50] = row.sumHigh;
            dpi[51] = row.sumLow;
            fresh.ReceiveFeatureReport(dpi.data(), dpi.size());
            ASSERT_EQ(fresh.Settings().stageEnableMask, row.mask);
        }
        InputReport report{};
        while (fresh.TakeInputReport(report)) {
        }
        for (std::uint8_t expected : row.stages) {
            fresh.PressDpiButton();
            ASSERT_TRUE(fresh.TakeInputReport(report));
            EXPECT_EQ(report, (InputReport{0x11, 0x11, 0x18, expected, 0x00}));
            EXPECT_EQ(fresh.Settings().activeStage, expected);
        }
    }
}

TEST_F(VirtualMouseTest, ChangesMadeOnTheMouseAreReported) {
    mouse.SelectStage(3);
    mouse.SetRateCode(4);
    mouse.SetLightingMode(5);
    mouse.SetBattery(3, 0);
    mouse.SetBatteryStep(7);
    mouse.SwitchProfile(2);
    EXPECT_EQ(Drain(), (std::vector<InputReport>{{0x11, 0x11, 0x18, 0x03, 0x00},
                                                 {0x11, 0x11, 0x28, 0x04, 0x00},
                                                 {0x11, 0x11, 0x78, 0x50, 0x00},
                                                 {0x11, 0x11, 0x48, 0x03, 0x00},
                                                 {0x11, 0x11, 0x68, 0x07, 0x00},
                                                 {0x11, 0x11, 0x88, 0x02, 0x00}}));
    EXPECT_EQ(mouse.Settings().activeStage, 3);
}

}  // namespace
}  // namespace ms1::sim
