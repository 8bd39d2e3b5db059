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
#include "engine/DeviceSession.h"
#include "engine/MemoryProfileState.h"
#include "engine/StatusRecorder.h"
#include "platform/MessageHub.h"
#include "sim/VirtualHidBus.h"
#include "transport/VendorHidBinding.h"

namespace ms1 {
class BluezGattPlatform;
}

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

    // kNoAccess: a receiver is there but this user may not open it (see DeniedPath).
    // kNoBleLink: the Bluetooth LE mouse was seen but BlueZ could not be asked about it;
    // kBleNotConnected: BlueZ knows the mouse, but it did not connect with a writable link.
    enum class Connection {
        kConnected,
        kNoReceiver,
        kSilentMouse,
        kNoBleLink,
        kBleNotConnected,
        kNoAccess
    };
    // Starts the session and waits until a link reports the mouse, at most `patience`; at
    // once when there is neither a receiver nor a Bluetooth LE mouse to wait for.
    Connection ConnectMouse(std::chrono::milliseconds patience);
    // The line for stderr when the mouse is not there.
    static std::string NoMouseText(const char* command, Connection connection,
                                   const std::string& deniedPath = {});
    // Where the session stands: connected, or why not. The same for ms1ctl and for the
    // running program that carries out its command.
    static Connection ConnectionOf(DeviceSession& session);
    // Whether the mouse may still connect: a receiver is plugged in (its mouse may wake),
    // or the Bluetooth LE mouse is being looked at or known to BlueZ without its link yet.
    static bool MayConnect(DeviceSession& session);
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
    sim::VirtualHidBus* bus() { return bus_.get(); }

  private:
    void ShowApplyRing(bool) override {}
    void ApplyFinished(bool) override {}
    void Look();

    // The application object keeps references to its arguments for its whole life.
    int argc_ = 1;
    char name_[7] = "ms1ctl";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
    std::unique_ptr<sim::VirtualHidBus> bus_;
    std::unique_ptr<HidApi> realHid_;
    std::unique_ptr<VendorHidLibrary> vendorLibrary_;
    std::unique_ptr<VendorHidBinding> wired_;
    std::unique_ptr<BluezGattPlatform> bluez_;
    MemoryProfileState profiles_;
    StatusRecorder view_;
    MessageHub window_;
    std::unique_ptr<DeviceSession> session_;
    QEventLoop* waiting_ = nullptr;
    std::string deniedPath_;
    std::function<bool()> done_;
    std::mutex resultMutex_;
    std::optional<ApplyResult> result_;
};

// Whether any of the three links has the mouse.
bool MouseConnected(LinkFlags& flags);

}  // namespace ms1::cli
