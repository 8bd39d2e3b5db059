#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/bluez/BluezObjects.h"
#include "transport/GattPlatform.h"

class QDBusPendingCallWatcher;

namespace ms1 {

// The GATT port over BlueZ on the system D-Bus (DBUS_SYSTEM_BUS_ADDRESS when set).
//
// Devices come from org.bluez.Device1, the service interfaces from org.bluez.GattService1
// (their paths carry the device's ids from its Modalias and its address), characteristics
// and descriptors from the objects below them. BlueZ keeps the client characteristic
// configuration to itself: each notifiable characteristic shows a stand-in descriptor whose
// write is StartNotify, and its value changes arrive as PropertiesChanged of "Value". Writes
// are WriteValue with the type "request", so the mouse answers each one.
//
// bluetoothd answers the look at its object tree from memory: that call waits at most 2 s.
// Calls that go over the air to the mouse (WriteValue, StartNotify, ReadValue) wait at most
// 10 s: a write request and its response take two connection events, at most 8 s apart at the
// longest interval a connection may have (4 s), and a mouse that stays silent longer has lost
// its link (BlueZ then answers with an error). BlueZ's own limit is 25 s; waiting that long for
// a mouse that has gone would hold an apply half a minute per report. A write BlueZ refuses
// with InProgress (one is in flight on that characteristic) is sent again once the one in
// flight is done, within the same 10 s.
//
// The calls of the port block and belong off the window thread; the object itself lives on
// the window thread, which receives the signals (device events and notifications) without
// waiting on the bus. Without the bus or bluetoothd every list is empty. A look at the tree
// that fails while bluetoothd is there changes nothing: what was known stays known, and the
// look is tried again. The bluetoothd that leaves the bus takes all it had with it, also when
// another one takes the name at once: what that one has arrives afresh.
class BluezGattPlatform final : public QObject, public GattPlatform {
    Q_OBJECT
  public:
    static constexpr int kQueryTimeoutMs = 2000;
    static constexpr int kRadioTimeoutMs = 10000;
    static constexpr int kInProgressRetryMs = 100;
    static constexpr int kRefreshRetryMs = 1000;
    static constexpr int kRefreshRetries = 3;

    // Create it on the window thread, whose event loop then carries its signals.
    BluezGattPlatform();
    ~BluezGattPlatform() override;

    void StartDeviceEvents(DeviceEventSink& sink) override;
    void StopDeviceEvents() override;
    std::optional<std::vector<std::string>> PresentServiceInterfaces() override;
    std::optional<std::vector<GattDeviceRecord>> PresentBluetoothDevices() override;
    std::unique_ptr<GattServiceHandle> Open(const std::string& interfacePath) override;
    Result UnregisterEvent(GattEventHandle handle) override;

    // For the open service handles.
    QDBusMessage Call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments = {}, int timeoutMs = kRadioTimeoutMs);
    GattEventHandle AddRegistration(const QString& characteristicPath, GattValueCallback callback);
    // What a D-Bus error reply means to a GATT call; nothing for a reply that is no error.
    static std::optional<GattFailure> FailureOf(const QDBusMessage& reply);
    // A reply as the result of a GATT call.
    static Result AnswerOf(const QDBusMessage& reply);

  private slots:
    void OnPropertiesChanged(const QDBusMessage& message);
    void OnInterfacesChanged(const QDBusMessage& message);
    void OnNameOwnerChanged(const QDBusMessage& message);

  private:
    struct Registration {
        QString characteristic;
        GattValueCallback callback;
    };

    // Connects once; false without a bus.
    bool Connection(QDBusConnection& connection);
    // GetManagedObjects, waiting; nothing when it failed.
    std::optional<bluez::ObjectTree> Objects();
    // Looks at the tree again without waiting; the answer turns into arrivals and removals.
    void Refresh();
    void OnRefreshed(QDBusPendingCallWatcher* watcher);
    // Makes `now` the known interfaces and tells the sink what left and what came.
    void Announce(std::map<std::string, std::string> now);

    const QString name_;
    std::mutex connectMutex_;  // the one attempt to connect
    bool connectTried_ = false;
    std::mutex mutex_;  // the connection, the sink, the known interfaces, the registrations
    std::optional<QDBusConnection> connection_;
    DeviceEventSink* sink_ = nullptr;
    // Connected service interfaces with their contents, as the events last told.
    std::map<std::string, std::string> known_;
    std::map<GattEventHandle, Registration> registrations_;
    GattEventHandle nextHandle_ = 1;
    // Window thread only.
    bool refreshing_ = false;
    bool refreshAgain_ = false;
    int failedRefreshes_ = 0;
};

}  // namespace ms1
