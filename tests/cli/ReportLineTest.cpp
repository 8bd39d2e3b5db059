#include "cli/DeviceCommands.h"

#include <gtest/gtest.h>

namespace ms1::cli {
namespace {

SentReport Sent(std::uint8_t command, bool confirmed, int attempts, bool skipped = false) {
    SentReport sent{command, ReportGroup::Lighting, -1, {}};
    sent.outcome.confirmed = confirmed;
    sent.outcome.attempts = attempts;
    sent.outcome.skipped = skipped;
    return sent;
}

TEST(ReportLine, CommandInLowercaseHexThenTheOutcome) {
    EXPECT_EQ(ReportLine(Sent(0x15, true, 1)), "0x15 confirmed after 1 attempt(s)");
    EXPECT_EQ(ReportLine(Sent(0x1C, false, 10)), "0x1c not confirmed after 10 attempt(s)");
    EXPECT_EQ(ReportLine(Sent(0x19, true, 3)), "0x19 confirmed after 3 attempt(s)");
    // The link was gone before the report could be handed over.
    EXPECT_EQ(ReportLine(Sent(0x14, false, 0)), "0x14 not confirmed after 0 attempt(s)");
    EXPECT_EQ(ReportLine(Sent(0x16, false, 0, true)), "0x16 skipped: the link has no use for it");
}

}  // namespace
}  // namespace ms1::cli
