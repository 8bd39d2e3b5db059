#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "ports/LinkFlags.h"
#include "ports/LinkPorts.h"
#include "ports/MessagePorts.h"
#include "transport/BleAddressTable.h"
#include "transport/DeviceEvent.h"
#include "transport/GattPlatform.h"
#include "transport/HidApi.h"

namespace ms1 {

// The mouse over Bluetooth LE, as its HID-over-GATT collections show in the HID enumeration.
inline constexpr std::uint16_t kBleVendorId = 0x045E;
inline constexpr std::uint16_t kBleProductId = 0xA011;
// The start-up presence test: hidapi lists at least one such collection.
bool HidSeesBleMouse(HidApi& hid);

// The mouse's Bluetooth LE ids as they appear in its service interface paths.
inline constexpr std::string_view kBleVidPattern = "VID&02045E";
inline constexpr std::string_view kBlePidPattern = "PID&A011";
inline constexpr std::uint16_t kBleNotifyUuid = 0xFEE4;
inline constexpr std::uint16_t kBleWriteUuid = 0xFEE3;
// The platform's value buffer holds 1000 bytes, four of them for the size.
inline constexpr std::size_t kBleMaxWriteLength = 996;
inline constexpr int kBleDiscoveryDelayMs = 2000;

// Runs the link's GATT work off the window thread, one piece after the other (the apply
// worker, which also carries the writes), and hands results back to the window thread.
class GattWork {
  public:
    virtual ~GattWork() = default;
    // False when the work will not run (the session is stopping).
    virtual bool OffWindow(std::function<void()> work) = 0;
    // Runs `call` on the window thread from its event loop.
    virtual void OnWindow(std::function<void()> call) = 0;
};

// What a Bluetooth connection changes on the page besides the link itself: the indicator,
// the battery, the 2.4 GHz state and message 1128. Window thread.
class BleLinkView {
  public:
    virtual ~BleLinkView() = default;
    virtual void ShowBleConnected() = 0;
    virtual void ShowBleDisconnected() = 0;
};

// Receives the two status words of a notification (A = bytes 0..1, V = bytes 2..3,
// little-endian). Called on a platform thread: hand them to the window thread and return.
class BleNotificationSink {
  public:
    virtual ~BleNotificationSink() = default;
    virtual void OnBleNotification(std::uint16_t a, std::uint16_t v) = 0;
};

// The link to the mouse over Bluetooth LE GATT: finds the mouse's service interfaces by its
// ids and the addresses of the connected devices, subscribes to its notify characteristic
// (0xFEE4) and writes reports to its write characteristic (0xFEE3), and keeps bleConnected.
//
// Connection changes, device events and the discovery timer run on the window thread; the
// scan, the subscription and the writes run through GattWork off it (the subscription and the
// write on the apply worker, which serialises them). One lock guards the patterns, the
// address table and the registrations; a write copies them whole.
class BleGattLink final : public BleReportPort, public DeviceEventSink {
  public:
    struct Ports {
        GattPlatform& gatt;
        GattWork& work;
        LinkFlags& flags;
        BleLinkView& view;
        WindowTimers& timers;  // 516
        BleNotificationSink& notifications;
        // Where the platform's device events go: to the window thread, and from there back
        // to OnDeviceArrival and OnDeviceRemoval.
        DeviceEventSink& deviceEvents;
    };
    using TraceFunction = std::function<void(const std::string& line)>;

    // Where the look at the mouse stands: the one at start-up, then the one after each
    // device change. kNoWritableLink: the mouse is known (hidapi saw it at start-up, or the
    // platform lists a device with its ids, paired or connected) but has no writable link
    // yet; its connection may still come.
    enum class StartUpStage { kNotStarted, kPending, kConnected, kNoMouse, kNoWritableLink };

    explicit BleGattLink(Ports ports, TraceFunction trace = {});
    ~BleGattLink() override;
    BleGattLink(const BleGattLink&) = delete;
    BleGattLink& operator=(const BleGattLink&) = delete;

