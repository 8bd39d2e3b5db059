#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/ProfileRecord.h"

namespace ms1 {

// The groups a report belongs to, so that a caller can tell which groups went through.
enum class ReportGroup { Preamble, Sensor, Lighting, Polling, Buttons, Macro };

// Which report groups differ between the working profile and the last applied snapshot.
struct ChangeSet {
    bool sensorChanged = false;                     // report 0x14
    bool pollingChanged = false;                    // report 0x16
    bool lightingChanged = false;                   // report 0x15
    bool buttonsChanged = false;                    // report 0x18
    std::array<bool, kPageButtons> macroChanged{};  // pages 0x19 of button k

    static ChangeSet All();
    bool operator==(const ChangeSet&) const = default;
    ChangeSet& operator|=(const ChangeSet& other);
    // Marks the group of one report (a macro page marks its button).
    void Mark(ReportGroup group, int button);
};

ChangeSet ComputeChanges(const ProfileRecord& working, const ProfileRecord& snapshot);

// One field of a report group: bytes [offset, offset + size) of the record (of the button's
// entry, for macro pages).
struct GroupField {
    std::size_t offset;
    std::size_t size;
};
std::span<const GroupField> GroupFields(ReportGroup group);

// Copies the fields of one report group from `from` into `to`.
void CopyGroup(ProfileRecord& to, const ProfileRecord& from, ReportGroup group, int button);

struct PlannedReport {
    ReportGroup group;
    int button = -1;  // for macro pages: the button index 0..17
    std::vector<std::uint8_t> bytes;
};

// The reports of one apply of `profile`, in the order they are sent: the preamble when
// `full`, then 0x14, 0x15, 0x16, 0x18 for the changed groups, then the pages of every macro
// button whose macro changed, in button order.
std::vector<PlannedReport> PlanApplyReports(const ProfileRecord& profile, const ChangeSet& changes,
                                            bool full);

// A full apply when there is no snapshot, else the apply against it.
std::vector<PlannedReport> ListApplyReports(const ProfileRecord& profile,
                                            const ProfileRecord* snapshot);

}  // namespace ms1
