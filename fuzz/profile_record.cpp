// One profile record as a .pro file (or a record of pro.data) holds it, through what the
// program does with a record: the import check, the reports of an apply, the comparison with
// the snapshot and the restore of unconfirmed groups, and the copies of its macros.
#include <cstring>
#include <span>

#include "core/ProfileRecord.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/MouseAnswer.h"
#include "protocol/ApplyPlan.h"
#include "protocol/Reports.h"

namespace ms1::fuzz {
namespace {

constexpr ReportGroup kGroups[] = {ReportGroup::Sensor, ReportGroup::Lighting, ReportGroup::Polling,
                                   ReportGroup::Buttons};

// Every report of an apply is one the mouse can read: right length and checksum. The DPI
// report carries the active stage, which the mouse takes only as 1..8.
void CheckReportsReachTheMouse(const std::vector<PlannedReport>& reports) {
    MouseAnswer mouse;
    for (const PlannedReport& report : reports) {
        const std::size_t expected =
            report.group == ReportGroup::Macro ? kMacroPageSize : kConfigReportSize;
        MS1_FUZZ_CHECK(report.bytes.size() == expected);
        const std::uint8_t status = mouse.StatusOf(report.bytes);
        const bool stageRefused = report.group == ReportGroup::Sensor &&
                                  (report.bytes[24] < 1 || report.bytes[24] > kDpiStages);
        MS1_FUZZ_CHECK(status == (stageRefused ? sim::kAckBadValue : sim::kAckOk));
    }
}

// A macro goes in consecutive pages from its button's start page, at most 200 actions of at
// most 8 bytes in pages of 118.
void CheckMacroPages(const std::vector<PlannedReport>& reports) {
    int lastButton = -1;
    int expectedPage = 0;
    int pages = 0;
    for (const PlannedReport& report : reports) {
        if (report.group != ReportGroup::Macro)
            continue;
        MS1_FUZZ_CHECK(report.button >= 0 && report.button < kPageButtons);
        if (report.button != lastButton) {
            lastButton = report.button;
            expectedPage = kMacroStartPage[static_cast<std::size_t>(report.button)];
            pages = 0;
        }
        MS1_FUZZ_CHECK(report.bytes[2] == static_cast<std::uint8_t>(expectedPage));
        ++expectedPage;
        MS1_FUZZ_CHECK(++pages <= 16);
    }
}

}  // namespace
}  // namespace ms1::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ms1;
    using namespace ms1::fuzz;
    const std::span<const std::uint8_t> bytes(data, size);
    if (CheckProfileBytes(bytes))
        return 0;

    // What is taken is only the first record, byte for byte, and it is one the program can
    // hold: a terminated name and at most 200 actions in every button's macro copy.
    MS1_FUZZ_CHECK(size >= sizeof(ProfileRecord));
    auto profile = ProfileFromBytes(bytes);
    MS1_FUZZ_CHECK(std::memcmp(profile.get(), data, sizeof(ProfileRecord)) == 0);
    MS1_FUZZ_CHECK(profile->profileName.terminated());
    MS1_FUZZ_CHECK(profile->profileName.get().size() <= kProfileNameMaxChars);
    for (int k = 0; k < kButtonEntries; ++k) {
        const MacroRecord macro = MacroFromButton(profile->button[k]);
        MS1_FUZZ_CHECK(IsValidMacro(macro));
        MS1_FUZZ_CHECK(macro.name.get().size() <= kMacroNameMaxChars);
    }

    // A full apply, and the apply against the program's default profile.
    const auto full = ListApplyReports(*profile, nullptr);
    MS1_FUZZ_CHECK(!full.empty() && full.front().group == ReportGroup::Preamble);
    CheckReportsReachTheMouse(full);
    CheckMacroPages(full);
    auto defaults = MakeZeroedProfile();
    ResetProfileToDefaults(*defaults);
    const auto changes = ListApplyReports(*profile, defaults.get());
    CheckReportsReachTheMouse(changes);
    CheckMacroPages(changes);

    // A record equals itself, and copying every group over a snapshot leaves nothing to send:
    // the comparison and the restore of unconfirmed groups look at the same fields.
    MS1_FUZZ_CHECK(ComputeChanges(*profile, *profile) == ChangeSet{});
    for (ReportGroup group : kGroups)
        CopyGroup(*defaults, *profile, group, -1);
    for (int k = 0; k < kPageButtons; ++k)
        CopyGroup(*defaults, *profile, ReportGroup::Macro, k);
    MS1_FUZZ_CHECK(ComputeChanges(*profile, *defaults) == ChangeSet{});

    // Against an empty macro list every macro button of the first twelve goes back to its
    // default function, and nothing else of the record changes.
    ProfileList list;
    list.push_back(ProfileFromBytes(bytes));
    ResyncMacroButtons(list, {}, list.front().get());
    for (int k = 0; k < 12; ++k) {
        const ButtonEntry& entry = list.front()->button[k];
        MS1_FUZZ_CHECK(entry.function != kFunctionMacro && entry.macroName.get().empty());
    }
    MS1_FUZZ_CHECK(std::memcmp(list.front().get(), data, offsetof(ProfileRecord, button)) == 0);
    return 0;
}