    // Window thread. Start-up: follows device events and asks the platform whether a writable
    // 0xFEE3 of the mouse is there. When the HID enumeration saw the mouse, SetBleConnected
    // runs once with the answer; when it did not, SetBleConnected(0) runs at once and a
    // writable link the platform shows connects all the same (as a later arrival would).
    void StartUp(bool hidPresent);
    void SetBleConnected(bool connected);
    // A device interface arrived or left (the interface name is its path).
    void OnDeviceArrival(const DeviceEvent& event) override;
    void OnDeviceRemoval(const DeviceEvent& event) override;
    // Timer 516: once per connection, the subscription.
    void OnDiscoveryTimer();
    // Unregisters every registration and stops the device events; nothing runs afterwards.
    // Call after the work runner has stopped.
    void Shutdown();
    StartUpStage startUpStage() const { return startUp_; }
    // Whether the platform could list the Bluetooth devices at the last look (false: the
    // Bluetooth service is not running or does not answer).
    bool platformAnswered() const { return platformAnswered_; }

    // Off the window thread.
    void ScanBluetoothAddresses();
    int SubscribeNotifications();
    // One report to the first writable 0xFEE3 of a matching interface that takes it.
    Result WriteCharacteristic(const std::uint8_t* data, std::size_t length) override;
    // What a look at the platform found.
    struct Look {
        bool listed = false;    // the devices could be listed
        bool known = false;     // a device with the mouse's ids is listed
        bool writable = false;  // an interface of the connected mouse has a writable 0xFEE3
    };
    // Scans, then looks for a writable 0xFEE3 on an interface of the mouse without writing.
    Look LookAtMouse();

    // Copies of the state, for diagnostics and tests.
    BleAddressTable AddressTable() const;
    std::string VidPattern() const;
    std::string PidPattern() const;
    GattEventHandle EventHandle() const;
    std::vector<GattEventHandle> Registrations() const;

  private:
    struct Snapshot {
        std::string vid;
        std::string pid;
        BleAddressTable table;
    };
    // What the work on one open interface found.
    struct OpenInterface {
        std::unique_ptr<GattServiceHandle> handle;
        std::vector<GattCharacteristic> characteristics;
    };

    Snapshot Copy() const;
    // Opens a matching interface and reads its first service's characteristics; nothing
    // when the work on this interface ends early.
    std::optional<OpenInterface> OpenMatching(const std::string& path, const Snapshot& snapshot);
    // Calls visit for each writable 0xFEE3 characteristic of every matching interface until
    // it returns true; says whether one did.
    using WriteVisitor = std::function<bool(const std::string& path, OpenInterface& open,
                                            const GattCharacteristic& characteristic)>;
    bool VisitWriteCharacteristics(const Snapshot& snapshot, const WriteVisitor& visit);
    void Subscribe(GattServiceHandle& handle, const GattCharacteristic& characteristic);
    void OnValueChanged(const std::uint8_t* data, std::size_t size);
    void RequestConfirmation();
    void OnConfirmation(std::uint64_t generation, const Look& look);
    // The scan; what it found of the mouse's ids.
    Look Scan();
    void Trace(const std::string& line) const;

    Ports ports_;
    TraceFunction trace_;

    mutable std::mutex mutex_;  // patterns, table, registrations
    std::string vidPattern_;
    std::string pidPattern_;
    BleAddressTable table_;
    std::vector<GattEventHandle> registrations_;  // of this connection; the last is eventHandle

    // Window thread only.
    StartUpStage startUp_ = StartUpStage::kNotStarted;
    bool confirming_ = false;
    bool confirmAgain_ = false;
    std::uint64_t generation_ = 0;  // a removal makes a confirmation under way stale
    bool stopped_ = false;
    bool hidPresent_ = false;
    bool platformAnswered_ = false;
};

}  // namespace ms1
