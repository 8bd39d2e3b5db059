#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/PageDeviceSession.h"

namespace ms1 {

class DeviceBackend;
class DeviceSession;
class StatusRecorder;
namespace sim {
class VirtualHidBus;
}

// The page's device side in the program: the device session on the real devices or on the
// virtual mouse of a named scenario (`ms1 --simulate`), from the engine's device backend.
class MouseDeviceSession final : public PageDeviceSession {
  public:
    // Null scenario: the real devices. Returns null for an unknown scenario name.
    static std::unique_ptr<MouseDeviceSession> Create(const std::optional<std::string>& scenario);
    ~MouseDeviceSession() override;

    void Start(const PageDeviceContext& context) override;
    void Stop() override;
    void RequestApply() override;
    void RequestApplyDelayed(int milliseconds) override;
    void RequestApplyInstead() override;
    bool AnyConnected() const override;
    std::string AccessProblem() const override;
    bool ReceiverPluggedIn() const override;
    bool HandleMessage(const Message& message) override;
    void RefreshLinkSections() override;
    void SetWindowShown(bool shown) override;

    // The virtual mouse, when simulating (for the panel that plays the mouse's part).
    sim::VirtualHidBus* VirtualBus() const;
    // The session once started, and what its status decoding showed (for ms1ctl status and
    // apply carried out by the program).
    DeviceSession* Session() const { return session_; }
    const StatusRecorder* Recorder() const { return recorder_.get(); }
    // Whether a receiver is plugged in, even when its mouse is silent, or the Bluetooth LE
    // mouse is being looked at or known to BlueZ without its link yet (it may connect).
    bool ReceiverPresent() const;

  private:
    MouseDeviceSession() = default;

    // The devices and the session on them; the recorder sits between the session and the
    // page's status view, so it outlives the session.
    std::unique_ptr<StatusRecorder> recorder_;
    std::unique_ptr<DeviceBackend> backend_;
    DeviceSession* session_ = nullptr;
};

}  // namespace ms1
