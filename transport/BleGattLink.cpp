#include "transport/BleGattLink.h"

#include <utility>

#include "ports/WindowMessages.h"
#include "transport/AsciiText.h"

namespace ms1 {
namespace {

// Client characteristic configurations sit below this handle on the mouse; a descriptor at
// or above it is read but never written.
constexpr std::uint16_t kHighestWrittenDescriptor = 255;

bool IsMouseInterfaceName(const std::string& name) {
    const std::string upper = ToUpperAscii(name);
    return !upper.empty() && upper.find(kBleVidPattern) != std::string::npos &&
           upper.find(kBlePidPattern) != std::string::npos;
}

bool HasShortUuid(const GattCharacteristic& characteristic, std::uint16_t uuid) {
    const auto shortUuid = ShortUuidOf(characteristic.uuid);
    return shortUuid && *shortUuid == uuid;
}

}  // namespace

bool HidSeesBleMouse(HidApi& hid) {
    return hid.Init() == 0 && !hid.Enumerate(kBleVendorId, kBleProductId).empty();
}

BleGattLink::BleGattLink(Ports ports, TraceFunction trace)
    : ports_(ports), trace_(std::move(trace)) {}

BleGattLink::~BleGattLink() {
    Shutdown();
}

void BleGattLink::Trace(const std::string& line) const {
    if (trace_)
        trace_(line);
}

void BleGattLink::StartUp(bool hidPresent) {
    if (startUp_ != StartUpStage::kNotStarted || stopped_)
        return;
    startUp_ = StartUpStage::kPending;
    hidPresent_ = hidPresent;
    // Following the devices may wait on the platform: off the window thread, before the
    // first look at the mouse so that nothing is missed in between.
    ports_.work.OffWindow([this] { ports_.gatt.StartDeviceEvents(ports_.deviceEvents); });
    if (!hidPresent)
        SetBleConnected(false);
    RequestConfirmation();
}

void BleGattLink::RequestConfirmation() {
    if (confirming_) {
        confirmAgain_ = true;
        return;
    }
    confirming_ = true;
    const std::uint64_t generation = generation_;
    const bool queued = ports_.work.OffWindow([this, generation] {
        const Look look = LookAtMouse();
        ports_.work.OnWindow([this, generation, look] { OnConfirmation(generation, look); });
    });
    if (!queued) {
        confirming_ = false;
        if (startUp_ == StartUpStage::kPending)
            startUp_ = StartUpStage::kNoWritableLink;
    }
}

void BleGattLink::OnConfirmation(std::uint64_t generation, const Look& look) {
    confirming_ = false;
    const bool again = std::exchange(confirmAgain_, false);
    if (stopped_)
        return;
    platformAnswered_ = look.listed;
    const bool stale = generation != generation_;  // the mouse left while it was asked
    const bool startUp = startUp_ == StartUpStage::kPending;
    if (look.writable && !stale && !ports_.flags.BleUp()) {
        SetBleConnected(true);
    } else if (startUp && hidPresent_ && !stale) {
        SetBleConnected(false);  // the start-up's one run, with the answer
    }
    if (ports_.flags.BleUp()) {
        startUp_ = StartUpStage::kConnected;
    } else {
        // hidapi's word counts at start-up only; later the platform's list tells.
        const bool known = look.known || (startUp && hidPresent_);
        startUp_ = known ? StartUpStage::kNoWritableLink : StartUpStage::kNoMouse;
    }
    // An interface that arrived during the look may have brought the characteristic.
    if (again && !ports_.flags.BleUp())
        RequestConfirmation();
}

void BleGattLink::SetBleConnected(bool connected) {
    if (stopped_)
        return;
    ports_.flags.bleConnected = connected;
    if (connected) {
        {
            std::lock_guard lock(mutex_);
            vidPattern_ = kBleVidPattern;
            pidPattern_ = kBlePidPattern;
        }
        ports_.timers.StartTimer(TIMER_BLE_DISCOVERY, kBleDiscoveryDelayMs);
        ports_.view.ShowBleConnected();
        return;
    }
    ports_.timers.KillTimer(TIMER_BLE_DISCOVERY);
    std::vector<GattEventHandle> registrations;
    {
        std::lock_guard lock(mutex_);
        vidPattern_.clear();
        pidPattern_.clear();
        registrations.swap(registrations_);
    }
    // Every registration of the connection, not only the last: the others would go on
    // delivering after the mouse left.
    for (GattEventHandle handle : registrations) {
        if (ports_.gatt.UnregisterEvent(handle))
            Trace("notifications unregistered");
    }
    ports_.view.ShowBleDisconnected();
}

void BleGattLink::OnDeviceArrival(const DeviceEvent& event) {
    if (stopped_ || !IsMouseInterfaceName(event.interfaceName))
        return;
    if (ports_.flags.BleUp())
        return;
    // The page says "connected" only once the mouse can be written to.
    RequestConfirmation();
}

void BleGattLink::OnDeviceRemoval(const DeviceEvent& event) {
    if (stopped_ || !IsMouseInterfaceName(event.interfaceName))
        return;
    ++generation_;
    SetBleConnected(false);
    // Whether the mouse is still paired (and may come back) or gone for good; another of its
    // interfaces may also still carry the link.
    RequestConfirmation();
}

void BleGattLink::OnDiscoveryTimer() {
    ports_.timers.KillTimer(TIMER_BLE_DISCOVERY);
    if (stopped_)
        return;
    ports_.work.OffWindow([this] { SubscribeNotifications(); });
}

void BleGattLink::Shutdown() {
    if (stopped_)
        return;
    stopped_ = true;
    ports_.timers.KillTimer(TIMER_BLE_DISCOVERY);
    ports_.gatt.StopDeviceEvents();
    std::vector<GattEventHandle> registrations;
    {
        std::lock_guard lock(mutex_);
        registrations.swap(registrations_);
    }
    for (GattEventHandle handle : registrations)
        ports_.gatt.UnregisterEvent(handle);
}

void BleGattLink::ScanBluetoothAddresses() {
    Scan();
}

BleGattLink::Look BleGattLink::Scan() {
    Look look;
    BleAddressTable table;
    if (auto devices = ports_.gatt.PresentBluetoothDevices()) {
        look.listed = true;
        table = ScanAddresses(*devices);
        for (const GattDeviceRecord& device : *devices)
            look.known = look.known || (device.ids && IsMouseInterfaceName(*device.ids));
    } else {
        Trace("the Bluetooth devices could not be listed");
    }
    std::lock_guard lock(mutex_);
    table_ = table;
    return look;
}

BleGattLink::Snapshot BleGattLink::Copy() const {
    std::lock_guard lock(mutex_);
    return Snapshot{vidPattern_, pidPattern_, table_};
}

std::optional<BleGattLink::OpenInterface> BleGattLink::OpenMatching(const std::string& path,
                                                                    const Snapshot& snapshot) {
    if (!MatchesMouseInterface(path, snapshot.vid, snapshot.pid, snapshot.table))
        return std::nullopt;
    OpenInterface open;
    open.handle = ports_.gatt.Open(path);
    if (!open.handle)
        return std::nullopt;
    auto services = open.handle->Services();
    if (!services || services.value().empty()) {
        Trace("the services could not be read: " + services.reason());
        return std::nullopt;
    }
    // The mouse puts everything the program uses into the interface's first service.
    auto characteristics = open.handle->Characteristics(services.value().front());
    if (!characteristics) {
        Trace("the characteristics could not be read: " + characteristics.reason());
        return std::nullopt;
    }
    open.characteristics = std::move(characteristics).value();
    return open;
}

int BleGattLink::SubscribeNotifications() {
    {
        const Snapshot before = Copy();
        if (before.vid.empty() || before.pid.empty())
            return 0;
    }
    ScanBluetoothAddresses();
    const Snapshot snapshot = Copy();
    auto interfaces = ports_.gatt.PresentServiceInterfaces();
    if (!interfaces) {
        Trace("the service interfaces could not be listed");
        return 0;
    }
    for (const std::string& path : *interfaces) {
        auto open = OpenMatching(path, snapshot);
        if (!open)
            continue;
        for (const GattCharacteristic& characteristic : open->characteristics) {
            if (HasShortUuid(characteristic, kBleNotifyUuid) && characteristic.notifiable) {
                Trace(path);
                Subscribe(*open->handle, characteristic);
            }
        }
    }
    Trace("service interfaces looked at: " + std::to_string(interfaces->size()));
    return 0;
}

void BleGattLink::Subscribe(GattServiceHandle& handle, const GattCharacteristic& characteristic) {
    // The link listens before the notifications start: the mouse tells its state the moment
    // they are on, and a report that arrives before anyone listens is lost.
    auto registration = handle.RegisterValueChanged(
        characteristic,
        [this](const std::uint8_t* data, std::size_t size) { OnValueChanged(data, size); });
    if (!registration || registration.value() == 0) {
        Trace("no registration for value changes: " + registration.reason());
        return;
    }
    bool keep = true;
    {
        std::lock_guard lock(mutex_);
        // The mouse left while this ran: its disconnection has already unregistered the rest.
        keep = !vidPattern_.empty();
        if (keep)
            registrations_.push_back(registration.value());
    }
    if (!keep) {
        ports_.gatt.UnregisterEvent(registration.value());
        return;
    }
    const auto descriptors = handle.Descriptors(characteristic);
    if (!descriptors)
        Trace("the descriptors could not be read: " + descriptors.reason());
    for (const GattDescriptor& descriptor : descriptors.value()) {
        const auto value = handle.DescriptorValue(descriptor);
        if (!value)
            Trace("a descriptor value could not be read: " + value.reason());
        if (descriptor.attributeHandle >= kHighestWrittenDescriptor)
            continue;
        const Result subscribed = handle.SubscribeToNotifications(descriptor);
        Trace(subscribed ? "notifications set for service handle " +
                               std::to_string(descriptor.serviceHandle)
                         : "the notifications could not be set: " + subscribed.reason());
    }
}

void BleGattLink::OnValueChanged(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        Trace("notification without data");
        return;
    }
    // A status message is two 16-bit words; anything shorter has nothing to decode.
    if (size < 4 || data == nullptr)
        return;
    const auto a = static_cast<std::uint16_t>(data[0] | (data[1] << 8));
    const auto v = static_cast<std::uint16_t>(data[2] | (data[3] << 8));
    ports_.notifications.OnBleNotification(a, v);
}

