#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "ports/LinkFlags.h"
#include "ports/MessagePorts.h"
#include "protocol/ApplyPlan.h"
#include "protocol/ProfileState.h"
#include "protocol/ReportSender.h"

namespace ms1 {

// What the page shows of an apply. Called on the worker thread: implementations marshal to
// the window thread.
class ApplyView {
  public:
    virtual ~ApplyView() = default;
    virtual void ShowApplyRing(bool visible) = 0;
    // After an apply: whether the mouse confirmed every report it was sent.
    virtual void ApplyFinished(bool allConfirmed) = 0;
};

struct SentReport {
    std::uint8_t command;
    ReportGroup group;
    int button;
    SendOutcome outcome;
};

struct ApplyResult {
    bool ran = false;  // false: no link was connected, only the store was written
    bool stored = false;
    std::vector<SentReport> reports;
    bool AllConfirmed() const;
};

// Brings the mouse in line with the working profile: compares a copy of it with the
// snapshot of what the mouse last received and sends the groups that differ.
class ApplyEngine {
  public:
    ApplyEngine(ProfileState& state, ReportSender& sender, LinkFlags& flags, Pacer& pacer,
                WindowTimers& timers, ApplyView& view);

    // The worker's handling of one apply request.
    ApplyResult OnApplyRequest();

    // Called after each report, on the worker (ms1ctl prints progress from it).
    void SetReportListener(std::function<void(const SentReport&)> listener) {
        listener_ = std::move(listener);
    }

    // One full apply of another profile, without touching the page's (ms1ctl's apply carried
    // out by the running program). The page's profile goes whole with its next apply, since
    // the mouse no longer holds what its snapshot says. Worker thread.
    ApplyResult ApplyOther(ProfileState& other,
                           const std::function<void(const SentReport&)>& listener);

    // The program ends: an apply under way stops after the report it is sending (its store is
    // still written), and later ones send nothing. Callable from any thread.
    void Stop() { stopping_.store(true); }
    bool Stopping() const { return stopping_.load(); }
    // The working profile changed in a way that makes the apply under way pointless (another
    // profile became active): it ends after the report it is sending, as at exit, and the
    // next apply starts from what the mouse confirmed. An apply that begins later is not
    // touched. Callable from any thread; best called under the state's lock, right after the
    // change, so that an apply that already copied the new profile runs whole.
    void CutShort() { cut_.store(true); }

  private:
    bool LinkUp() const;
    // `unconfirmed`: the groups to send again, updated with those that failed now.
    ApplyResult Apply(ProfileState& state, ChangeSet& unconfirmed,
                      const std::function<void(const SentReport&)>& listener);

    ProfileState& state_;
    ReportSender& sender_;
    LinkFlags& flags_;
    Pacer& pacer_;
    WindowTimers& timers_;
    ApplyView& view_;
    std::function<void(const SentReport&)> listener_;
    // Groups the mouse did not confirm, sent again by the next apply. Worker thread only.
    ChangeSet unconfirmed_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> cut_{false};
};

}  // namespace ms1
