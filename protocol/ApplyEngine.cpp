#include "protocol/ApplyEngine.h"

#include <cstring>

#include "platform/WindowMessages.h"
#include "protocol/Reports.h"

namespace ms1 {
namespace {

constexpr int kWatchdogMs = 6000;

}  // namespace

bool ApplyResult::AllConfirmed() const {
    for (const auto& report : reports) {
        if (!report.outcome.confirmed && !report.outcome.skipped)
            return false;
    }
    return true;
}

ApplyEngine::ApplyEngine(ProfileState& state, ReportSender& sender, LinkFlags& flags, Pacer& pacer,
                         WindowTimers& timers, ApplyView& view)
    : state_(state), sender_(sender), flags_(flags), pacer_(pacer), timers_(timers), view_(view) {}

ApplyResult ApplyEngine::OnApplyRequest() {
    if (flags_.wiredConnected.load() == 1 || flags_.wirelessConnected.load() == 1 ||
        flags_.bleConnected.load() == 1) {
        return Apply();
    }
    // No mouse: the edits are kept on disk all the same; the snapshot stays, so the first
    // apply with a link sends them.
    ApplyResult result;
    auto lock = state_.Lock();
    result.stored = state_.SaveProfiles();
    return result;
}

ApplyResult ApplyEngine::Apply() {
    ApplyResult result;
    result.ran = true;

    auto copy = MakeZeroedProfile();
    bool full = false;
    ChangeSet changes;
    {
        auto lock = state_.Lock();
        timers_.KillTimer(TIMER_WIRELESS_WATCHDOG);
        view_.ShowApplyRing(true);
        std::memcpy(copy.get(), &state_.Working(), sizeof(ProfileRecord));
        full = state_.FullApplyPending();
        changes = full ? ChangeSet::All() : ComputeChanges(*copy, state_.Snapshot());
    }

    // The reports and their pauses run without the lock: the window goes on editing the
    // working profile, and the next apply finds what changed meanwhile.
    for (const PlannedReport& planned : PlanApplyReports(*copy, changes, full)) {
        SendOutcome outcome = sender_.SendReport(planned.bytes.data(), planned.bytes.size());
        if (planned.group == ReportGroup::Macro)
            pacer_.Pause(std::chrono::milliseconds(500));
        SentReport sent{planned.bytes[0], planned.group, planned.button, outcome};
        result.reports.push_back(sent);
        if (listener_)
            listener_(sent);
    }

    {
        auto lock = state_.Lock();
        // A group the mouse did not confirm keeps its old snapshot bytes, so that the next
        // apply sends it again.
        auto snapshot = MakeZeroedProfile();
        std::memcpy(snapshot.get(), copy.get(), sizeof(ProfileRecord));
        for (const SentReport& sent : result.reports) {
            if (!sent.outcome.confirmed && !sent.outcome.skipped) {
                CopyGroup(*snapshot, state_.Snapshot(), sent.group, sent.button);
            }
        }
        // A full apply the mouse did not wholly confirm is sent whole again next time.
        state_.FullApplyPending() = full && !result.AllConfirmed();
        timers_.StartTimer(TIMER_WIRELESS_WATCHDOG, kWatchdogMs);
        result.stored = state_.SaveProfiles();
        std::memcpy(&state_.Snapshot(), snapshot.get(), sizeof(ProfileRecord));
        view_.ShowApplyRing(false);
        view_.ApplyFinished(result.AllConfirmed());
    }
    return result;
}

}  // namespace ms1
