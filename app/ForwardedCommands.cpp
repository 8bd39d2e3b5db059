#include "app/ForwardedCommands.h"

#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>
#include <cstring>
#include <sstream>

#include "app/MouseDeviceSession.h"
#include "cli/AppProfileRulesEdit.h"
#include "cli/DeviceCommands.h"
#include "cli/Forwarding.h"
#include "cli/HeadlessHost.h"
#include "cli/StoreImports.h"
#include "core/Utf16Text.h"
#include "engine/DeviceSession.h"
#include "engine/StatusRecorder.h"
#include "sim/VirtualHidBus.h"
#include "ui/page/CMS_1_Page.h"

namespace ms1 {
namespace {

using namespace std::chrono_literals;

// Looks at `done` on the window thread every 50 ms until it holds or `patience` has passed,
// then calls `then` with whether it held. Never blocks the window.
void WaitFor(QObject* owner, std::function<bool()> done, std::chrono::milliseconds patience,
             std::function<void(bool)> then) {
    if (done()) {
        then(true);
        return;
    }
    auto* timer = new QTimer(owner);
    const QDeadlineTimer deadline(patience);
    QObject::connect(timer, &QTimer::timeout, owner, [=] {
        const bool held = done();
        if (!held && !deadline.hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        then(held);
    });
    timer->start(50);
}

bool MouseConnected(const MouseDeviceSession* device) {
    return device != nullptr && device->AnyConnected();
}

}  // namespace

// One command under way: its reply and what it printed so far.
struct ForwardedCommands::Command {
    Command(QJsonObject request, std::shared_ptr<InstanceReply> reply)
        : request(std::move(request)), reply(std::move(reply)) {
        if (this->request.contains("simulate"))
            context.simulate = this->request["simulate"].toString().toStdString();
        context.workingFolder = this->request["cwd"].toString().toStdString();
    }

    std::string Text(const char* key) const { return request[key].toString().toStdString(); }

    void Finish(int exitCode) {
        reply->Out(out.str());
        reply->Err(err.str());
        out.str({});
        err.str({});
        reply->Finish(exitCode);
    }

