#include "cli/DeviceCommands.h"

#include <gtest/gtest.h>

namespace ms1::cli {
namespace {

struct LineCase {
    std::uint8_t command;
    SentOver link;
    bool confirmed;
    int attempts;
    bool skipped;
    const char* line;
};

// The command in lowercase hex, then the outcome as the link knows it: attempts where the
// mouse acknowledges, the write's result where it does not.
TEST(ReportLine, CommandInLowercaseHexThenTheOutcome) {
    const LineCase cases[] = {
        {0x15, SentOver::Wireless, true, 1, false, "0x15 confirmed after 1 attempt(s)"},
        {0x1C, SentOver::Wireless, false, 10, false, "0x1c not confirmed after 10 attempt(s)"},
        {0x19, SentOver::Wireless, true, 3, false, "0x19 confirmed after 3 attempt(s)"},
        // The link was gone before the report could be handed over (the mouse left mid-apply).
        {0x14, SentOver::None, false, 0, false, "0x14 not sent"},
        {0x16, SentOver::None, false, 0, true, "0x16 skipped: the link has no use for it"},
        {0x15, SentOver::Wired, true, 1, false, "0x15 sent"},
        {0x15, SentOver::Wired, false, 1, false, "0x15 not sent"},
        {0x18, SentOver::Ble, true, 1, false, "0x18 sent"},
        {0x19, SentOver::Ble, false, 1, false, "0x19 not sent"},
        {0x16, SentOver::Ble, false, 0, true, "0x16 skipped (not sent over Bluetooth LE)"},
    };
    for (const LineCase& c : cases) {
        SentReport sent{c.command, ReportGroup::Lighting, -1, {}};
        sent.outcome.link = c.link;
        sent.outcome.confirmed = c.confirmed;
        sent.outcome.attempts = c.attempts;
        sent.outcome.skipped = c.skipped;
        EXPECT_EQ(ReportLine(sent), c.line);
    }
}

}  // namespace
}  // namespace ms1::cli
