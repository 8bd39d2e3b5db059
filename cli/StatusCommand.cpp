#include <ostream>

#include "cli/CliCommand.h"
#include "cli/DeviceCommands.h"
#include "cli/HeadlessHost.h"

namespace ms1::cli {
namespace {

using std::chrono::milliseconds;

const char* RateText(int pollingRate) {
    switch (pollingRate) {
        case 3:
            return "1000 Hz";
        case 2:
            return "500 Hz";
        case 1:
            return "250 Hz";
        default:
            return "125 Hz";
    }
}

}  // namespace

void PrintStatus(CliContext& context, const LinkFlags& flags, const StatusRecorder& view, int stage,
                 int pollingRate) {
    if (flags.WiredUp())
        context.out << "link: wired\n";
    if (flags.WirelessUp())
        context.out << "link: 2.4 GHz receiver\n";
    if (flags.BleUp())
        context.out << "link: Bluetooth LE\n";
    context.out << "battery: " << view.Battery().value_or("unknown") << "\n";
    if (view.StageReported()) {
        context.out << "stage: " << stage << "\n";
    } else {
        context.out << "stage: unknown\n";
    }
    context.out << "polling rate: " << (view.RateReported() ? RateText(pollingRate) : "unknown")
                << "\n";
}

const CliCommand kStatusCommand = {
    "status",
    "status",
    "waits for the mouse (at most 3 s) and prints what it reports, one line each:\n"
    "        link: 2.4 GHz receiver     one line per connected link (wired, 2.4 GHz\n"
    "                                   receiver, Bluetooth LE)\n"
    "        battery: 75%               or \"battery: charging\", \"battery: unknown\"\n"
    "        stage: 2                   the active DPI stage 1..8, or \"stage: unknown\"\n"
    "        polling rate: 1000 Hz      125, 250, 500 or 1000 Hz, or \"polling rate: unknown\"\n"
    "      exit 4 when no mouse is connected",
    RunStatus,
};

int RunStatus(CliContext& context, const std::vector<std::string>& args) {
    if (!args.empty())
        return UsageError(context, kStatusCommand, "no arguments expected");
    if (!HeadlessHost::CheckScenario(context, kStatusCommand))
        return kExitUsage;

    auto profile = MakeZeroedProfile();
    ResetProfileToDefaults(*profile);
    HeadlessHost host(context.simulate, *profile);
    host.AnnounceVirtualMouseSettings();
    const auto connection = host.ConnectMouse(kConnectPatience);
    if (connection != HeadlessHost::Connection::kConnected) {
        context.err << HeadlessHost::NoMouseText("status", connection, host.DeniedPath());
        return kExitNoMouse;
    }
    StatusRecorder& view = host.view();
    host.WaitFor([&] { return view.Battery() && view.StageReported() && view.RateReported(); },
                 ReportPatience(host.session().flags()));
    host.Stop();

    int stage = 0;
    int rate = 0;
    {
        auto lock = host.profiles().Lock();
        stage = host.profiles().Working().activeStage + 1;
        rate = host.profiles().Working().pollingRate;
    }
    PrintStatus(context, host.session().flags(), view, stage, rate);
    return kExitOk;
}

}  // namespace ms1::cli
