#include "protocol/ReportSender.h"

#include <gtest/gtest.h>

#include "protocol/Reports.h"
#include "tests/support/ProtocolFakes.h"

namespace ms1 {
namespace {

using test::Hex;

struct SenderFixture : ::testing::Test {
    LinkFlags flags;
    test::FakePacer pacer;
    test::RecordingLink wired, wireless, ble;
    ReportSender sender{flags, pacer, &wired, &wireless, &ble};
    std::unique_ptr<ProfileRecord> profile = test::DefaultProfile();

    MacroPageReport Page() {
        test::SetMacro(profile->button[0], std::vector<MacroAction>(40, test::Action(4, 1, 10)));
        return EncodeMacroPage(profile->button[0], 0, 1).bytes;
    }
};

TEST_F(SenderFixture, WirelessRepeatsUntilTheMouseAcknowledges) {
    flags.wirelessConnected = true;
    auto report = EncodeLightingReport(*profile);
    // The acknowledgement arrives during the pause after the second attempt.
    pacer.onPause = [&](int n) {
        if (n == 2)
            sender.ackReceived() = 1;
    };
    SendOutcome outcome = sender.SendReport(report.data(), report.size());
    EXPECT_TRUE(outcome.confirmed);
    EXPECT_EQ(outcome.attempts, 2);
    EXPECT_EQ(wireless.sent.size(), 2u);
    EXPECT_EQ(pacer.pauses, (std::vector<int>{500, 500}));
    EXPECT_TRUE(wired.sent.empty());
    EXPECT_EQ(wireless.sent[0].size(), 60u);
}

TEST_F(SenderFixture, WirelessWithoutAcknowledgementFailsAfterTenAttempts) {
    flags.wirelessConnected = true;
    sender.ackReceived() = 1;  // a stale acknowledgement is cleared first
    auto report = EncodeDpiReport(*profile);
    SendOutcome outcome = sender.SendReport(report.data(), report.size());
    EXPECT_FALSE(outcome.confirmed);
    EXPECT_EQ(outcome.attempts, 10);
    EXPECT_EQ(wireless.sent.size(), 10u);
    EXPECT_EQ(pacer.pauses, std::vector<int>(10, 500));

    // An acknowledgement during the very last pause still confirms the report.
    wireless.sent.clear();
    pacer.onPause = [&](int n) {
        if (n == 20)
            sender.ackReceived() = 1;
    };
    EXPECT_TRUE(sender.SendReport(report.data(), report.size()).confirmed);
}

// The receiver is pulled out (the link clears its flag) while a report waits for its
// acknowledgement: the attempts end there, rather than going on into a receiver that is gone.
TEST_F(SenderFixture, WirelessStopsRepeatingWhenTheReceiverIsPulledOut) {
    auto lighting = EncodeLightingReport(*profile);
    auto page = Page();
    const struct {
        const char* name;
        std::uint8_t* bytes;
        std::size_t size;
        int pulledInPause;
        int attempts;
        std::size_t sent;
        std::vector<int> pauses;
    } cases[] = {
        {"report, pulled after the first send", lighting.data(), lighting.size(), 1, 1, 1, {500}},
        {"report, pulled after the third send",
         lighting.data(),
         lighting.size(),
         3,
         3,
         3,
         {500, 500, 500}},
        {"macro page, pulled after its first packet", page.data(), page.size(), 1, 1, 1, {1000}},
        {"macro page, pulled in its second pass",
         page.data(),
         page.size(),
         5,
         2,
         5,
         {1000, 1000, 1000, 1000, 1000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        flags.wirelessConnected = true;
        wireless.sent.clear();
        pacer.pauses.clear();
        int pauses = 0;
        pacer.onPause = [&](int) {
            if (++pauses == c.pulledInPause)
                flags.wirelessConnected = false;
        };
        const SendOutcome outcome = sender.SendReport(c.bytes, c.size);
        EXPECT_FALSE(outcome.confirmed);
        EXPECT_EQ(outcome.link, SentOver::Wireless);
        EXPECT_EQ(outcome.attempts, c.attempts);
        EXPECT_EQ(wireless.sent.size(), c.sent);
        EXPECT_EQ(pacer.pauses, c.pauses);
    }
}

TEST_F(SenderFixture, MacroPageTravelsInThreePacketsOnTheReceiver) {
    flags.wirelessConnected = true;
    auto page = Page();
    wireless.onSend = [&] {
        if (wireless.sent.size() == 3)
            sender.ackReceived() = 1;
    };
    SendOutcome outcome = sender.SendReport(page.data(), page.size());
    EXPECT_TRUE(outcome.confirmed);
    EXPECT_EQ(outcome.attempts, 1);  // one pass of three packets
    ASSERT_EQ(wireless.sent.size(), 3u);
    EXPECT_EQ(pacer.pauses, (std::vector<int>{1000, 1000, 1000}));
    for (const auto& packet : wireless.sent)
        EXPECT_EQ(packet.size(), 64u);
    // Header of each packet, then data bytes 60 * index from report byte 3 on.
    EXPECT_EQ(Hex(wireless.sent[0], 0, 10), "19 40 01 00 00 00 00 00 01 28");
    EXPECT_EQ(Hex(wireless.sent[1], 0, 6), "19 40 01 01 0a 04");  // data byte 60 = report 63
    EXPECT_EQ(Hex(wireless.sent[2], 0, 4), "19 0c 01 02");
    EXPECT_EQ(Hex(wireless.sent[2], 4, 8), Hex(page, 123, 8));
    EXPECT_EQ(Hex(wireless.sent[2], 12, 3), "00 00 00");
}

TEST_F(SenderFixture, WiredSendsOnceAndPausesOnlyAfterGoodPackets) {
    flags.wiredConnected = WiredState::kUp;
    flags.wirelessConnected = true;  // wired goes first
    auto report = EncodePollingReport(*profile);
    SendOutcome outcome = sender.SendReport(report.data(), report.size());
    EXPECT_TRUE(outcome.confirmed);
    EXPECT_EQ(outcome.link, SentOver::Wired);
    EXPECT_EQ(pacer.pauses, (std::vector<int>{200}));
    EXPECT_TRUE(wireless.sent.empty());

    pacer.pauses.clear();
    wired.sent.clear();
    auto page = Page();
    int call = 0;
    wired.onSend = [&] { wired.result = ++call == 2 ? 0 : 1; };
    outcome = sender.SendReport(page.data(), page.size());
    ASSERT_EQ(wired.sent.size(), 3u);
    EXPECT_EQ(Hex(wired.sent[2], 0, 4), "19 40 01 02");  // only the receiver marks the last
    EXPECT_EQ(pacer.pauses, (std::vector<int>{200, 200}));
    EXPECT_TRUE(outcome.confirmed);  // the third call's result

    wired.result = 0;
    wired.onSend = nullptr;
    EXPECT_FALSE(sender.SendReport(report.data(), report.size()).confirmed);
}

TEST_F(SenderFixture, BluetoothWritesWholeReportsAndSkipsThePollingRate) {
    flags.bleConnected = true;
    auto polling = EncodePollingReport(*profile);
    SendOutcome skipped = sender.SendReport(polling.data(), polling.size());
    EXPECT_TRUE(skipped.skipped);
    EXPECT_TRUE(ble.sent.empty());
    EXPECT_TRUE(pacer.pauses.empty());

    auto page = Page();
    SendOutcome outcome = sender.SendReport(page.data(), page.size());
    EXPECT_TRUE(outcome.confirmed);
    ASSERT_EQ(ble.sent.size(), 1u);
    EXPECT_EQ(ble.sent[0].size(), 131u);
    EXPECT_EQ(pacer.pauses, (std::vector<int>{500}));
}

TEST_F(SenderFixture, NoLinkSendsNothing) {
    auto report = EncodePollingReport(*profile);
    SendOutcome outcome = sender.SendReport(report.data(), report.size());
    EXPECT_FALSE(outcome.confirmed);
    EXPECT_EQ(outcome.link, SentOver::None);
    flags.wiredConnected = WiredState::kRemoved;  // after a removal: not connected
    EXPECT_EQ(sender.SendReport(report.data(), report.size()).link, SentOver::None);
    EXPECT_TRUE(wired.sent.empty() && wireless.sent.empty() && ble.sent.empty());
}

// The mouse leaves in the middle of an apply over Bluetooth LE: what follows is not sent (no
// link, no attempt), but the polling rate is skipped as it would have been there.
TEST_F(SenderFixture, AfterTheBluetoothMouseLeftThePollingRateStaysSkipped) {
    flags.bleConnected = true;
    auto lighting = EncodeLightingReport(*profile);
    EXPECT_EQ(sender.SendReport(lighting.data(), lighting.size()).link, SentOver::Ble);
    flags.bleConnected = false;
    const SendOutcome gone = sender.SendReport(lighting.data(), lighting.size());
    EXPECT_EQ(gone.link, SentOver::None);
    EXPECT_FALSE(gone.confirmed);
    EXPECT_EQ(gone.attempts, 0);
    auto polling = EncodePollingReport(*profile);
    const SendOutcome skipped = sender.SendReport(polling.data(), polling.size());
    EXPECT_TRUE(skipped.skipped);
    EXPECT_EQ(skipped.link, SentOver::Ble);
    EXPECT_EQ(ble.sent.size(), 1u);
}

}  // namespace
}  // namespace ms1
