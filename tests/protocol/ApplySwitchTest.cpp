// Applies of a profile the program switched to by itself: cut short when another switch
// follows, and only the groups that differ from what the mouse confirmed.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "ports/WindowMessages.h"
#include "protocol/ApplyEngine.h"
#include "tests/support/ProtocolFakes.h"
#include "tests/support/RecordingApplyView.h"

namespace ms1 {
namespace {

struct SwitchFixture : ::testing::Test {
    LinkFlags flags;
    test::FakePacer pacer;
    test::RecordingLink link;
    test::FakeWindow window;
    test::FakeProfiles profiles;
    test::RecordingApplyView view;
    ReportSender sender{flags, pacer, &link, &link, &link};
    ApplyEngine engine{profiles, sender, flags, pacer, window, view};
    // Runs while the report of that command is on its way (after the mouse confirmed it).
    std::map<std::uint8_t, std::function<void()>> during;

    SwitchFixture() {
        flags.wirelessConnected = true;
        link.onSend = [this] {
            sender.ackReceived() = 1;
            const auto it = during.find(link.sent.back()[0]);
            if (it != during.end())
                it->second();
        };
    }

    std::vector<std::string> Sent() {
        std::vector<std::string> names;
        for (const auto& r : link.sent)
            names.push_back(test::Hex(r, 0, 1));
        link.sent.clear();
        return names;
    }
};

// Two profiles that differ only in their DPI stages: one sensor report and its pause.
TEST_F(SwitchFixture, ADpiOnlyDifferenceGoesAsOneSensorReport) {
    std::swap(profiles.working->dpiValue[0], profiles.working->dpiValue[1]);
    std::swap(profiles.working->dpiValueY[0], profiles.working->dpiValueY[1]);
    const ApplyResult result = engine.OnApplyRequest();
    ASSERT_EQ(link.sent.size(), 1u);
    // The default sensor report with the codes of stages 1 and 2 (16 and 32) exchanged; the
    // checksum, a sum, stays 0f 8e.
    EXPECT_EQ(test::Hex(link.sent[0]),
              "14 3c 01 01 01 3f 20 20 20 10 30 40 64 d2 00 00 00 00 00 00 00 01 00 00 02 "
              "ff 00 00 00 ff 00 00 00 ff ff 00 ff ff ff 00 00 ff ff ff 40 00 ff ff ff 01 0f 8e "
              "00 00 00 00 00 00 00 00");
    EXPECT_EQ(pacer.pauses, (std::vector<int>{500}));
    EXPECT_TRUE(result.AllConfirmed());
    EXPECT_TRUE(profiles.SnapshotEqualsWorking());
}

struct CutRow {
    const char* what;
    bool full;                          // the cut apply was a full one
    std::vector<std::string> firstRun;  // what the cut apply sent
    std::vector<std::string> nextRun;   // what the next apply sends for the new profile
};

// An apply cut short ends after the report on its way; the next apply starts from what the
// mouse confirmed: the report that went counts, the groups never sent stay as they were.
TEST_F(SwitchFixture, ACutApplyEndsAfterItsReportAndTheNextStartsFromWhatWasConfirmed) {
    const CutRow rows[] = {
        // Lighting went; polling and buttons never did and are what the mouse holds, so the
        // next profile (with the old polling rate, new buttons) sends the buttons alone.
        {"diff apply", false, {"15"}, {"18"}},
        // A full apply cut short: what it never sent may differ from the old snapshot on the
        // mouse (it was a full apply for a reason), so it all goes next time.
        {"full apply", true, {"1c", "14"}, {"15", "16", "18"}},
    };
    for (const CutRow& row : rows) {
        SCOPED_TRACE(row.what);
        profiles.working = test::DefaultProfile();
        profiles.snapshot = test::DefaultProfile();
        profiles.fullApplyPending = row.full;
        link.sent.clear();
        pacer.pauses.clear();
        profiles.working->brightness = 2;           // 0x15
        profiles.working->pollingRate = 1;          // 0x16
        profiles.working->button[0].function += 1;  // 0x18
        const std::uint8_t cutDuring = row.full ? 0x14 : 0x15;
        during[cutDuring] = [&] {
            // The next profile becomes the working one while that report is on its way.
            auto lock = profiles.Lock();
            profiles.working->pollingRate = profiles.snapshot->pollingRate;
            engine.CutShort();
        };
        engine.OnApplyRequest();
        during.clear();
        EXPECT_EQ(Sent(), row.firstRun);
        EXPECT_EQ(profiles.snapshot->button[0].function, test::DefaultProfile()->button[0].function)
            << "a group never sent keeps its old bytes";

        engine.OnApplyRequest();
        EXPECT_EQ(Sent(), row.nextRun);
        EXPECT_TRUE(profiles.SnapshotEqualsWorking());
    }
}

// A macro cut short between its pages is neither what the mouse held nor the new one: it goes
// again whole, even when the next profile has the old macro back.
TEST_F(SwitchFixture, AMacroCutBetweenItsPagesIsSentAgainWhole) {
    std::vector<MacroAction> before(60, test::Action(0x04, 1, 10));
    std::vector<MacroAction> after(60, test::Action(0x05, 1, 10));
    test::SetMacro(profiles.snapshot->button[2], before);
    test::SetMacro(profiles.working->button[2], after);
    during[0x19] = [&] {
        auto lock = profiles.Lock();
        test::SetMacro(profiles.working->button[2], before);
        engine.CutShort();
    };
    engine.OnApplyRequest();
    during.clear();
    // The button map, then the first page (in three packets) of several.
    EXPECT_EQ(Sent(), (std::vector<std::string>{"18", "19", "19", "19"}));

    engine.OnApplyRequest();
    const std::vector<std::string> again = Sent();
    // The button map went and was confirmed; every page of the old macro goes again.
    EXPECT_GE(again.size(), 6u);
    EXPECT_EQ(std::count(again.begin(), again.end(), "19"), std::ssize(again));
    EXPECT_TRUE(profiles.SnapshotEqualsWorking());
}

TEST_F(SwitchFixture, ACutAskedForBeforeAnApplyBeginsDoesNotTouchIt) {
    profiles.working->brightness = 2;
    profiles.working->pollingRate = 1;
    engine.CutShort();  // meant for an apply that ended already
    engine.OnApplyRequest();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"15", "16"}));
}

// A profile chosen in the list while an apply runs asks for a full apply: the apply under
// way must not take that request away when it ends.
TEST_F(SwitchFixture, AFullApplyAskedForDuringAnApplyIsTheNextOnes) {
    profiles.working->brightness = 2;
    during[0x15] = [&] {
        auto lock = profiles.Lock();
        profiles.fullApplyPending = true;
    };
    engine.OnApplyRequest();
    during.clear();
    EXPECT_TRUE(profiles.fullApplyPending);
    Sent();
    engine.OnApplyRequest();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"1c", "14", "15", "16", "18"}));
    EXPECT_FALSE(profiles.fullApplyPending);
}

}  // namespace
}  // namespace ms1
