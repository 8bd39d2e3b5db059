#include <cstdio>
#include <memory>
#include <ostream>

#include "cli/CliCommand.h"
#include "core/ProfileRecord.h"
#include "protocol/ApplyPlan.h"

namespace ms1::cli {
namespace {

// Reads and checks a profile file; prints the refusal and returns null when it is bad.
std::unique_ptr<ProfileRecord> LoadProfileFile(CliContext& context, const std::string& path) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) {
        context.err << path << ": cannot be read\n";
        return nullptr;
    }
    if (auto reason = CheckProfileBytes(*bytes)) {
        context.err << path << ": " << *reason << "\n";
        return nullptr;
    }
    return ProfileFromBytes(*bytes);
}

void PrintHex(std::ostream& out, const std::vector<std::uint8_t>& bytes) {
    std::string line;
    line.reserve(bytes.size() * 3);
    char hex[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(hex, sizeof hex, i == 0 ? "%02x" : " %02x", bytes[i]);
        line += hex;
    }
    out << line << '\n';
}

}  // namespace

const CliCommand kReportsCommand = {
    "reports",
    "reports [--from SNAPSHOT.pro] PROFILE.pro",
    "prints the reports an apply of PROFILE.pro sends, one per line in hex: a full apply, or\n"
    "      with --from the apply that finds SNAPSHOT.pro as the last applied snapshot",
    RunReports,
};

int RunReports(CliContext& context, const std::vector<std::string>& args) {
    std::string from;
    std::string profilePath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--from") {
            if (i + 1 == args.size() || !from.empty()) {
                return UsageError(context, kReportsCommand, "--from takes one file");
            }
            from = args[++i];
        } else if (args[i].rfind("--", 0) == 0 && args[i].size() > 2) {
            return UsageError(context, kReportsCommand, "unknown option " + args[i]);
        } else if (profilePath.empty()) {
            profilePath = args[i];
        } else {
            return UsageError(context, kReportsCommand, "one profile file only");
        }
    }
    if (profilePath.empty())
        return UsageError(context, kReportsCommand, "no profile file");

    auto profile = LoadProfileFile(context, profilePath);
    if (!profile)
        return kExitRefusedFile;
    std::unique_ptr<ProfileRecord> snapshot;
    if (!from.empty()) {
        snapshot = LoadProfileFile(context, from);
        if (!snapshot)
            return kExitRefusedFile;
    }
    for (const auto& report : ListApplyReports(*profile, snapshot.get())) {
        PrintHex(context.out, report.bytes);
    }
    return kExitOk;
}

}  // namespace ms1::cli
