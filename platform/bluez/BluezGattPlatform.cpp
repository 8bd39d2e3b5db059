#include "platform/bluez/BluezGattPlatform.h"

#include <QDBusArgument>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QTimer>
#include <QVariantMap>
#include <atomic>

#include "platform/bluez/BluezServiceHandle.h"

namespace ms1 {
namespace {

constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
constexpr const char* kObjectManager = "org.freedesktop.DBus.ObjectManager";

QString UniqueConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("ms1-bluez-%1").arg(counter.fetch_add(1));
}

// The error of a call to a name nobody owns: bluetoothd is not on the bus.
bool BluetoothdGone(const QDBusMessage& reply) {
    const QString name = reply.errorName();
    return name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
           name == QLatin1String("org.freedesktop.DBus.Error.Disconnected");
}

QDBusMessage ManagedObjectsCall() {
    return QDBusMessage::createMethodCall(bluez::kService, "/", kObjectManager,
                                          "GetManagedObjects");
}

}  // namespace

BluezGattPlatform::BluezGattPlatform() : name_(UniqueConnectionName()) {}

BluezGattPlatform::~BluezGattPlatform() {
    StopDeviceEvents();
    std::lock_guard lock(mutex_);
    if (connection_)
        QDBusConnection::disconnectFromBus(name_);
}

bool BluezGattPlatform::Connection(QDBusConnection& connection) {
    {
        // Connecting waits on the bus; the window thread's users of mutex_ must not.
        std::lock_guard connecting(connectMutex_);
        if (!connectTried_) {
            connectTried_ = true;
            const QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
            QDBusConnection bus =
                address.isEmpty() ? QDBusConnection::connectToBus(QDBusConnection::SystemBus, name_)
                                  : QDBusConnection::connectToBus(address, name_);
            std::lock_guard lock(mutex_);
            if (bus.isConnected()) {
                connection_ = bus;
            } else {
                QDBusConnection::disconnectFromBus(name_);
            }
        }
    }
    std::lock_guard lock(mutex_);
    if (!connection_)
        return false;
    connection = *connection_;
    return true;
}

QDBusMessage BluezGattPlatform::Call(const QString& path, const QString& interface,
                                     const QString& method, const QVariantList& arguments,
                                     int timeoutMs) {
    QDBusConnection bus(name_);
    if (!Connection(bus))
        return QDBusMessage::createError(QDBusError::Disconnected, "no system bus");
    QDBusMessage call = QDBusMessage::createMethodCall(bluez::kService, path, interface, method);
    call.setArguments(arguments);
    return bus.call(call, QDBus::Block, timeoutMs);
}

std::optional<GattFailure> BluezGattPlatform::FailureOf(const QDBusMessage& reply) {
    if (reply.type() == QDBusMessage::ReplyMessage)
        return std::nullopt;
    const QString name = reply.errorName();
    if (name.contains("NotPermitted") || name.contains("NotAuthorized"))
        return GattFailure::Refused;
    if (name.contains("NotConnected"))
        return GattFailure::NotConnected;
    if (name.contains("NoReply") || name.contains("Timeout"))
        return GattFailure::TimedOut;
    if (name.contains("InProgress"))
        return GattFailure::Busy;
    return GattFailure::Failed;
}

Result BluezGattPlatform::AnswerOf(const QDBusMessage& reply) {
    const std::optional<GattFailure> failure = FailureOf(reply);
    return failure ? GattFailed(*failure) : Result::Done();
}

