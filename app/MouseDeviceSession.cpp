#include "app/MouseDeviceSession.h"

#include <QSocketNotifier>

#include "cli/HeadlessHost.h"
#include "engine/DeviceSession.h"
#include "engine/StatusRecorder.h"
#include "platform/DebugLog.h"
#include "platform/bluez/BluezGattPlatform.h"
#include "sim/Simulation.h"
#include "sim/VirtualCable.h"
#include "sim/VirtualGattMouse.h"
#include "storage/DataFolders.h"
#include "transport/RealHidApi.h"
#include "transport/UdevMonitor.h"
#include "transport/VendorHidBinding.h"

namespace ms1 {

std::unique_ptr<MouseDeviceSession> MouseDeviceSession::Create(
    const std::optional<std::string>& scenario) {
    std::unique_ptr<MouseDeviceSession> session(new MouseDeviceSession());
    if (scenario) {
        session->bus_ = sim::MakeSimulation(*scenario);
        if (!session->bus_)
            return nullptr;
    } else {
        session->realHid_ = std::make_unique<RealHidApi>();
    }
    return session;
}

MouseDeviceSession::~MouseDeviceSession() {
    Stop();
}

void MouseDeviceSession::Start(const PageDeviceContext& context) {
    HidApi& hid = bus_ ? static_cast<HidApi&>(*bus_) : static_cast<HidApi&>(*realHid_);
    // The presence test of the Bluetooth LE mouse: hidapi sees it under its own ids. BlueZ
    // then has to confirm a writable link before the page says "connected".
    const bool bleMousePresent = HidSeesBleMouse(hid);

    // The wired mouse: the virtual mouse's cable when simulating one, else the vendor library
    // beside the program. Without either the wired link is simply never up.
    VendorHidFunctions vendor;
    if (bus_ != nullptr) {
        if (bus_->Cable() != nullptr)
            vendor = bus_->Cable()->Functions();
    } else {
        std::string why;
        vendorLibrary_ = VendorHidLibrary::Load(GetProgramFolder(), &why);
        if (vendorLibrary_ != nullptr) {
            vendor = vendorLibrary_->Functions();
        } else {
            qCWarning(lcMs1) << "no wired link:" << why.c_str();
        }
    }
    // Its monitor posts 1539 and 1540 to the main window, which hands them back to the page.
    wired_ = std::make_unique<VendorHidBinding>(std::move(vendor), context.window);

    recorder_ = std::make_unique<StatusRecorder>(&context.status);
    DeviceSession::Ports ports{hid, context.profiles, *recorder_, context.applyView,
                               context.window};
    ports.wiredDevice = wired_.get();
    ports.wiredReports = wired_.get();
    if (bus_ != nullptr) {
        ports.gatt = bus_->Gatt();
    } else {
        bluez_ = std::make_unique<BluezGattPlatform>();
        ports.gatt = bluez_.get();
    }
    session_ = std::make_unique<DeviceSession>(ports);
    if (bus_) {
        bus_->SetEventSink(&session_->deviceEvents());
    } else {
        udev_ = std::make_unique<UdevMonitor>(session_->deviceEvents());
        if (udev_->IsActive()) {
            udevNotifier_ = std::make_unique<QSocketNotifier>(udev_->Fd(), QSocketNotifier::Read);
            QObject::connect(udevNotifier_.get(), &QSocketNotifier::activated,
                             [this] { udev_->ProcessPending(); });
        } else {
            qCWarning(lcMs1) << "no device notifications: receivers plugged in later are not seen";
        }
    }
    session_->Start(bleMousePresent);
}

void MouseDeviceSession::Stop() {
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

void MouseDeviceSession::RequestApply() {
    if (session_)
        session_->RequestApply();
}

void MouseDeviceSession::RequestApplyDelayed(int milliseconds) {
    if (session_)
        session_->RequestApplyDelayed(milliseconds);
}

bool MouseDeviceSession::AnyConnected() const {
    return session_ && session_->flags().anyConnected.load() != 0;
}

std::string MouseDeviceSession::AccessProblem() const {
    return session_ ? session_->link().State().deniedPath : std::string();
}

bool MouseDeviceSession::ReceiverPluggedIn() const {
    return session_ && session_->link().ReceiverPluggedIn();
}

bool MouseDeviceSession::ReceiverPresent() const {
    if (!session_)
        return false;
    return ReceiverPluggedIn() || cli::HeadlessHost::MayConnect(*session_);
}

bool MouseDeviceSession::HandleMessage(const Message& message) {
    return session_ && session_->HandleMessage(message);
}

void MouseDeviceSession::RefreshLinkSections() {
    if (session_)
        session_->status().RefreshLinkSections();
}

}  // namespace ms1
