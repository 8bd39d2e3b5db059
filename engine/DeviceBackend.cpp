#include "engine/DeviceBackend.h"

#include <QSocketNotifier>

#include "platform/bluez/BluezGattPlatform.h"
#include "sim/Simulation.h"
#include "sim/SteadySimClock.h"
#include "sim/VirtualCable.h"
#include "sim/VirtualGattMouse.h"
#include "transport/RealHidApi.h"
#include "transport/UdevMonitor.h"
#include "transport/VendorHidBinding.h"

namespace ms1 {

std::unique_ptr<DeviceBackend> DeviceBackend::Real(const std::string& programFolder) {
    std::unique_ptr<DeviceBackend> backend(new DeviceBackend());
    backend->realHid_ = std::make_unique<RealHidApi>();
    backend->realHid_->Init();
    auto loaded = VendorHidLibrary::Load(programFolder);
    backend->noWiredLink_ = loaded.reason();  // empty when it loaded
    backend->vendorLibrary_ = std::move(loaded).value();
    backend->bluez_ = std::make_unique<BluezGattPlatform>();
    return backend;
}

std::unique_ptr<DeviceBackend> DeviceBackend::Simulated(const std::string& scenario) {
    std::unique_ptr<DeviceBackend> backend(new DeviceBackend());
    backend->bus_ = sim::MakeSimulation(scenario);
    if (!backend->bus_)
        return nullptr;
    return backend;
}

std::unique_ptr<DeviceBackend> DeviceBackend::Empty() {
    std::unique_ptr<DeviceBackend> backend(new DeviceBackend());
    backend->bus_ = std::make_unique<sim::VirtualHidBus>(std::make_shared<sim::SteadySimClock>());
    return backend;
}

DeviceBackend::~DeviceBackend() {
    Stop();
}

HidApi& DeviceBackend::Hid() {
    return bus_ ? static_cast<HidApi&>(*bus_) : static_cast<HidApi&>(*realHid_);
}

DeviceSession& DeviceBackend::Open(const Owner& owner) {
    // The wired mouse: the virtual mouse's cable when simulating one, else the vendor library
    // beside the program. Without either the wired link is simply never up.
    VendorHidFunctions vendor;
    if (bus_ != nullptr) {
        if (bus_->Cable() != nullptr)
            vendor = bus_->Cable()->Functions();
    } else if (vendorLibrary_ != nullptr) {
        vendor = vendorLibrary_->Functions();
    }
    wired_ = std::make_unique<VendorHidBinding>(std::move(vendor), owner.window);

    DeviceSession::Ports ports{Hid(), owner.profiles, owner.status, owner.applyView, owner.window};
    ports.wiredDevice = wired_.get();
    ports.wiredReports = wired_.get();
    if (bus_ != nullptr) {
        ports.gatt = bus_->Gatt();
    } else {
        ports.gatt = bluez_.get();
    }
    session_ = std::make_unique<DeviceSession>(ports);
    return *session_;
}

void DeviceBackend::Start() {
    // The presence test of the Bluetooth LE mouse: hidapi sees it under its own ids. BlueZ
    // then has to confirm a writable link before it counts as connected.
    session_->Start(HidSeesBleMouse(Hid()));
}

void DeviceBackend::FollowDeviceEvents() {
    if (bus_ != nullptr) {
        bus_->SetEventSink(&session_->deviceEvents());
        return;
    }
    udev_ = std::make_unique<UdevMonitor>(session_->deviceEvents());
    if (!udev_->IsActive())
        return;
    udevNotifier_ = std::make_unique<QSocketNotifier>(udev_->Fd(), QSocketNotifier::Read);
    QObject::connect(udevNotifier_.get(), &QSocketNotifier::activated,
                     [this] { udev_->ProcessPending(); });
}

void DeviceBackend::Stop() {
    if (stopped_ || !session_)
        return;
    stopped_ = true;
    udevNotifier_.reset();
    if (bus_)
        bus_->SetEventSink(nullptr);
    session_->Stop();
    // Feature device first, then the monitor; nothing is posted after this.
    wired_->Close();
}

}  // namespace ms1