std::optional<bluez::ObjectTree> BluezGattPlatform::Objects() {
    QDBusConnection bus(name_);
    if (!Connection(bus))
        return std::nullopt;
    const QDBusMessage reply = bus.call(ManagedObjectsCall(), QDBus::Block, kQueryTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return std::nullopt;
    return bluez::ParseManagedObjects(reply);
}

void BluezGattPlatform::StartDeviceEvents(DeviceEventSink& sink) {
    QDBusConnection bus(name_);
    if (!Connection(bus))
        return;
    // Any object: Device1 changes its Connected, characteristics their Value.
    bus.connect(bluez::kService, QString(), kProperties, "PropertiesChanged", this,
                SLOT(OnPropertiesChanged(QDBusMessage)));
    bus.connect(bluez::kService, "/", kObjectManager, "InterfacesAdded", this,
                SLOT(OnInterfacesChanged(QDBusMessage)));
    bus.connect(bluez::kService, "/", kObjectManager, "InterfacesRemoved", this,
                SLOT(OnInterfacesChanged(QDBusMessage)));
    bus.connect("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                "NameOwnerChanged", this, SLOT(OnNameOwnerChanged(QDBusMessage)));
    // What is connected now is where the events start from; a device that was there before
    // is not announced again.
    auto tree = Objects();
    {
        std::lock_guard lock(mutex_);
        known_ = tree ? bluez::ConnectedInterfaces(*tree) : std::map<std::string, std::string>{};
        sink_ = &sink;
    }
    // Without an answer the tree is looked at again from the window thread, which then
    // announces what is there.
    if (!tree)
        QMetaObject::invokeMethod(
            this, [this] { Refresh(); }, Qt::QueuedConnection);
}

void BluezGattPlatform::StopDeviceEvents() {
    std::lock_guard lock(mutex_);
    sink_ = nullptr;
}

std::optional<std::vector<std::string>> BluezGattPlatform::PresentServiceInterfaces() {
    auto tree = Objects();
    if (!tree)
        return std::nullopt;
    // Paired devices keep their services listed while away; the address scan leaves them out.
    std::vector<std::string> paths;
    for (const bluez::Service& service : tree->services)
        paths.push_back(bluez::InterfacePathOf(service, tree->FindDevice(service.device)));
    return paths;
}

std::optional<std::vector<GattDeviceRecord>> BluezGattPlatform::PresentBluetoothDevices() {
    auto tree = Objects();
    if (!tree)
        return std::nullopt;
    std::vector<GattDeviceRecord> devices;
    for (const bluez::Device& device : tree->devices) {
        GattDeviceRecord record;
        record.disconnected = !device.connected;
        if (!device.alias.isEmpty())
            record.friendlyName = device.alias.toStdString();
        if (!device.address.isEmpty())
            record.hardwareId = bluez::HardwareIdOf(device);
        record.ids = bluez::IdsOfModalias(device.modalias);
        devices.push_back(record);
    }
    return devices;
}

std::unique_ptr<GattServiceHandle> BluezGattPlatform::Open(const std::string& interfacePath) {
    auto tree = Objects();
    if (!tree)
        return nullptr;
    const bluez::Service* service = tree->FindService(bluez::ObjectPathOfInterface(interfacePath));
    if (service == nullptr)
        return nullptr;
    const bluez::Service copy = *service;
    return std::make_unique<BluezServiceHandle>(*this, std::move(*tree), copy);
}

GattEventHandle BluezGattPlatform::AddRegistration(const QString& characteristicPath,
                                                   GattValueCallback callback) {
    std::lock_guard lock(mutex_);
    const GattEventHandle handle = nextHandle_++;
    registrations_[handle] = Registration{characteristicPath, std::move(callback)};
    return handle;
}

Result BluezGattPlatform::UnregisterEvent(GattEventHandle handle) {
    QString characteristic;
    bool stillWatched = false;
    QDBusConnection bus(name_);
    {
        std::lock_guard lock(mutex_);
        auto it = registrations_.find(handle);
        if (it == registrations_.end())
            return GattFailed(GattFailure::Failed);
        characteristic = it->second.characteristic;
        registrations_.erase(it);
        for (const auto& [other, registration] : registrations_)
            stillWatched = stillWatched || registration.characteristic == characteristic;
        if (!connection_)
            return Result::Done();
        bus = *connection_;
    }
    if (!stillWatched) {
        // Not waited for: the window thread may be the caller.
        bus.asyncCall(QDBusMessage::createMethodCall(bluez::kService, characteristic,
                                                     bluez::kCharacteristicInterface, "StopNotify"),
                      kRadioTimeoutMs);
    }
    return Result::Done();
}

void BluezGattPlatform::OnPropertiesChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2)
        return;
    const QString interface = arguments.at(0).toString();
    const QVariantMap changed = qdbus_cast<QVariantMap>(arguments.at(1));
    if (interface == QLatin1String(bluez::kDeviceInterface)) {
        // BlueZ may learn the ids (Modalias) only after the connection and its services.
        if (changed.contains("Connected") || changed.contains("ServicesResolved") ||
            changed.contains("Modalias"))
            Refresh();
        return;
    }
    if (interface != QLatin1String(bluez::kCharacteristicInterface) || !changed.contains("Value"))
        return;
    const QByteArray value = changed.value("Value").toByteArray();
    const auto* data = reinterpret_cast<const std::uint8_t*>(value.constData());
    // Delivered under the lock, so that an unregistration waits for a delivery under way.
    std::lock_guard lock(mutex_);
    for (const auto& [handle, registration] : registrations_) {
        if (registration.characteristic == message.path())
            registration.callback(data, static_cast<std::size_t>(value.size()));
    }
}

