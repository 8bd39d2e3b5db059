#pragma once

#include <cstdint>

#include "platform/WindowMessages.h"
#include "ui/PageDeviceSession.h"

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
    void PostApplyNow() override { ++applies; }
    bool AnyConnected() const override { return connected; }
    void OnVendorStatus(std::uint32_t) override {}
    void OnMainTimer(int) override {}
    void RefreshLinkSections() override { ++linkRefreshes; }

    StatusView* status = nullptr;
    bool connected = false;
    int applies = 0;
    int stops = 0;
    int linkRefreshes = 0;
};

}  // namespace ms1::test
