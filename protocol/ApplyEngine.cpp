#include "protocol/ApplyEngine.h"

#include <cstring>

#include "ports/WindowMessages.h"
#include "protocol/Reports.h"

namespace ms1 {
namespace {

constexpr int kWatchdogMs = 6000;

bool Holds(const ChangeSet& set, ReportGroup group, int button) {
    ChangeSet marked = set;
    marked.Mark(group, button);
    return marked == set;
}

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

bool ApplyEngine::LinkUp() const {
    return flags_.AnyLinkUp();
}

ApplyResult ApplyEngine::OnApplyRequest() {
    if (LinkUp())
        return Apply(state_, unconfirmed_, listener_);
    // No mouse: the edits are kept on disk all the same; the snapshot stays, so the first
    // apply with a link sends them.
    ApplyResult result;
    auto lock = state_.Lock();
    result.stored = state_.SaveProfiles();
    return result;
}

ApplyResult ApplyEngine::ApplyOther(ProfileState& other,
                                    const std::function<void(const SentReport&)>& listener) {
    if (!LinkUp())
        return {};
    {
        auto lock = other.Lock();
        other.FullApplyPending() = true;
    }
    ChangeSet unconfirmed;
    ApplyResult result = Apply(other, unconfirmed, listener);
    // The mouse no longer holds what the page's snapshot says it does.
    auto lock = state_.Lock();
    state_.FullApplyPending() = true;
    return result;
}

ApplyResult ApplyEngine::Apply(ProfileState& state, ChangeSet& unconfirmed,
                               const std::function<void(const SentReport&)>& listener) {
    ApplyResult result;
    result.ran = true;

    auto copy = MakeZeroedProfile();
    bool full = false;
    ChangeSet changes;
    {
        auto lock = state.Lock();
        timers_.KillTimer(TIMER_WIRELESS_WATCHDOG);
        view_.ShowApplyRing(true);
        std::memcpy(copy.get(), &state.Working(), sizeof(ProfileRecord));
        // A cut asked for before this copy was meant for an older profile.
        cut_.store(false);
        full = state.FullApplyPending();
        if (full) {
            changes = ChangeSet::All();
        } else {
            changes = ComputeChanges(*copy, state.Snapshot());
            changes |= unconfirmed;
        }
        // The edit is on disk before the first report goes: the reports and their pauses take
        // seconds, and a program killed meanwhile must not lose it.
        state.SaveProfiles();
    }

    // The reports and their pauses run without the lock: the window goes on editing the
    // working profile, and the next apply finds what changed meanwhile.
    const std::vector<PlannedReport> plan = PlanApplyReports(*copy, changes, full);
    std::vector<bool> taken(plan.size(), false);
    std::size_t sent = 0;
    for (; sent < plan.size() && !stopping_.load() && !cut_.load(); ++sent) {
        const std::size_t i = sent;
        const PlannedReport& planned = plan[i];
        SendOutcome outcome = sender_.SendReport(planned.bytes.data(), planned.bytes.size());
        if (planned.group == ReportGroup::Macro)
            pacer_.Pause(std::chrono::milliseconds(500));
        taken[i] = outcome.confirmed || outcome.skipped;
        SentReport report{planned.bytes[0], planned.group, planned.button, outcome};
        result.reports.push_back(report);
        if (listener)
            listener(report);
    }

    {
        auto lock = state.Lock();
        // A group the mouse did not confirm, or that was never sent because the program
        // ends or the apply was cut short, keeps its old snapshot bytes. One the mouse did
        // not confirm is sent again by the next apply whatever it holds; so is one never
        // sent by a full apply (the old snapshot may equal what was meant to be sent) or one
        // that was owed from before, or a macro some of whose pages went. Another never sent
        // is still what the snapshot says, and the next apply sends it only if it differs.
        auto snapshot = MakeZeroedProfile();
        std::memcpy(snapshot.get(), copy.get(), sizeof(ProfileRecord));
        ChangeSet owed = unconfirmed;
        for (std::size_t i = 0; i < sent; ++i) {
            if (plan[i].group == ReportGroup::Macro)
                owed.Mark(ReportGroup::Macro, plan[i].button);
        }
        unconfirmed = ChangeSet{};
        for (std::size_t i = 0; i < plan.size(); ++i) {
            if (taken[i])
                continue;
            CopyGroup(*snapshot, state.Snapshot(), plan[i].group, plan[i].button);
            if (i < sent || full || Holds(owed, plan[i].group, plan[i].button))
                unconfirmed.Mark(plan[i].group, plan[i].button);
        }
        // The preamble goes again only with the next full apply that is asked for. One asked
        // for while a partial apply ran (another profile chosen in the list) is the next
        // apply's; one asked for during a full apply is met by it (what the mouse holds is
        // the snapshot, and the next apply sends what differs).
        if (full)
            state.FullApplyPending() = false;
        timers_.StartTimer(TIMER_WIRELESS_WATCHDOG, kWatchdogMs);
        result.stored = state.SaveProfiles();
        std::memcpy(&state.Snapshot(), snapshot.get(), sizeof(ProfileRecord));
        view_.ShowApplyRing(false);
        view_.ApplyFinished(result.AllConfirmed());
    }
    return result;
}

}  // namespace ms1