bool BleGattLink::VisitWriteCharacteristics(const Snapshot& snapshot, const WriteVisitor& visit) {
    auto interfaces = ports_.gatt.PresentServiceInterfaces();
    if (!interfaces)
        return false;
    for (const std::string& path : *interfaces) {
        auto open = OpenMatching(path, snapshot);
        if (!open)
            continue;
        for (const GattCharacteristic& characteristic : open->characteristics) {
            if (HasShortUuid(characteristic, kBleWriteUuid) && characteristic.writable &&
                visit(path, *open, characteristic))
                return true;
        }
    }
    return false;
}

Result BleGattLink::WriteCharacteristic(const std::uint8_t* data, std::size_t length) {
    const Snapshot snapshot = Copy();
    if (snapshot.vid.empty() || snapshot.pid.empty())
        return Result::Failed("the mouse is not connected");
    if (data == nullptr || length > kBleMaxWriteLength)
        return Result::Failed("the report does not fit one write");
    // The failure of the last characteristic tried, when none took the report.
    Result written = Result::Failed("no writable characteristic of the mouse was found");
    VisitWriteCharacteristics(snapshot, [&](const std::string& path, OpenInterface& open,
                                            const GattCharacteristic& characteristic) {
        Trace(path);
        const auto context = open.handle->BeginReliableWrite();
        if (!context) {
            written = context;
            return false;
        }
        written =
            open.handle->SetCharacteristicValue(characteristic, data, length, context.value());
        Trace(written ? "written" : "not written");
        if (context.value() != 0)
            open.handle->EndReliableWrite(context.value());
        return written.ok();
    });
    return written;
}

BleGattLink::Look BleGattLink::LookAtMouse() {
    Look look = Scan();
    Snapshot snapshot = Copy();
    snapshot.vid = kBleVidPattern;
    snapshot.pid = kBlePidPattern;
    look.writable = VisitWriteCharacteristics(
        snapshot,
        [](const std::string&, OpenInterface&, const GattCharacteristic&) { return true; });
    return look;
}

BleAddressTable BleGattLink::AddressTable() const {
    std::lock_guard lock(mutex_);
    return table_;
}

std::string BleGattLink::VidPattern() const {
    std::lock_guard lock(mutex_);
    return vidPattern_;
}

std::string BleGattLink::PidPattern() const {
    std::lock_guard lock(mutex_);
    return pidPattern_;
}

GattEventHandle BleGattLink::EventHandle() const {
    std::lock_guard lock(mutex_);
    return registrations_.empty() ? 0 : registrations_.back();
}

std::vector<GattEventHandle> BleGattLink::Registrations() const {
    std::lock_guard lock(mutex_);
    return registrations_;
}

}  // namespace ms1
