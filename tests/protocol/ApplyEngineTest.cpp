#include "protocol/ApplyEngine.h"

#include <gtest/gtest.h>

#include "ports/WindowMessages.h"
#include "tests/support/ProtocolFakes.h"
#include "tests/support/RecordingApplyView.h"

namespace ms1 {
namespace {

using test::RecordingApplyView;

struct ApplyFixture : ::testing::Test {
    LinkFlags flags;
    test::FakePacer pacer;
    test::RecordingLink link;
    test::FakeWindow window;
    test::FakeProfiles profiles;
    RecordingApplyView view;
    ReportSender sender{flags, pacer, &link, &link, &link};
    ApplyEngine engine{profiles, sender, flags, pacer, window, view};

    ApplyFixture() {
        // The mouse acknowledges every report at once.
        link.onSend = [this] { sender.ackReceived() = 1; };
    }

    std::vector<std::string> SentCommands() const {
        std::vector<std::string> names;
        for (const auto& r : link.sent)
            names.push_back(test::Hex(r, 0, 1));
        return names;
    }
};

TEST_F(ApplyFixture, OneSliderChangeSendsOneReportAndTakesTheSnapshot) {
    flags.wirelessConnected = true;
    profiles.working->breathSpeed = 3;
    window.running[TIMER_WIRELESS_WATCHDOG] = 6000;

    ApplyResult result = engine.OnApplyRequest();
    EXPECT_TRUE(result.ran);
    EXPECT_EQ(SentCommands(), (std::vector<std::string>{"15"}));
    ASSERT_EQ(result.reports.size(), 1u);
    EXPECT_EQ(result.reports[0].outcome.attempts, 1);
    EXPECT_EQ(pacer.pauses, (std::vector<int>{500}));
    EXPECT_TRUE(profiles.SnapshotEqualsWorking());
    EXPECT_EQ(profiles.saves, 2);  // as the apply begins and as it ends
    EXPECT_EQ(window.running[TIMER_WIRELESS_WATCHDOG], 6000);
    EXPECT_EQ(view.events, (std::vector<std::string>{"ring on", "ring off", "confirmed"}));

    // Nothing changed since: an apply sends nothing, and still stores.
    link.sent.clear();
    engine.OnApplyRequest();
    EXPECT_TRUE(link.sent.empty());
    EXPECT_EQ(profiles.saves, 4);
}

TEST_F(ApplyFixture, FullApplySendsEverythingInOrderWithPagePauses) {
    flags.wiredConnected = WiredState::kUp;
    profiles.fullApplyPending = true;
    test::SetMacro(profiles.working->button[1], {test::Action(4, 1, 10)});
    engine.OnApplyRequest();
    // Wired: macro pages go as three packets of 64 bytes.
    EXPECT_EQ(SentCommands(),
              (std::vector<std::string>{"1c", "14", "15", "16", "18", "19", "19", "19"}));
    EXPECT_EQ(pacer.pauses, (std::vector<int>{200, 200, 200, 200, 200, 200, 200, 200, 500}));
    EXPECT_FALSE(profiles.fullApplyPending);
    EXPECT_TRUE(profiles.SnapshotEqualsWorking());
}

TEST_F(ApplyFixture, UnconfirmedGroupsAreSentAgainByTheNextApply) {
    flags.wirelessConnected = true;
    link.onSend = nullptr;  // the mouse never answers
    profiles.working->brightness = 1;
    profiles.working->pollingRate = 0;

    // The polling rate is confirmed, the lighting report is not.
    link.onSend = [this] {
        if (link.sent.back()[0] == 0x16)
            sender.ackReceived() = 1;
    };
    ApplyResult result = engine.OnApplyRequest();
    EXPECT_FALSE(result.AllConfirmed());
    EXPECT_EQ(link.sent.size(), 11u);  // ten lighting attempts, one polling report
    EXPECT_EQ(view.events.back(), "not confirmed");
    EXPECT_EQ(profiles.snapshot->brightness, 8);  // the old bytes stay for the failed group
    EXPECT_EQ(profiles.snapshot->pollingRate, 0);
    EXPECT_EQ(profiles.saves, 2);

    link.sent.clear();
    link.onSend = [this] { sender.ackReceived() = 1; };
    result = engine.OnApplyRequest();
    EXPECT_TRUE(result.AllConfirmed());
    EXPECT_EQ(SentCommands(), (std::vector<std::string>{"15"}));
    EXPECT_TRUE(profiles.SnapshotEqualsWorking());
}

struct FullApplyFailure {
    std::uint8_t refused;  // the report the mouse does not confirm
    std::vector<std::string> sentAgain;
};

// After a full apply that was not wholly confirmed, the next apply sends only what failed;
// the preamble goes again only with the next full apply that is asked for.
TEST_F(ApplyFixture, AfterAnUnconfirmedFullApplyOnlyTheFailedGroupsGoAgain) {
    const FullApplyFailure rows[] = {
        {0x1C, {}},     {0x14, {"14"}},
        {0x15, {"15"}}, {0x16, {"16"}},
        {0x18, {"18"}}, {0x19, {"19", "19", "19"}},  // the one macro page, in three packets
    };
    for (const FullApplyFailure& row : rows) {
        SCOPED_TRACE(testing::Message() << "refused 0x" << std::hex << int(row.refused));
        flags.wirelessConnected = true;
        test::SetMacro(profiles.working->button[2], {test::Action(4, 1, 10)});
        profiles.fullApplyPending = true;
        link.sent.clear();
        link.onSend = [&] {
            if (link.sent.back()[0] != row.refused)
                sender.ackReceived() = 1;
        };
        EXPECT_FALSE(engine.OnApplyRequest().AllConfirmed());
        EXPECT_FALSE(profiles.fullApplyPending);

        link.sent.clear();
        link.onSend = [this] { sender.ackReceived() = 1; };
        EXPECT_TRUE(engine.OnApplyRequest().AllConfirmed());
        EXPECT_EQ(SentCommands(), row.sentAgain);

        link.sent.clear();
        engine.OnApplyRequest();
        EXPECT_TRUE(link.sent.empty()) << "confirmed groups are not sent again";
    }
}

// When the program ends during an apply, the report on its way is the last: no retries
// without their pauses, no further groups; the store is written and what was not sent stays
// unsent in the snapshot.
TEST_F(ApplyFixture, StoppingEndsTheApplyAfterTheCurrentReport) {
    flags.wirelessConnected = true;
    profiles.working->brightness = 2;   // 0x15
    profiles.working->pollingRate = 1;  // 0x16
    link.onSend = [this] {
        engine.Stop();
        pacer.interrupted = true;  // the mouse never answers; the pause is cut short
    };
    ApplyResult result = engine.OnApplyRequest();
    EXPECT_EQ(SentCommands(), (std::vector<std::string>{"15"}));
    ASSERT_EQ(result.reports.size(), 1u);
    EXPECT_EQ(result.reports[0].outcome.attempts, 1);
    EXPECT_FALSE(result.reports[0].outcome.confirmed);
    EXPECT_TRUE(result.stored);
    EXPECT_EQ(profiles.snapshot->brightness, 8);
    EXPECT_EQ(profiles.snapshot->pollingRate, 3);

    link.sent.clear();
    engine.OnApplyRequest();
    EXPECT_TRUE(link.sent.empty()) << "nothing is sent once the program ends";
}

TEST_F(ApplyFixture, RequestWithoutAMouseStillStoresTheEdits) {
    profiles.working->brightness = 2;
    ApplyResult result = engine.OnApplyRequest();
    EXPECT_FALSE(result.ran);
    EXPECT_TRUE(result.stored);
    EXPECT_EQ(profiles.saves, 1);
    EXPECT_TRUE(link.sent.empty());
    EXPECT_EQ(profiles.snapshot->brightness, 8);  // sent by the first apply with a link
    EXPECT_TRUE(view.events.empty());

    flags.wiredConnected = WiredState::kRemoved;  // a removed wired mouse is no link either
    EXPECT_FALSE(engine.OnApplyRequest().ran);

    flags.bleConnected = true;
    engine.OnApplyRequest();
    EXPECT_EQ(SentCommands(), (std::vector<std::string>{"15"}));
}

TEST_F(ApplyFixture, EditsDuringAnApplyAreLeftForTheNextOne) {
    flags.wirelessConnected = true;
    profiles.working->brightness = 2;
    // While the lighting report is on its way, the user moves another slider.
    link.onSend = [this] {
        profiles.working->keyDebounce = 9;
        profiles.working->pollingRate = 1;
        sender.ackReceived() = 1;
    };
    engine.OnApplyRequest();
    EXPECT_EQ(profiles.snapshot->brightness, 2);
    EXPECT_EQ(profiles.snapshot->keyDebounce, 4);
    EXPECT_EQ(test::Hex(link.sent[0], 3, 1), "70");

    link.sent.clear();
    link.onSend = [this] { sender.ackReceived() = 1; };
    engine.OnApplyRequest();
    EXPECT_EQ(SentCommands(), (std::vector<std::string>{"15", "16"}));
}

// An apply takes seconds of reports and pauses: the edit reaches the store before the first
// report goes, so a program killed mid-apply keeps it, and again at the end.
TEST_F(ApplyFixture, TheStoreIsWrittenBeforeTheFirstReportAndAfterTheLast) {
    flags.wirelessConnected = true;
    for (bool full : {false, true}) {
        SCOPED_TRACE(full ? "full apply" : "one group");
        link.sent.clear();
        profiles.fullApplyPending = full;
        profiles.working->dpiValue[1] = full ? 82 : 84;  // 4100 and 4200 DPI on stage 2
        std::vector<std::pair<std::size_t, int>> saved;  // reports sent so far, stage 2's step
        profiles.onSave = [&] {
            saved.emplace_back(link.sent.size(), profiles.working->dpiValue[1]);
        };
        engine.OnApplyRequest();
        const std::size_t sent = link.sent.size();
        EXPECT_EQ(sent, full ? 5u : 1u);
        const int step = full ? 82 : 84;
        EXPECT_EQ(saved, (std::vector<std::pair<std::size_t, int>>{{0, step}, {sent, step}}));
    }
}

// ms1ctl apply carried out by the running program: the file's profile goes whole, the
// page's own is left alone but goes whole next time, since the mouse now holds the file's.
TEST_F(ApplyFixture, ApplyingAnotherProfileLeavesThePagesForAFullApplyNextTime) {
    flags.wirelessConnected = true;
    test::FakeProfiles other;
    other.working->lightMode = 1;  // the mode that carries the brightness
    other.working->brightness = 1;
    std::vector<std::uint8_t> commands;
    ApplyResult result =
        engine.ApplyOther(other, [&](const SentReport& sent) { commands.push_back(sent.command); });
    EXPECT_TRUE(result.AllConfirmed());
    EXPECT_EQ(commands, (std::vector<std::uint8_t>{0x1C, 0x14, 0x15, 0x16, 0x18}));
    EXPECT_EQ(test::Hex(link.sent[2], 5, 1), "a1") << "the other profile's brightness";
    EXPECT_TRUE(profiles.fullApplyPending);
    EXPECT_EQ(profiles.saves, 0) << "the page's store is not the other's";
    EXPECT_TRUE(profiles.SnapshotEqualsWorking());

    flags.wirelessConnected = false;
    EXPECT_FALSE(engine.ApplyOther(other, nullptr).ran);
}

}  // namespace
}  // namespace ms1