void BluezGattPlatform::OnInterfacesChanged(const QDBusMessage&) {
    Refresh();
}

void BluezGattPlatform::OnNameOwnerChanged(const QDBusMessage& message) {
    // NameOwnerChanged(name, old owner, new owner).
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 3 || arguments.at(0).toString() != QLatin1String(bluez::kService))
        return;
    // The bluetoothd that had the name is gone, also when another one took the name at once
    // or started again before the next look: its devices, and every notification started on
    // them, went with it. What the one there now has arrives afresh.
    if (!arguments.at(1).toString().isEmpty())
        Announce({});
    Refresh();
}

void BluezGattPlatform::Refresh() {
    if (refreshing_) {
        refreshAgain_ = true;
        return;
    }
    QDBusConnection bus(name_);
    {
        std::lock_guard lock(mutex_);
        if (sink_ == nullptr || !connection_)
            return;
        bus = *connection_;
    }
    refreshing_ = true;
    auto* watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(ManagedObjectsCall(), kQueryTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* done) { OnRefreshed(done); });
}

void BluezGattPlatform::OnRefreshed(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    refreshing_ = false;
    const QDBusMessage reply = watcher->reply();
    std::map<std::string, std::string> now;
    if (reply.type() == QDBusMessage::ReplyMessage) {
        failedRefreshes_ = 0;
        now = bluez::ConnectedInterfaces(bluez::ParseManagedObjects(reply));
    } else if (!BluetoothdGone(reply)) {
        // bluetoothd is there but did not answer in time, or failed: nothing is known to
        // have changed. Look again a little later, a few times.
        if (++failedRefreshes_ <= kRefreshRetries)
            QTimer::singleShot(kRefreshRetryMs, this, [this] { Refresh(); });
        if (std::exchange(refreshAgain_, false))
            Refresh();
        return;
    }
    // An answer, or bluetoothd has left the bus: then what it had is gone.
    Announce(std::move(now));
    if (std::exchange(refreshAgain_, false))
        Refresh();
}

void BluezGattPlatform::Announce(std::map<std::string, std::string> now) {
    std::vector<std::string> arrived;
    std::vector<std::string> removed;
    DeviceEventSink* sink = nullptr;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [path, contents] : known_) {
            if (now.count(path) == 0)
                removed.push_back(path);
        }
        for (const auto& [path, contents] : now) {
            auto was = known_.find(path);
            if (was == known_.end() || was->second != contents)
                arrived.push_back(path);
        }
        known_ = std::move(now);
        sink = sink_;
    }
    // StopDeviceEvents clears the sink on this thread, so it is still there.
    if (sink != nullptr) {
        for (const std::string& path : removed)
            sink->OnDeviceRemoval(DeviceEvent{path});
        for (const std::string& path : arrived)
            sink->OnDeviceArrival(DeviceEvent{path});
    }
}

}  // namespace ms1
