#include "protocol/ApplyPlan.h"

#include <cstddef>
#include <cstring>

#include "protocol/Reports.h"

namespace ms1 {
namespace {

template <std::size_t N>
std::vector<std::uint8_t> ToBytes(const std::array<std::uint8_t, N>& report) {
    return {report.begin(), report.end()};
}

}  // namespace

ChangeSet ChangeSet::All() {
    ChangeSet all;
    all.sensorChanged = all.pollingChanged = all.lightingChanged = all.buttonsChanged = true;
    all.macroChanged.fill(true);
    return all;
}

ChangeSet& ChangeSet::operator|=(const ChangeSet& other) {
    sensorChanged |= other.sensorChanged;
    pollingChanged |= other.pollingChanged;
    lightingChanged |= other.lightingChanged;
    buttonsChanged |= other.buttonsChanged;
    for (std::size_t k = 0; k < macroChanged.size(); ++k)
        macroChanged[k] = macroChanged[k] || other.macroChanged[k];
    return *this;
}

void ChangeSet::Mark(ReportGroup group, int button) {
    switch (group) {
        case ReportGroup::Sensor:
            sensorChanged = true;
            break;
        case ReportGroup::Lighting:
            lightingChanged = true;
            break;
        case ReportGroup::Polling:
            pollingChanged = true;
            break;
        case ReportGroup::Buttons:
            buttonsChanged = true;
            break;
        case ReportGroup::Macro:
            if (button >= 0 && button < kPageButtons)
                macroChanged[static_cast<std::size_t>(button)] = true;
            break;
        case ReportGroup::Preamble:
            break;  // goes with full applies only
    }
}

namespace {

#define MS1_FIELD(record, field)                       \
    GroupField {                                       \
        offsetof(record, field), sizeof(record::field) \
    }

// The fields behind each report: what the comparison looks at and what a failed report keeps
// of the old snapshot. One list, so the two can never disagree.
constexpr GroupField kSensorFields[] = {
    MS1_FIELD(ProfileRecord, activeStage),     MS1_FIELD(ProfileRecord, moveCloseLight),
    MS1_FIELD(ProfileRecord, reserved2224),    MS1_FIELD(ProfileRecord, reserved2232),
    MS1_FIELD(ProfileRecord, liftOffDistance), MS1_FIELD(ProfileRecord, rippleControl),
    MS1_FIELD(ProfileRecord, angleSnap),       MS1_FIELD(ProfileRecord, dpiValue),
    MS1_FIELD(ProfileRecord, dpiValueY),       MS1_FIELD(ProfileRecord, stageEnabled),
    MS1_FIELD(ProfileRecord, stageColor)};
constexpr GroupField kPollingFields[] = {MS1_FIELD(ProfileRecord, pollingRate)};
constexpr GroupField kLightingFields[] = {
    MS1_FIELD(ProfileRecord, lightMode),   MS1_FIELD(ProfileRecord, reserved2384),
    MS1_FIELD(ProfileRecord, breathSpeed), MS1_FIELD(ProfileRecord, brightness),
    MS1_FIELD(ProfileRecord, keyDebounce), MS1_FIELD(ProfileRecord, lightColor),
    MS1_FIELD(ProfileRecord, sleepTimer),  MS1_FIELD(ProfileRecord, lightOffTimer)};
constexpr GroupField kButtonFields[] = {MS1_FIELD(ProfileRecord, button)};
// Relative to the button's entry.
constexpr GroupField kMacroFields[] = {
    MS1_FIELD(ButtonEntry, macroMode), MS1_FIELD(ButtonEntry, macroRepeat),
    MS1_FIELD(ButtonEntry, reserved1084), MS1_FIELD(ButtonEntry, macroActions)};

#undef MS1_FIELD

std::size_t EntryOffset(int button) {
    return offsetof(ProfileRecord, button) + sizeof(ButtonEntry) * static_cast<std::size_t>(button);
}

const std::uint8_t* Raw(const ProfileRecord& p) {
    return reinterpret_cast<const std::uint8_t*>(&p);
}

bool GroupDiffers(const ProfileRecord& a, const ProfileRecord& b, ReportGroup group, int button) {
    const std::size_t base = group == ReportGroup::Macro ? EntryOffset(button) : 0;
    for (const GroupField& field : GroupFields(group)) {
        if (std::memcmp(Raw(a) + base + field.offset, Raw(b) + base + field.offset, field.size)) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::span<const GroupField> GroupFields(ReportGroup group) {
    switch (group) {
        case ReportGroup::Sensor:
            return kSensorFields;
        case ReportGroup::Polling:
            return kPollingFields;
        case ReportGroup::Lighting:
            return kLightingFields;
        case ReportGroup::Buttons:
            return kButtonFields;
        case ReportGroup::Macro:
            return kMacroFields;
        case ReportGroup::Preamble:
            break;
    }
    return {};
}

void CopyGroup(ProfileRecord& to, const ProfileRecord& from, ReportGroup group, int button) {
    if (group == ReportGroup::Macro && (button < 0 || button >= kPageButtons))
        return;
    const std::size_t base = group == ReportGroup::Macro ? EntryOffset(button) : 0;
    auto* target = reinterpret_cast<std::uint8_t*>(&to);
    for (const GroupField& field : GroupFields(group)) {
        std::memcpy(target + base + field.offset, Raw(from) + base + field.offset, field.size);
    }
}

ChangeSet ComputeChanges(const ProfileRecord& w, const ProfileRecord& s) {
    ChangeSet c;
    c.sensorChanged = GroupDiffers(w, s, ReportGroup::Sensor, -1);
    c.pollingChanged = GroupDiffers(w, s, ReportGroup::Polling, -1);
    c.lightingChanged = GroupDiffers(w, s, ReportGroup::Lighting, -1);
    c.buttonsChanged = GroupDiffers(w, s, ReportGroup::Buttons, -1);
    for (int k = 0; k < kPageButtons; ++k) {
        c.macroChanged[k] = GroupDiffers(w, s, ReportGroup::Macro, k);
    }
    return c;
}

std::vector<PlannedReport> PlanApplyReports(const ProfileRecord& profile, const ChangeSet& changes,
                                            bool full) {
    std::vector<PlannedReport> reports;
    if (full)
        reports.push_back({ReportGroup::Preamble, -1, ToBytes(EncodePreamble())});
    if (changes.sensorChanged) {
        reports.push_back({ReportGroup::Sensor, -1, ToBytes(EncodeDpiReport(profile))});
    }
    if (changes.lightingChanged) {
        reports.push_back({ReportGroup::Lighting, -1, ToBytes(EncodeLightingReport(profile))});
    }
    if (changes.pollingChanged) {
        reports.push_back({ReportGroup::Polling, -1, ToBytes(EncodePollingReport(profile))});
    }
    if (changes.buttonsChanged) {
        reports.push_back({ReportGroup::Buttons, -1, ToBytes(EncodeButtonReport(profile))});
    }
    for (int k = 0; k < kPageButtons; ++k) {
        if (profile.button[k].function != kFunctionMacro || !changes.macroChanged[k])
            continue;
        for (const auto& page : EncodeMacroPages(profile.button[k], kMacroStartPage[k])) {
            reports.push_back({ReportGroup::Macro, k, ToBytes(page)});
        }
    }
    return reports;
}

std::vector<PlannedReport> ListApplyReports(const ProfileRecord& profile,
                                            const ProfileRecord* snapshot) {
    if (snapshot == nullptr)
        return PlanApplyReports(profile, ChangeSet::All(), true);
    return PlanApplyReports(profile, ComputeChanges(profile, *snapshot), false);
}

}  // namespace ms1
