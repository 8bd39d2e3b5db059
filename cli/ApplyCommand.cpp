#include <cstdio>
#include <mutex>
#include <ostream>

#include "cli/CliCommand.h"
#include "cli/DeviceCommands.h"
#include "cli/HeadlessHost.h"

namespace ms1::cli {

const CliCommand kApplyCommand = {
    "apply",
    "apply PROFILE.pro [--dump-device]",
    "sends the whole profile to the mouse and prints one line per report, e.g.\n"
    "      \"0x15 confirmed after 1 attempt(s)\" or \"0x15 not confirmed after 10 attempt(s)\";\n"
    "      the user's profile store is not touched. With --simulate, --dump-device then prints\n"
    "      every packet the virtual mouse received as \"rx \" and its bytes in hex.\n"
    "      exit 0 all confirmed, 1 any not confirmed, 3 refused file, 4 no mouse connected",
    RunApply,
};

std::optional<ApplyArgs> ParseApplyArgs(CliContext& context, const std::vector<std::string>& args) {
    ApplyArgs parsed;
    for (const std::string& arg : args) {
        if (arg == "--dump-device") {
            parsed.dumpDevice = true;
        } else if (arg.rfind("--", 0) == 0 && arg.size() > 2) {
            UsageError(context, kApplyCommand, "unknown option " + arg);
            return std::nullopt;
        } else if (parsed.file.empty()) {
            parsed.file = arg;
        } else {
            UsageError(context, kApplyCommand, "one profile file only");
            return std::nullopt;
        }
    }
    if (parsed.file.empty()) {
        UsageError(context, kApplyCommand, "no profile file");
        return std::nullopt;
    }
    if (parsed.dumpDevice && !context.simulate) {
        UsageError(context, kApplyCommand, "--dump-device needs --simulate");
        return std::nullopt;
    }
    if (!HeadlessHost::CheckScenario(context, kApplyCommand))
        return std::nullopt;
    return parsed;
}

std::unique_ptr<ProfileRecord> ReadProfileToApply(CliContext& context, const std::string& file) {
    auto bytes = ReadWholeFile(context.Resolve(file));
    if (!bytes) {
        context.err << file << ": cannot be read\n";
        return nullptr;
    }
    if (auto reason = CheckProfileBytes(*bytes)) {
        context.err << file << ": " << *reason << "\n";
        return nullptr;
    }
    return ProfileFromBytes(*bytes);
}

int ApplyOverOwnLink(CliContext& context, const char* command, const ProfileRecord& profile,
                     bool dumpDevice) {
    HeadlessHost host(context.simulate, profile);
    std::mutex outMutex;
    host.SetReportListener([&](const SentReport& sent) {
        std::lock_guard lock(outMutex);
        context.out << ReportLine(sent) << std::endl;
    });
    const auto connection = host.ConnectMouse(kConnectPatience);
    if (connection != HeadlessHost::Connection::kConnected) {
        context.err << HeadlessHost::NoMouseText(command, connection, host.DeniedPath());
        return kExitNoMouse;
    }
    const ApplyResult result = host.Apply();
    host.Stop();
    if (!result.ran) {
        context.err << "ms1ctl " << command << ": the mouse went away before the apply\n";
        return kExitNoMouse;
    }
    if (dumpDevice && host.bus()) {
        for (const auto& packet : host.bus()->ReceivedPackets())
            context.out << PacketLine(packet.bytes) << "\n";
    }
    return result.AllConfirmed() ? kExitOk : kExitNotConfirmed;
}

int RunApply(CliContext& context, const std::vector<std::string>& args) {
    const auto parsed = ParseApplyArgs(context, args);
    if (!parsed)
        return kExitUsage;
    auto profile = ReadProfileToApply(context, parsed->file);
    if (!profile)
        return kExitRefusedFile;
    return ApplyOverOwnLink(context, "apply", *profile, parsed->dumpDevice);
}

}  // namespace ms1::cli
