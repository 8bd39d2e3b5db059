#pragma once

#include <cstdint>
#include <vector>

#include "app/PageDeviceSession.h"
#include "ports/WindowMessages.h"

namespace ms1::test {

// A device session without a device: it announces a connection when the page starts it and
// counts what the page asks of it.
class RecordingSession : public PageDeviceSession {
  public:
    void Start(const PageDeviceContext& context) override {
        status = &context.status;
        context.window.Post(MSG_CONNECTION_CHANGED, 0, 0);
    }
    void Stop() override { ++stops; }
    void RequestApply() override { ++applies; }
    void RequestApplyDelayed(int milliseconds) override {
        ++delayedApplies;
        lastDelayMs = milliseconds;
    }
    bool AnyConnected() const override { return connected; }
    bool HandleMessage(const Message& message) override {
        messages.push_back(message.number);
        return false;
    }
    void RefreshLinkSections() override { ++linkRefreshes; }

    StatusView* status = nullptr;
    bool connected = false;
    int applies = 0;
    int delayedApplies = 0;  // requests for an apply after a delay (the session's timer 513)
    int lastDelayMs = 0;
    std::vector<std::uint32_t> messages;
    int stops = 0;
    int linkRefreshes = 0;
};

}  // namespace ms1::test
