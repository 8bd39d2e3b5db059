#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "engine/StatusRecorder.h"
#include "protocol/ApplyEngine.h"

namespace ms1::cli {

// What the device commands print, shared by ms1ctl and by the running program that carries
// them out for it.

// How long the mouse has to show up, and then to tell its battery, stage and rate (its
// heartbeat comes every two seconds).
inline constexpr std::chrono::milliseconds kConnectPatience{3000};
inline constexpr std::chrono::milliseconds kReportPatience{2500};
// Over Bluetooth LE the mouse's reports come only once the link has subscribed to them, two
// seconds after the connection.
inline constexpr std::chrono::milliseconds kBleReportPatience{kReportPatience.count() + 2000};

// How long status waits for the mouse's reports on the links that are up.
inline std::chrono::milliseconds ReportPatience(const LinkFlags& flags) {
    const bool onlyBle = flags.BleUp() && !flags.WiredUp() && !flags.WirelessUp();
    return onlyBle ? kBleReportPatience : kReportPatience;
}

// The line ms1ctl apply prints for one report handed to the link, e.g.
// "0x15 confirmed after 1 attempt(s)".
std::string ReportLine(const SentReport& sent);

// "rx " and the packet's bytes in lowercase hex, for --dump-device.
std::string PacketLine(const std::vector<std::uint8_t>& bytes);

// The arguments of ms1ctl apply.
struct ApplyArgs {
    std::string file;  // as typed
    bool dumpDevice = false;
};

// Parses and checks the arguments of apply (and the scenario); nothing, after the usage
// error, when they are not right.
std::optional<ApplyArgs> ParseApplyArgs(CliContext& context, const std::vector<std::string>& args);

// The profile of the file to apply, checked; nothing, after saying why, when it is refused.
std::unique_ptr<ProfileRecord> ReadProfileToApply(CliContext& context, const std::string& file);

// The arguments of ms1ctl profile use.
struct ProfileUseArgs {
    std::string name;  // as typed
    std::filesystem::path dataFolder;
    bool dumpDevice = false;
};

// Parses and checks the arguments of profile use ("use NAME [--data DIR] [--dump-device]")
// and the scenario; nothing, after the usage error, when they are not right.
std::optional<ProfileUseArgs> ParseProfileUseArgs(CliContext& context,
                                                  const std::vector<std::string>& args);

// Sends `profile` whole over ms1ctl's own link, printing one line per report and, with
// `dumpDevice`, every packet the virtual mouse received; `command` names ms1ctl's command in
// what it says on stderr. The exit code: 0 all confirmed, 1 any not, 4 no mouse.
int ApplyOverOwnLink(CliContext& context, const char* command, const ProfileRecord& profile,
                     bool dumpDevice);

// The lines of ms1ctl status: the links, the battery, the stage (1..8) and the polling rate
// as far as the mouse reported them.
void PrintStatus(CliContext& context, const LinkFlags& flags, const StatusRecorder& view, int stage,
                 int pollingRate);

}  // namespace ms1::cli
