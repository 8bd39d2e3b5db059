#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "transport/GattPlatform.h"
#include "transport/WakeEvent.h"

namespace ms1::sim {

class VirtualHidBus;

// The virtual mouse's Bluetooth LE personality: the GATT services of a receiver's mouse,
// presented through the same port as the system's Bluetooth stack, so the link and
// everything above it run unchanged. The mouse is paired: its device and service interfaces
// are listed also while it is not connected, as the system lists them. A keyboard is
// connected beside it, so that the link has something to tell the mouse apart from.
//
// Once the notify characteristic's configuration is written and a registration is made, a
// thread hands the mouse's status messages to the registration, as notifications; it sleeps
// until the mouse has one (its heartbeat comes every two seconds) or that set-up changes. Writes to
// the write characteristic reach the mouse whole and are checked by it.
class VirtualGattMouse final : public GattPlatform {
  public:
    static constexpr const char* kMouseAddress = "c8478c0a1b2d";
    static constexpr const char* kKeyboardAddress = "f0a1b2c3d4e5";

    // The Bluetooth side of `receiver`'s mouse on `bus`; the bus outlives it.
    VirtualGattMouse(VirtualHidBus& bus, int receiver);
    ~VirtualGattMouse() override;
    VirtualGattMouse(const VirtualGattMouse&) = delete;
    VirtualGattMouse& operator=(const VirtualGattMouse&) = delete;

    // Connecting wakes the mouse; its service interfaces arrive. Disconnecting makes them
    // leave and the mouse forgets its notification configuration.
    void Connect();
    void Disconnect();
    bool Connected() const { return connected_; }
    // Every write fails, as when the mouse answers with an error.
    void SetRefusing(bool refusing) { refusing_ = refusing; }
    bool Notifying() const { return notifying_; }
    int RegistrationCount() const;
    // True while the notification thread sleeps having seen every change, with nothing for
    // it to hand over: what it would have handed over by now, it has.
    bool Idle() const;
    // Writes that went to the keyboard's characteristic instead of the mouse's.
    int KeyboardWrites() const { return keyboardWrites_; }
    int Receiver() const { return receiver_; }
    // The mouse's service interface paths, in the order they are listed.
    std::vector<std::string> MouseInterfacePaths() const;

    // GattPlatform
    void StartDeviceEvents(DeviceEventSink& sink) override;
    void StopDeviceEvents() override;
    std::optional<std::vector<std::string>> PresentServiceInterfaces() override;
    std::optional<std::vector<GattDeviceRecord>> PresentBluetoothDevices() override;
    std::unique_ptr<GattServiceHandle> Open(const std::string& interfacePath) override;
    Result UnregisterEvent(GattEventHandle handle) override;

  private:
    class Handle;
    struct Service;
    struct Registration {
        bool mouseStatus = false;  // the mouse's notify characteristic
        GattValueCallback callback;
    };

    const Service* FindService(const std::string& path) const;
    ResultOf<GattEventHandle> Register(const Service& service,
                                       const GattCharacteristic& characteristic,
                                       GattValueCallback callback);
    Result Subscribe(const Service& service, const GattDescriptor& descriptor);
    Result Write(const Service& service, const GattCharacteristic& characteristic,
                 const std::uint8_t* data, std::size_t length);
    void Announce(bool arrival);
    void Run();
    // The connection, the notification set-up or the registrations changed, or the end came.
    void Changed();

    VirtualHidBus& bus_;
    const int receiver_;
    std::vector<Service> services_;  // fixed at construction
    std::atomic<bool> connected_{false};
    std::atomic<bool> refusing_{false};
    std::atomic<bool> notifying_{false};
    std::atomic<int> keyboardWrites_{0};

    std::mutex sinkMutex_;  // held while an event is delivered, so StopDeviceEvents waits
    DeviceEventSink* sink_ = nullptr;

    mutable std::mutex registrationMutex_;  // held while a notification is delivered
    std::map<GattEventHandle, Registration> registrations_;
    GattEventHandle nextHandle_ = 1;

    std::atomic<bool> stop_{false};
    enum class Sleep { kAwake, kOnChanges, kOnMouse };
    std::atomic<int> changes_{0};
    std::atomic<int> sleptAfter_{-1};  // changes_ as the thread saw it before it slept
    std::atomic<Sleep> sleeping_{Sleep::kAwake};
    WakeEvent wake_;  // the thread looks again: a change of what it serves, or its end
    std::thread thread_;
};

}  // namespace ms1::sim