    QJsonObject request;
    std::shared_ptr<InstanceReply> reply;
    std::ostringstream out;
    std::ostringstream err;
    cli::CliContext context{out, err, std::nullopt};
};

ForwardedCommands::ForwardedCommands(Ports ports) : ports_(std::move(ports)) {}

ForwardedCommands::~ForwardedCommands() = default;

void ForwardedCommands::Handle(const QJsonObject& request, std::shared_ptr<InstanceReply> reply) {
    auto command = std::make_shared<Command>(request, std::move(reply));
    const std::string name = command->Text("command");
    const bool ruleCommand = name == "app-profile set" || name == "app-profile unset";
    const bool storeCommand = name == "profile import" || name == "macro import" ||
                              name == "profile use" || (ruleCommand && ports_.rules);
    const bool deviceCommand = name == "status" || name == "apply";
    if (storeCommand &&
        cli::AbsoluteFolder(command->Text("data")) != cli::AbsoluteFolder(ports_.dataFolder)) {
        command->reply->Decline();
        return;
    }
    if (deviceCommand &&
        (ports_.device == nullptr || command->context.simulate != ports_.scenario)) {
        command->reply->Decline();
        return;
    }
    if (!storeCommand && !deviceCommand) {
        command->reply->Decline();
        return;
    }
    command->reply->Accept();
    if (name == "profile use") {
        RunProfileUse(command);
    } else if (ruleCommand) {
        RunAppProfile(command, name == "app-profile set");
    } else if (storeCommand) {
        RunImport(command, name == "profile import");
    } else if (name == "status") {
        RunStatus(command);
    } else {
        RunApply(command);
    }
}

void ForwardedCommands::RunImport(const std::shared_ptr<Command>& command, bool profile) {
    cli::CliContext& context = command->context;
    const std::string file = command->Text("file");
    auto bytes =
        profile ? cli::ReadProfileToImport(context, file) : cli::ReadMacroToImport(context, file);
    if (!bytes) {
        command->Finish(cli::kExitRefusedFile);
        return;
    }
    const int code =
        ports_.page.ChangeStores([&](ProfileStore::Access& profiles, MacroStore::Access& macros) {
            return profile ? cli::ImportProfileInto(context, file, *bytes, profiles, macros)
                           : cli::ImportMacroInto(context, file, *bytes, macros);
        });
    command->Finish(code);
}

void ForwardedCommands::RunAppProfile(const std::shared_ptr<Command>& command, bool set) {
    cli::CliContext& context = command->context;
    const std::string app = command->Text("app");
    const int code =
        set ? ports_.page.ChangeStores([&](ProfileStore::Access& profiles, MacroStore::Access&) {
            return cli::SetAppProfileIn(context, *ports_.rules, profiles, app,
                                        command->Text("profile"));
        })
            : cli::UnsetAppProfileIn(context, *ports_.rules, app);
    command->Finish(code);
}

void ForwardedCommands::AwaitMouse(const std::shared_ptr<Command>& command,
                                   std::function<void(bool)> then) {
    (void)command;
    MouseDeviceSession* device = ports_.device;
    if (MouseConnected(device)) {
        then(true);
        return;
    }
    // Nothing to wait for without a receiver or a Bluetooth LE mouse that may connect, as
    // in ms1ctl.
    if (device == nullptr || !device->ReceiverPresent()) {
        then(false);
        return;
    }
    WaitFor(
        &context_, [device] { return MouseConnected(device); }, cli::kConnectPatience,
        std::move(then));
}

std::string ForwardedCommands::NoMouseText(const char* command) const {
    DeviceSession* session = ports_.device->Session();
    const Connection connection =
        session != nullptr ? ConnectionOf(*session) : Connection::kNoReceiver;
    return cli::HeadlessHost::NoMouseText(command, connection, ports_.device->AccessProblem());
}

void ForwardedCommands::RunStatus(const std::shared_ptr<Command>& command) {
    // The virtual mice tell their stage and rate, as ms1ctl's own run has them do.
    if (sim::VirtualHidBus* bus = ports_.device->VirtualBus()) {
        for (int receiver = 0; receiver < bus->ReceiverCount(); ++receiver)
            bus->WithMouse(receiver, [](sim::VirtualMouse& mouse) { mouse.AnnounceSettings(); });
    }
    AwaitMouse(command, [this, command](bool connected) {
        if (!connected) {
            command->err << NoMouseText("status");
            command->Finish(cli::kExitNoMouse);
            return;
        }
        MouseDeviceSession* device = ports_.device;
        WaitFor(
            &context_,
            [device] {
                const StatusRecorder* view = device->Recorder();
                return view != nullptr && view->Battery() && view->StageReported() &&
                       view->RateReported();
            },
            cli::ReportPatience(device->Session()->flags()),
            [this, command](bool) { PrintStatus(command); });
    });
}

void ForwardedCommands::PrintStatus(const std::shared_ptr<Command>& command) {
    DeviceSession* session = ports_.device->Session();
    const StatusRecorder* view = ports_.device->Recorder();
    if (session == nullptr || view == nullptr) {
        command->Finish(cli::kExitNoMouse);
        return;
    }
    int stage = 0;
    int rate = 0;
    {
        auto lock = ports_.page.Lock();
        stage = ports_.page.Working().activeStage + 1;
        rate = ports_.page.Working().pollingRate;
    }
    cli::PrintStatus(command->context, session->flags(), *view, stage, rate);
    command->Finish(cli::kExitOk);
}

void ForwardedCommands::RunProfileUse(const std::shared_ptr<Command>& command) {
    const std::string name = command->Text("name");
    // The program is the one writer of its stores, so the choice is made here even for a
    // mouse that is not the program's: the program's own mouse gets it then.
    const bool ownMouse = ports_.device != nullptr && command->context.simulate == ports_.scenario;
    if (!ports_.page.UseProfile(FromUtf8(name), /*apply=*/!ownMouse)) {
        command->err << "ms1ctl profile: no profile named " << name << "\n";
        command->Finish(cli::kExitRefusedFile);
        return;
    }
    if (!ownMouse) {
        // On disk now: a later ms1ctl reads the choice from there.
        ports_.page.SaveProfiles();
        command->err << "ms1ctl profile use: no mouse connected (ms1 runs here without "
                        "that mouse; it made the profile active and sends it to its own)\n";
        command->Finish(cli::kExitNoMouse);
        return;
    }
    std::shared_ptr<ProfileRecord> profile = MakeZeroedProfile();
    {
        auto lock = ports_.page.Lock();
        std::memcpy(profile.get(), &ports_.page.Working(), sizeof(ProfileRecord));
    }
    RunApplyOf(command, profile, "profile use");
}

void ForwardedCommands::RunApply(const std::shared_ptr<Command>& command) {
    std::shared_ptr<ProfileRecord> profile =
        cli::ReadProfileToApply(command->context, command->Text("file"));
    if (!profile) {
        command->Finish(cli::kExitRefusedFile);
        return;
    }
    RunApplyOf(command, profile, "apply");
}

void ForwardedCommands::RunApplyOf(const std::shared_ptr<Command>& command,
                                   std::shared_ptr<ProfileRecord> profile, const char* name) {
    AwaitMouse(command, [this, command, profile, name](bool connected) {
        DeviceSession* session = ports_.device->Session();
        if (!connected || session == nullptr) {
            // A profile made active without its mouse goes whole with the page's apply once
            // the mouse connects.
            command->err << NoMouseText(name);
            command->Finish(cli::kExitNoMouse);
            return;
        }
        sim::VirtualHidBus* bus = ports_.device->VirtualBus();
        const std::size_t packetsBefore = bus ? bus->ReceivedPackets().size() : 0;
        const bool dumpDevice = command->request["dumpDevice"].toBool();
        // Both listeners run on the apply worker; what they print goes out on this thread.
        QPointer<QObject> owner(&context_);
        std::shared_ptr<InstanceReply> reply = command->reply;
        session->ApplyProfileOnce(
            *profile,
            [owner, reply](const SentReport& sent) {
                const std::string line = cli::ReportLine(sent) + "\n";
                QMetaObject::invokeMethod(
                    owner, [reply, line] { reply->Out(line); }, Qt::QueuedConnection);
            },
            [owner, command, bus, packetsBefore, dumpDevice, name](const ApplyResult& result) {
                QMetaObject::invokeMethod(
                    owner,
                    [command, bus, packetsBefore, dumpDevice, result, name] {
                        if (!result.ran) {
                            command->err << "ms1ctl " << name
                                         << ": the mouse went away before the apply\n";
                            command->Finish(cli::kExitNoMouse);
                            return;
                        }
                        if (dumpDevice && bus != nullptr) {
                            const auto packets = bus->ReceivedPackets();
                            for (std::size_t i = packetsBefore; i < packets.size(); ++i)
                                command->out << cli::PacketLine(packets[i].bytes) << "\n";
                        }
                        command->Finish(result.AllConfirmed() ? cli::kExitOk
                                                              : cli::kExitNotConfirmed);
                    },
                    Qt::QueuedConnection);
            });
    });
}

}  // namespace ms1
