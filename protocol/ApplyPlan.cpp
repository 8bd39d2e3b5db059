#include "protocol/ApplyPlan.h"

#include <cstddef>
#include <cstring>

#include "protocol/Reports.h"

namespace ms1 {
namespace {

template <typename Field>
bool Differs(const Field& a, const Field& b) {
    return std::memcmp(&a, &b, sizeof(Field)) != 0;
}

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

ChangeSet ComputeChanges(const ProfileRecord& w, const ProfileRecord& s) {
    ChangeSet c;
    c.sensorChanged =
        Differs(w.activeStage, s.activeStage) || Differs(w.moveCloseLight, s.moveCloseLight) ||
        Differs(w.reserved2224, s.reserved2224) || Differs(w.reserved2232, s.reserved2232) ||
        Differs(w.liftOffDistance, s.liftOffDistance) ||
        Differs(w.rippleControl, s.rippleControl) || Differs(w.angleSnap, s.angleSnap) ||
        Differs(w.dpiValue, s.dpiValue) || Differs(w.dpiValueY, s.dpiValueY) ||
        Differs(w.stageEnabled, s.stageEnabled) || Differs(w.stageColor, s.stageColor);
    c.pollingChanged = Differs(w.pollingRate, s.pollingRate);
    c.lightingChanged =
        Differs(w.lightMode, s.lightMode) || Differs(w.reserved2384, s.reserved2384) ||
        Differs(w.breathSpeed, s.breathSpeed) || Differs(w.brightness, s.brightness) ||
        Differs(w.keyDebounce, s.keyDebounce) || Differs(w.lightColor, s.lightColor) ||
        Differs(w.sleepTimer, s.sleepTimer) || Differs(w.lightOffTimer, s.lightOffTimer);
    c.buttonsChanged = Differs(w.button, s.button);
    for (int k = 0; k < kPageButtons; ++k) {
        const ButtonEntry& a = w.button[k];
        const ButtonEntry& b = s.button[k];
        c.macroChanged[k] =
            Differs(a.macroMode, b.macroMode) || Differs(a.macroRepeat, b.macroRepeat) ||
            Differs(a.reserved1084, b.reserved1084) || Differs(a.macroActions, b.macroActions);
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
