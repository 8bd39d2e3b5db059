#include "sim/VirtualGattMouse.h"

#include "sim/VirtualHidBus.h"
#include "sim/VirtualMouse.h"

namespace ms1::sim {
namespace {

constexpr std::uint8_t kStatusReportId = 0x11;
constexpr std::uint16_t kNotifyHandle = 0x0011;
constexpr std::uint16_t kWriteHandle = 0x0014;

std::string BaseUuid(const char* shortUuid) {
    return std::string("0000") + shortUuid + "-0000-1000-8000-00805f9b34fb";
}

// A GATT service interface path as the system names it: the service UUID, the device's ids
// and its address, the instance, the interface class.
std::string InterfacePath(const char* serviceUuid, const char* ids, const char* address,
                          int instance) {
    return "\\\\?\\BTHLEDevice#{" + BaseUuid(serviceUuid) + "}_Dev_" + ids + "_" + address +
           "#8&2a4b7f1&0&000" + std::to_string(instance) +
           "#{6e3bb679-4372-40c8-9eaa-4509df260cd8}";
}

GattCharacteristic Characteristic(std::uint16_t service, std::uint16_t handle, const char* uuid) {
    GattCharacteristic c;
    c.serviceHandle = service;
    c.attributeHandle = handle;
    c.valueHandle = static_cast<std::uint16_t>(handle + 1);
    c.uuid = BaseUuid(uuid);
    return c;
}

GattDescriptor Configuration(const GattCharacteristic& c) {
    GattDescriptor d;
    d.serviceHandle = c.serviceHandle;
    d.characteristicHandle = c.attributeHandle;
    d.attributeHandle = static_cast<std::uint16_t>(c.valueHandle + 1);
    d.type = kGattClientConfiguration;
    d.uuid = BaseUuid("2902");
    return d;
}

}  // namespace

struct VirtualGattMouse::Service {
    std::string path;
    bool mouse = true;
    GattService service;
    std::vector<GattCharacteristic> characteristics;
};

// One open service interface; every call goes back to the mouse.
class VirtualGattMouse::Handle final : public GattServiceHandle {
  public:
    Handle(VirtualGattMouse& owner, const Service& service) : owner_(owner), service_(service) {}

    ResultOf<std::vector<GattService>> Services() override {
        return Answer(std::vector<GattService>{service_.service});
    }
    ResultOf<std::vector<GattCharacteristic>> Characteristics(const GattService&) override {
        return Answer(service_.characteristics);
    }
    ResultOf<std::vector<GattDescriptor>> Descriptors(const GattCharacteristic& c) override {
        std::vector<GattDescriptor> descriptors;
        if (c.notifiable)
            descriptors.push_back(Configuration(c));
        return Answer(descriptors);
    }
    ResultOf<std::vector<std::uint8_t>> DescriptorValue(const GattDescriptor&) override {
        return Answer(
            std::vector<std::uint8_t>{owner_.notifying_ ? std::uint8_t{1} : std::uint8_t{0}, 0});
    }
    Result SubscribeToNotifications(const GattDescriptor& descriptor) override {
        return owner_.Subscribe(service_, descriptor);
    }
    ResultOf<GattEventHandle> RegisterValueChanged(const GattCharacteristic& c,
                                                   GattValueCallback callback) override {
        return owner_.Register(service_, c, std::move(callback));
    }
    ResultOf<std::uint64_t> BeginReliableWrite() override { return Answer(std::uint64_t{0}); }
    Result SetCharacteristicValue(const GattCharacteristic& c, const std::uint8_t* data,
                                  std::size_t length, std::uint64_t) override {
        return owner_.Write(service_, c, data, length);
    }
    void EndReliableWrite(std::uint64_t) override {}

  private:
    // A disconnected mouse answers nothing; the keyboard is always there.
    template <typename T>
    ResultOf<T> Answer(T value) const {
        if (service_.mouse && !owner_.connected_)
            return ResultOf<T>::Failed(GattFailed(GattFailure::NotConnected));
        return ResultOf<T>::Done(std::move(value));
    }

