#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "cli/CliCommand.h"
#include "engine/DeviceBackend.h"
#include "engine/DeviceSession.h"
#include "engine/MemoryProfileState.h"
#include "engine/SessionConnection.h"
#include "engine/StatusRecorder.h"
#include "platform/MessageHub.h"
#include "sim/VirtualHidBus.h"

namespace ms1::cli {

// Runs the device session for one command without a window: the calling thread is the
// window thread (it runs a Qt event loop while it waits), the session's worker applies.
// With a scenario the virtual mouse stands in for hidapi.
class HeadlessHost final : private ApplyView {
  public:
    HeadlessHost(const std::optional<std::string>& scenario, const ProfileRecord& profile);
    ~HeadlessHost() override;
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    // Prints the refusal and returns false for a scenario the virtual mouse does not know.
    static bool CheckScenario(CliContext& context, const CliCommand& command);

    void SetReportListener(DeviceSession::ReportListener listener) {
        session_->SetReportListener(std::move(listener));
    }

    // The virtual mice tell their stage and polling rate, as a real mouse does when it wakes.
    // Not for an apply: what the mouse reports is written into the profile being sent.
    void AnnounceVirtualMouseSettings();

    using Connection = ms1::Connection;
    // Starts the session and waits until a link reports the mouse, at most `patience`; at
    // once when there is neither a receiver nor a Bluetooth LE mouse to wait for.
    Connection ConnectMouse(std::chrono::milliseconds patience);
    // The line for stderr when the mouse is not there.
    static std::string NoMouseText(const char* command, Connection connection,
                                   const std::string& deniedPath = {});
    const std::string& DeniedPath() const { return deniedPath_; }
    // Waits until `done` holds, looking again after every status change, at most `patience`.
    bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds patience);
    // One apply on the worker; returns when it ended.
    ApplyResult Apply();
    void Stop() { session_->Stop(); }

    DeviceSession& session() { return *session_; }
    StatusRecorder& view() { return view_; }
    MemoryProfileState& profiles() { return profiles_; }
    // The virtual mouse, when simulating.
    sim::VirtualHidBus* bus() { return backend_->virtualBus(); }

  private:
    void ShowApplyRing(bool) override {}
    void ApplyFinished(bool) override {}
    void Look();

    // The application object keeps references to its arguments for its whole life.
    int argc_ = 1;
    char name_[7] = "ms1ctl";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
    MemoryProfileState profiles_;
    StatusRecorder view_;
    MessageHub window_;
    // After what the session uses, so that it goes first.
    std::unique_ptr<DeviceBackend> backend_;
    DeviceSession* session_ = nullptr;
    QEventLoop* waiting_ = nullptr;
    std::string deniedPath_;
    std::function<bool()> done_;
    std::mutex resultMutex_;
    std::optional<ApplyResult> result_;
};

}  // namespace ms1::cli
