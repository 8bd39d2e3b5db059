#include "cli/HeadlessHost.h"

#include <QTimer>
#include <algorithm>

#include "platform/WindowMessages.h"
#include "platform/bluez/BluezGattPlatform.h"
#include "sim/Simulation.h"
#include "sim/SteadySimClock.h"
#include "sim/VirtualCable.h"
#include "sim/VirtualGattMouse.h"
#include "storage/DataFolders.h"
#include "transport/DeviceAccessHint.h"
#include "transport/RealHidApi.h"

namespace ms1::cli {
namespace {

// Message of the host's own hub: the worker finished an apply.
constexpr std::uint32_t kMsgApplyDone = 0x0701;

using Stage = BleGattLink::StartUpStage;

Stage BleStage(DeviceSession& session) {
    const BleGattLink* ble = session.ble();
    return ble != nullptr ? ble->startUpStage() : Stage::kNoMouse;
}

}  // namespace

bool MouseConnected(LinkFlags& flags) {
    return flags.wiredConnected.load() == 1 || flags.wirelessConnected.load() != 0 ||
           flags.bleConnected.load() != 0;
}

bool HeadlessHost::CheckScenario(CliContext& context, const CliCommand& command) {
    if (!context.simulate)
        return true;
    const auto& known = sim::SimulationScenarios();
    if (std::find(known.begin(), known.end(), *context.simulate) != known.end())
        return true;
    std::string names;
    for (const std::string& name : known)
        names += (names.empty() ? "" : ", ") + name;
    UsageError(context, command,
               "unknown scenario \"" + *context.simulate + "\" (scenarios: " + names + ")");
    return false;
}

HeadlessHost::HeadlessHost(const std::optional<std::string>& scenario, const ProfileRecord& profile)
    : app_(QCoreApplication::instance() ? nullptr
                                        : std::make_unique<QCoreApplication>(argc_, argv_)),
      profiles_(profile) {
    HidApi* hid = nullptr;
    if (scenario) {
        bus_ = sim::MakeSimulation(*scenario);
        if (!bus_) {  // an unknown name: an empty bus, on which no mouse is found
            bus_ = std::make_unique<sim::VirtualHidBus>(std::make_shared<sim::SteadySimClock>());
        }
        hid = bus_.get();
    } else {
        realHid_ = std::make_unique<RealHidApi>();
        realHid_->Init();
        hid = realHid_.get();
    }
    // The wired mouse: the virtual cable, or the vendor library beside ms1ctl. Its messages go
    // to the session, which decodes them as the main window has the page do.
    VendorHidFunctions vendor;
    if (bus_ != nullptr) {
        if (bus_->Cable() != nullptr)
            vendor = bus_->Cable()->Functions();
    } else if ((vendorLibrary_ = VendorHidLibrary::Load(GetProgramFolder())) != nullptr) {
        vendor = vendorLibrary_->Functions();
    }
    wired_ = std::make_unique<VendorHidBinding>(std::move(vendor), window_);
    DeviceSession::Ports ports{*hid, profiles_, view_, *this, window_};
    ports.wiredDevice = wired_.get();
    ports.wiredReports = wired_.get();
    if (bus_ != nullptr) {
        ports.gatt = bus_->Gatt();
    } else {
        bluez_ = std::make_unique<BluezGattPlatform>();
        ports.gatt = bluez_.get();
    }
    session_ = std::make_unique<DeviceSession>(ports);
    window_.SetHandler([this](const Message& message) {
        if (message.number == MSG_WIRED_DATA || message.number == MSG_WIRED_STATE)
            session_->HandleMessage(message);
        Look();
        return true;
    });
    view_.SetOnChange([this] { Look(); });
    session_->SetApplyListener([this](const ApplyResult& result) {
        {
            std::lock_guard lock(resultMutex_);
            result_ = result;
        }
        window_.Post(kMsgApplyDone, 0, 0);
    });
}

HeadlessHost::~HeadlessHost() {
    session_->Stop();
    wired_->Close();
    session_.reset();
}

void HeadlessHost::AnnounceVirtualMouseSettings() {
    if (bus_ == nullptr)
        return;
    const sim::VirtualCable* cable = bus_->Cable();
    for (int receiver = 0; receiver < bus_->ReceiverCount(); ++receiver) {
        const bool onCable = cable != nullptr && cable->Receiver() == receiver && cable->Plugged();
        const sim::VirtualGattMouse* gatt = bus_->Gatt();
        const bool onBle = gatt != nullptr && gatt->Receiver() == receiver && gatt->Connected();
        if (bus_->IsPlugged(receiver) || onCable || onBle)
            bus_->WithMouse(receiver, [](sim::VirtualMouse& mouse) { mouse.AnnounceSettings(); });
    }
}

HeadlessHost::Connection HeadlessHost::ConnectMouse(std::chrono::milliseconds patience) {
    HidApi& hid = bus_ ? static_cast<HidApi&>(*bus_) : *realHid_;
    session_->Start(HidSeesBleMouse(hid));
    LinkFlags& flags = session_->flags();
    DeviceSession& session = *session_;
    // ms1ctl does not follow receiver arrivals, so without a receiver now, and with no
    // Bluetooth LE mouse that may still connect, there is nothing to wait for.
    WaitFor([&] { return MouseConnected(flags) || !MayConnect(session); }, patience);
    const Connection connection = ConnectionOf(session);
    if (connection == Connection::kNoAccess)
        deniedPath_ = session.link().State().deniedPath;
    return connection;
}

bool HeadlessHost::MayConnect(DeviceSession& session) {
    const BleGattLink* ble = session.ble();
    const Stage stage = BleStage(session);
    return session.link().ReceiverPluggedIn() || stage == Stage::kPending ||
           (stage == Stage::kNoWritableLink && ble != nullptr && ble->platformAnswered());
}

HeadlessHost::Connection HeadlessHost::ConnectionOf(DeviceSession& session) {
    if (MouseConnected(session.flags()))
        return Connection::kConnected;
    if (session.link().ReceiverPluggedIn())
        return Connection::kSilentMouse;
    if (BleStage(session) == Stage::kNoWritableLink) {
        return session.ble()->platformAnswered() ? Connection::kBleNotConnected
                                                 : Connection::kNoBleLink;
    }
    return session.link().State().deniedPath.empty() ? Connection::kNoReceiver
                                                     : Connection::kNoAccess;
}

std::string HeadlessHost::NoMouseText(const char* command, Connection connection,
                                      const std::string& deniedPath) {
    std::string text = std::string("ms1ctl ") + command + ": no mouse connected (";
    if (connection == Connection::kNoAccess) {
        return text + "permission denied on " + deniedPath +
               ")\nms1ctl: " + DeviceAccessHint::For(GetProgramFolder()).Text() + "\n";
    }
    switch (connection) {
        case Connection::kNoReceiver:
            text += "no 2.4 GHz receiver found";
            break;
        case Connection::kNoBleLink:
            text += "the Bluetooth LE mouse has no writable GATT link; is bluetoothd running?";
            break;
        case Connection::kBleNotConnected:
            text += "the Bluetooth LE mouse did not connect with a writable GATT link within 3 s";
            break;
        default:
            text += "the receiver did not hear from the mouse within 3 s";
            break;
    }
    return text + ")\n";
}

bool HeadlessHost::WaitFor(const std::function<bool()>& done, std::chrono::milliseconds patience) {
    if (done())
        return true;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(patience);
    waiting_ = &loop;
    done_ = done;
    loop.exec();
    waiting_ = nullptr;
    done_ = nullptr;
    return done();
}

ApplyResult HeadlessHost::Apply() {
    {
        std::lock_guard lock(resultMutex_);
        result_.reset();
    }
    session_->RequestApply();
    auto finished = [this] {
        std::lock_guard lock(resultMutex_);
        return result_.has_value();
    };
    // The pauses bound an apply (ten passes of a macro page take 30 s); wait for its end.
    while (!WaitFor(finished, std::chrono::hours(1))) {
    }
    std::lock_guard lock(resultMutex_);
    return *result_;
}

void HeadlessHost::Look() {
    if (waiting_ && done_ && done_())
        waiting_->quit();
}

}  // namespace ms1::cli