    VirtualGattMouse& owner_;
    const Service& service_;
};

VirtualGattMouse::VirtualGattMouse(VirtualHidBus& bus, int receiver)
    : bus_(bus), receiver_(receiver) {
    const char* mouseIds = "VID&02045e_PID&a011_REV&0100";
    Service access{
        InterfacePath("1800", mouseIds, kMouseAddress, 1), true, {0x0001, BaseUuid("1800")}, {}};
    GattCharacteristic name = Characteristic(0x0001, 0x0002, "2a00");
    name.readable = true;
    access.characteristics.push_back(name);

    Service battery{
        InterfacePath("180f", mouseIds, kMouseAddress, 2), true, {0x000c, BaseUuid("180f")}, {}};
    GattCharacteristic level = Characteristic(0x000c, 0x000d, "2a19");
    level.readable = true;
    level.notifiable = true;
    battery.characteristics.push_back(level);

    Service vendor{
        InterfacePath("fee0", mouseIds, kMouseAddress, 3), true, {0x0010, BaseUuid("fee0")}, {}};
    GattCharacteristic notify = Characteristic(0x0010, kNotifyHandle, "fee4");
    notify.notifiable = true;
    GattCharacteristic write = Characteristic(0x0010, kWriteHandle, "fee3");
    write.writable = true;
    write.writableWithoutResponse = true;
    vendor.characteristics = {notify, write};

    // The keyboard has the mouse's vendor service too, under its own ids.
    Service keyboard = vendor;
    keyboard.path = InterfacePath("fee0", "VID&02046d_PID&b342_REV&0001", kKeyboardAddress, 1);
    keyboard.mouse = false;

    services_ = {access, battery, vendor, keyboard};
    thread_ = std::thread([this] { Run(); });
}

VirtualGattMouse::~VirtualGattMouse() {
    stop_ = true;
    Changed();
    thread_.join();
}

void VirtualGattMouse::Connect() {
    if (connected_.exchange(true))
        return;
    bus_.WithMouse(receiver_, [](VirtualMouse& mouse) { mouse.PowerUp(); });
    Changed();
    Announce(true);
}

void VirtualGattMouse::Disconnect() {
    if (!connected_.exchange(false))
        return;
    notifying_ = false;
    Changed();
    Announce(false);
}

void VirtualGattMouse::Announce(bool arrival) {
    std::lock_guard lock(sinkMutex_);
    if (sink_ == nullptr)
        return;
    for (const std::string& path : MouseInterfacePaths()) {
        arrival ? sink_->OnDeviceArrival(DeviceEvent{path})
                : sink_->OnDeviceRemoval(DeviceEvent{path});
    }
}

std::vector<std::string> VirtualGattMouse::MouseInterfacePaths() const {
    std::vector<std::string> paths;
    for (const Service& service : services_) {
        if (service.mouse)
            paths.push_back(service.path);
    }
    return paths;
}

int VirtualGattMouse::RegistrationCount() const {
    std::lock_guard lock(registrationMutex_);
    return static_cast<int>(registrations_.size());
}

void VirtualGattMouse::StartDeviceEvents(DeviceEventSink& sink) {
    std::lock_guard lock(sinkMutex_);
    sink_ = &sink;
}

void VirtualGattMouse::StopDeviceEvents() {
    std::lock_guard lock(sinkMutex_);
    sink_ = nullptr;
}

std::optional<std::vector<std::string>> VirtualGattMouse::PresentServiceInterfaces() {
    std::vector<std::string> paths;
    for (const Service& service : services_)
        paths.push_back(service.path);
    return paths;
}

std::optional<std::vector<GattDeviceRecord>> VirtualGattMouse::PresentBluetoothDevices() {
    return std::vector<GattDeviceRecord>{
        {false, "Keyboard K3", std::string("BTHLE\\Dev_") + kKeyboardAddress,
         "VID&02046d_PID&b342_REV&0001"},
        {!connected_, "ms_1", std::string("BTHLE\\Dev_") + kMouseAddress,
         "VID&02045e_PID&a011_REV&0100"}};
}

const VirtualGattMouse::Service* VirtualGattMouse::FindService(const std::string& path) const {
    for (const Service& service : services_) {
        if (service.path == path)
            return &service;
    }
    return nullptr;
}

std::unique_ptr<GattServiceHandle> VirtualGattMouse::Open(const std::string& interfacePath) {
    const Service* service = FindService(interfacePath);
    if (service == nullptr)
        return nullptr;
    return std::make_unique<Handle>(*this, *service);
}

Result VirtualGattMouse::Subscribe(const Service& service, const GattDescriptor& descriptor) {
    if (service.mouse && !connected_)
        return GattFailed(GattFailure::NotConnected);
    if (descriptor.type != kGattClientConfiguration)
        return GattFailed(GattFailure::Failed);
    // Only the mouse's vendor notify characteristic turns its status messages on.
    if (service.mouse && descriptor.characteristicHandle == kNotifyHandle)
        notifying_ = true;
    Changed();
    return Result::Done();
}

ResultOf<GattEventHandle> VirtualGattMouse::Register(const Service& service,
                                                     const GattCharacteristic& characteristic,
                                                     GattValueCallback callback) {
    if (!callback)
        return ResultOf<GattEventHandle>::Failed(GattFailed(GattFailure::Failed));
    std::lock_guard lock(registrationMutex_);
    const GattEventHandle handle = nextHandle_++;
    const bool mouseStatus = service.mouse && characteristic.attributeHandle == kNotifyHandle;
    registrations_[handle] = Registration{mouseStatus, std::move(callback)};
    Changed();
    return ResultOf<GattEventHandle>::Done(handle);
}

Result VirtualGattMouse::UnregisterEvent(GattEventHandle handle) {
    std::lock_guard lock(registrationMutex_);
    return registrations_.erase(handle) == 1 ? Result::Done() : GattFailed(GattFailure::Failed);
}

Result VirtualGattMouse::Write(const Service& service, const GattCharacteristic& characteristic,
                               const std::uint8_t* data, std::size_t length) {
    if (!service.mouse) {
        ++keyboardWrites_;  // the keyboard takes it, and the mouse never hears of it
        return Result::Done();
    }
    if (!connected_)
        return GattFailed(GattFailure::NotConnected);
    if (!characteristic.writable || characteristic.attributeHandle != kWriteHandle)
        return GattFailed(GattFailure::Failed);
    if (refusing_ || bus_.WriteOverGatt(receiver_, data, length) != kAckOk)
        return GattFailed(GattFailure::Refused);
    return Result::Done();
}

void VirtualGattMouse::Changed() {
    ++changes_;
    wake_.Signal();
}

bool VirtualGattMouse::Idle() const {
    const Sleep sleeping = sleeping_.load();
    if (sleeping == Sleep::kAwake || sleptAfter_.load() != changes_.load())
        return false;
    return sleeping == Sleep::kOnChanges || !bus_.MouseReportDue(receiver_);
}

void VirtualGattMouse::Run() {
    while (!stop_) {
        const int seen = changes_.load();
        InputReport report{};
        bool got = false;
        if (connected_ && notifying_ && RegistrationCount() > 0) {
            bus_.WithMouse(receiver_,
                           [&](VirtualMouse& mouse) { got = mouse.TakeInputReport(report); });
        }
        if (!got) {
            // Asleep until the mouse has something to say while someone listens, or until
            // the connection, the notification set-up or the registrations change.
            const bool listening = connected_ && notifying_ && RegistrationCount() > 0;
            sleptAfter_ = seen;
            sleeping_ = listening ? Sleep::kOnMouse : Sleep::kOnChanges;
            if (listening)
                bus_.WaitForMouseReport(receiver_, wake_.Fd());
            else
                wake_.Wait();
            sleeping_ = Sleep::kAwake;
            wake_.Drain();
            continue;
        }
        if (report[0] != kStatusReportId)
            continue;
        // The notification value is the status message itself, without the report id.
        const std::uint8_t value[4] = {report[1], report[2], report[3], report[4]};
        std::lock_guard lock(registrationMutex_);
        for (const auto& [handle, registration] : registrations_) {
            if (registration.mouseStatus)
                registration.callback(value, sizeof value);
        }
    }
}

}  // namespace ms1::sim
