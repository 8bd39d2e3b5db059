#include "cli/HeadlessHost.h"

#include <QTimer>
#include <algorithm>

#include "ports/WindowMessages.h"
#include "sim/Simulation.h"
#include "sim/VirtualCable.h"
#include "sim/VirtualGattMouse.h"
#include "storage/DataFolders.h"
#include "transport/DeviceAccessHint.h"

namespace ms1::cli {
namespace {

// Message of the host's own hub: the worker finished an apply.
constexpr std::uint32_t kMsgApplyDone = 0x0701;

}  // namespace

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
    if (!scenario) {
        backend_ = DeviceBackend::Real(GetProgramFolder());
    } else if ((backend_ = DeviceBackend::Simulated(*scenario)) == nullptr) {
        backend_ = DeviceBackend::Empty();  // an unknown name: no mouse is found
    }
    // The vendor library's messages go to the session, which decodes them as the main window
    // has the page do.
    session_ = &backend_->Open({profiles_, view_, *this, window_});
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
    backend_.reset();
}

void HeadlessHost::AnnounceVirtualMouseSettings() {
    sim::VirtualHidBus* bus = backend_->virtualBus();
    if (bus == nullptr)
        return;
    const sim::VirtualCable* cable = bus->Cable();
    for (int receiver = 0; receiver < bus->ReceiverCount(); ++receiver) {
        const bool onCable = cable != nullptr && cable->Receiver() == receiver && cable->Plugged();
        const sim::VirtualGattMouse* gatt = bus->Gatt();
        const bool onBle = gatt != nullptr && gatt->Receiver() == receiver && gatt->Connected();
        if (bus->IsPlugged(receiver) || onCable || onBle)
            bus->WithMouse(receiver, [](sim::VirtualMouse& mouse) { mouse.AnnounceSettings(); });
    }
}

HeadlessHost::Connection HeadlessHost::ConnectMouse(std::chrono::milliseconds patience) {
    backend_->Start();
    LinkFlags& flags = session_->flags();
    DeviceSession& session = *session_;
    // ms1ctl does not follow receiver arrivals, so without a receiver now, and with no
    // Bluetooth LE mouse that may still connect, there is nothing to wait for.
    WaitFor([&] { return flags.AnyLinkUp() || !MayConnect(session); }, patience);
    const Connection connection = ConnectionOf(session);
    if (connection == Connection::kNoAccess)
        deniedPath_ = session.link().State().deniedPath;
    return connection;
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
