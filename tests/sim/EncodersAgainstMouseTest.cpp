#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/ProfileRecord.h"
#include "protocol/Reports.h"
#include "sim/ManualSimClock.h"
#include "sim/VirtualMouse.h"

namespace ms1::sim {
namespace {

// The program's encoders and the virtual mouse are written independently, from the two
// sides of the protocol: what one builds, the other must accept.
class EncodersAgainstMouseTest : public ::testing::Test {
  protected:
    std::vector<InputReport> Drain() {
        std::vector<InputReport> out;
        InputReport report{};
        while (mouse.TakeInputReport(report)) {
            out.push_back(report);
        }
        return out;
    }
    template <typename Report>
    void Send(const Report& report) {
        mouse.ReceiveFeatureReport(report.data(), report.size());
    }

    ManualSimClock clock;
    VirtualMouse mouse{clock};
};

const InputReport kAckOk{0x11, 0x11, 0x58, 0x00, 0x00};

TEST_F(EncodersAgainstMouseTest, DefaultProfileIsAcceptedWhole) {
    auto profile = MakeZeroedProfile();
    ResetProfileToDefaults(*profile);
    Send(EncodePreamble());
    Send(EncodeDpiReport(*profile));
    Send(EncodeLightingReport(*profile));
    Send(EncodePollingReport(*profile));
    Send(EncodeButtonReport(*profile));
    EXPECT_EQ(Drain(), std::vector<InputReport>(5, kAckOk));
    EXPECT_EQ(mouse.Settings().lightMode, 7);
    EXPECT_EQ(mouse.Settings().activeStage, 2);
    EXPECT_EQ(mouse.Settings().buttons[0], (std::array<std::uint8_t, 3>{0x02, 0x00, 0x00}));
}

TEST_F(EncodersAgainstMouseTest, MacroPagesSurviveTheirPacketsOnTheReceiver) {
    auto profile = MakeZeroedProfile();
    ResetProfileToDefaults(*profile);
    ButtonEntry& entry = profile->button[0];
    entry.macroMode = 1;
    entry.macroRepeat = 3;
    entry.macroActionCount = 61;
    for (int i = 0; i < 61; ++i) {
        entry.macroActions[i].key = static_cast<std::uint8_t>(0x04 + i % 26);
        entry.macroActions[i].direction = i % 2 == 0 ? kDirectionPress : kDirectionRelease;
        entry.macroActions[i].delay = static_cast<std::uint16_t>(i == 7 ? 250 : 10);
    }
    const auto pages = EncodeMacroPages(entry, 1);
    ASSERT_GE(pages.size(), 2u);
    for (const MacroPageReport& page : pages) {
        // Three 64-byte packets per page, the last marked with 4 + 8 bytes.
        for (int index = 0; index < 3; ++index) {
            std::array<std::uint8_t, 64> packet{};
            packet[0] = 0x19;
            packet[1] = index == 2 ? 0x0C : 0x40;
            packet[2] = page[2];
            packet[3] = static_cast<std::uint8_t>(index);
            const std::size_t from = 3 + 60 * static_cast<std::size_t>(index);
            const std::size_t count = std::min<std::size_t>(60, page.size() - from);
            std::copy_n(page.begin() + static_cast<std::ptrdiff_t>(from), count,
                        packet.begin() + 4);
            Send(packet);
        }
        EXPECT_EQ(Drain(), std::vector<InputReport>{kAckOk}) << "page " << int{page[2]};
        ASSERT_EQ(mouse.Settings().macroPages.count(page[2]), 1u);
        EXPECT_EQ(mouse.Settings().macroPages.at(page[2]), page);
    }
}

}  // namespace
}  // namespace ms1::sim
