#include <cstdio>
#include <mutex>
#include <ostream>

#include "cli/CliCommand.h"
#include "cli/HeadlessHost.h"
#include "cli/ReportLine.h"

namespace ms1::cli {
namespace {

constexpr std::chrono::milliseconds kConnectPatience{3000};

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string line;
    line.reserve(bytes.size() * 3);
    char pair[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(pair, sizeof pair, i == 0 ? "%02x" : " %02x", bytes[i]);
        line += pair;
    }
    return line;
}

}  // namespace

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

int RunApply(CliContext& context, const std::vector<std::string>& args) {
    std::string path;
    bool dumpDevice = false;
    for (const std::string& arg : args) {
        if (arg == "--dump-device") {
            dumpDevice = true;
        } else if (arg.rfind("--", 0) == 0 && arg.size() > 2) {
            return UsageError(context, kApplyCommand, "unknown option " + arg);
        } else if (path.empty()) {
            path = arg;
        } else {
            return UsageError(context, kApplyCommand, "one profile file only");
        }
    }
    if (path.empty())
        return UsageError(context, kApplyCommand, "no profile file");
    if (dumpDevice && !context.simulate)
        return UsageError(context, kApplyCommand, "--dump-device needs --simulate");
    if (!HeadlessHost::CheckScenario(context, kApplyCommand))
        return kExitUsage;

    auto bytes = ReadWholeFile(path);
    if (!bytes) {
        context.err << path << ": cannot be read\n";
        return kExitRefusedFile;
    }
    if (auto reason = CheckProfileBytes(*bytes)) {
        context.err << path << ": " << *reason << "\n";
        return kExitRefusedFile;
    }
    auto profile = ProfileFromBytes(*bytes);

    HeadlessHost host(context.simulate, *profile);
    std::mutex outMutex;
    host.SetReportListener([&](const SentReport& sent) {
        std::lock_guard lock(outMutex);
        context.out << ReportLine(sent) << std::endl;
    });
    const auto connection = host.ConnectMouse(kConnectPatience);
    if (connection != HeadlessHost::Connection::kConnected) {
        context.err << HeadlessHost::NoMouseText("apply", connection);
        return kExitNoMouse;
    }
    const ApplyResult result = host.Apply();
    host.Stop();
    if (!result.ran) {
        context.err << "ms1ctl apply: the mouse went away before the apply\n";
        return kExitNoMouse;
    }
    if (dumpDevice && host.bus()) {
        for (const auto& packet : host.bus()->ReceivedPackets())
            context.out << "rx " << Hex(packet.bytes) << "\n";
    }
    return result.AllConfirmed() ? kExitOk : kExitNotConfirmed;
}

}  // namespace ms1::cli
