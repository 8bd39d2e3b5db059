#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "sim/MouseSettings.h"
#include "sim/SimClock.h"

namespace ms1::sim {

// Input report of the receiver: report id 0x11, then the status message 11 TT V0 V1.
using InputReport = std::array<std::uint8_t, 5>;

// Status of the acknowledgement (type 0x58) for a refused report.
enum AckStatus : std::uint8_t {
    kAckOk = 0,
    kAckBadChecksum = 1,
    kAckBadLength = 2,
    kAckBadValue = 3,
    kAckBadSequence = 4,
    kAckBusy = 5,
};

enum class AckMode {
    kNormal,  // acknowledge at once
    kNever,   // keep the settings, never acknowledge
    kLate,    // acknowledge after kLateAckMs
    kRefuse,  // refuse every report (non-zero status), keep nothing
};

// The mouse behind the receiver, written from the device's side of the protocol: it checks
// every feature report it gets, keeps what it accepts, acknowledges or refuses it, and
// reports its own changes and a heartbeat as status messages. Not thread-safe: the bus that
// owns it serialises every call.
class VirtualMouse {
  public:
    static constexpr std::int64_t kHeartbeatMs = 2000;
    static constexpr std::int64_t kLateAckMs = 1200;

    explicit VirtualMouse(const SimClock& clock);

    // A feature report from the host, byte 0 being the report id (the command).
    void ReceiveFeatureReport(const std::uint8_t* data, std::size_t length);
    // A write to the mouse's GATT characteristic: one whole report (a macro page whole, in
    // 131 bytes; the mouse has no polling rate over Bluetooth). Checked and kept as a
    // feature report is, but answered by the write's own result: the status, with no
    // acknowledgement message.
    std::uint8_t ReceiveGattWrite(const std::uint8_t* data, std::size_t length);
    // The next input report that is due, if any.
    bool TakeInputReport(InputReport& report);
    // Queues a report exactly as given (for a receiver that says something else first).
    void QueueRaw(const InputReport& report);

    // Scenario controls.
    void SetAckMode(AckMode mode) { ackMode_ = mode; }
    void SetAsleep(bool asleep);
    bool Asleep() const { return asleep_; }
    // Powered up behind a freshly plugged receiver: announces itself unless asleep.
    void PowerUp();
    // Reports the active stage and the polling rate it runs at (unless asleep), as a mouse
    // does when a host starts listening.
    void AnnounceSettings();
    // The receiver was unplugged: whatever it had not delivered is gone.
    void DropPending();

    // Changes made on the mouse itself; each sends its status message (and wakes the mouse).
    void SelectStage(std::uint8_t stage);  // 1..8
    // The DPI button: the next stage that is switched on, after the last back to the first.
    // Before any DPI report the mouse runs on its own six stages.
    void PressDpiButton();
    void SetRateCode(std::uint8_t code);      // 1, 2, 4, 8
    void SetLightingMode(std::uint8_t mode);  // 0..15
    void SetBattery(std::uint8_t state, std::uint8_t level);
    void SetBatteryStep(std::uint8_t step);    // 1..10
    void SwitchProfile(std::uint8_t profile);  // 1..5

    const MouseSettings& Settings() const { return settings_; }
    std::uint8_t BatteryLevel() const { return batteryLevel_; }
    std::uint8_t BatteryState() const { return batteryState_; }  // 1 battery, 2 full, 3 charging
    std::size_t PendingInput() const { return ready_.size(); }
    // When the next report falls due by itself (a late acknowledgement, the heartbeat), on the
    // mouse's clock; INT64_MAX when none will. A report is due now when this is not later
    // than the clock or one is pending already.
    std::int64_t NextDueMs() const;
    int AcceptedReports() const { return accepted_; }
    int RefusedReports() const { return refused_; }

  private:
    struct Pending {
        std::int64_t dueMs;
        InputReport report;
    };

    void Pump();
    void Send(std::uint8_t type, std::uint8_t v0, std::uint8_t v1);
    void Acknowledge(std::uint8_t status);
    std::uint8_t CheckAndApply(const std::uint8_t* data, std::size_t length);
    std::uint8_t ApplyConfigReport(const std::uint8_t* report);
    std::uint8_t TakeMacroPacket(const std::uint8_t* packet);
    std::uint8_t StoreMacroPage(const StoredMacroPage& page);

    const SimClock& clock_;
    AckMode ackMode_ = AckMode::kNormal;
    bool asleep_ = false;
    std::int64_t nextHeartbeatMs_ = kHeartbeatMs;
    std::uint8_t batteryState_ = 1;  // on battery
    std::uint8_t batteryLevel_ = 80;
    std::deque<InputReport> ready_;
    std::vector<Pending> late_;
    MouseSettings settings_;
    // Macro page being assembled from its 64-byte packets.
    std::uint8_t assemblyPage_ = 0;
    int nextPacket_ = 0;
    std::array<std::uint8_t, 128> assembly_{};
    int accepted_ = 0;
    int refused_ = 0;
};

}  // namespace ms1::sim
