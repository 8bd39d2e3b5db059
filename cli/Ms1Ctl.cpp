// ms1ctl: the command-line companion of the ms_1 configuration utility.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/Forwarding.h"
#include "sim/Simulation.h"

namespace ms1::cli {
namespace {

const CliCommand* const kCommands[] = {
    &kReportsCommand, &kProfilesCommand, &kMacrosCommand,     &kProfileCommand,     &kMacroCommand,
    &kStatusCommand,  &kApplyCommand,    &kAppProfileCommand, &kAppProfilesCommand,
};

void PrintHelp(std::ostream& out) {
    out << "ms1ctl - command-line companion of the ms_1 mouse configuration utility\n\n"
           "usage: ms1ctl [--simulate[=SCENARIO]] COMMAND [ARGS...]\n"
           "       ms1ctl COMMAND --help\n"
           "       ms1ctl --version\n\n"
           "commands:\n";
    for (const CliCommand* command : kCommands) {
        out << "  " << command->usage << "\n      " << command->summary << "\n";
    }
    out << "\nSCENARIO names the virtual mouse that --simulate runs against (default receiver):\n ";
    for (const std::string& name : sim::SimulationScenarios())
        out << " " << name;
    out << "\n";
    out << "\nWhile ms1 runs, it carries out the commands that change its profiles or macros or\n"
           "use the mouse (profile import, profile use, macro import, app-profile, status,\n"
           "apply) and ms1ctl prints its answer, so nothing is written beside it; its list shows\n"
           "a profile chosen with profile use at once. Commands that only read work on the files.\n"
           "\nexit codes: 0 done, 1 not confirmed by the mouse, 2 usage error,\n"
           "            3 refused file, 4 no mouse connected, 5 a file could not be written\n"
           "            or the --data folder is not there,\n"
           "            6 ms1 is running but did not take the command within 5 s\n";
}

}  // namespace

int UsageError(CliContext& context, const CliCommand& command, const std::string& why) {
    if (!why.empty())
        context.err << "ms1ctl " << command.name << ": " << why << "\n";
    // The option given before the command belongs to its usage too.
    context.err << "usage: ms1ctl " << (context.simulate ? "[--simulate[=SCENARIO]] " : "")
                << command.usage << "\n";
    return kExitUsage;
}

std::optional<std::vector<unsigned char>> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return bytes;
}

int RunMs1Ctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CliContext context{out, err, std::nullopt};

    std::size_t i = 0;
    for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
        const std::string& option = args[i];
        if (option == "--help" || option == "-h") {
            PrintHelp(context.out);
            return kExitOk;
        } else if (option == "--version") {
            context.out << "ms1ctl " << MS1_VERSION << "\n";
            return kExitOk;
        } else if (option == "--simulate") {
            context.simulate = "receiver";
        } else if (option.rfind("--simulate=", 0) == 0) {
            context.simulate = option.substr(11);
        } else {
            context.err << "ms1ctl: unknown option " << option << "\n";
            context.err << "usage: ms1ctl [--simulate[=SCENARIO]] COMMAND [ARGS...]\n";
            return kExitUsage;
        }
    }
    if (i == args.size()) {
        context.err << "usage: ms1ctl [--simulate[=SCENARIO]] COMMAND [ARGS...]\n"
                       "       ms1ctl --help lists the commands\n";
        return kExitUsage;
    }
    for (const CliCommand* command : kCommands) {
        if (args[i] == command->name) {
            std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
            for (const std::string& arg : rest) {
                if (arg == "--help" || arg == "-h") {
                    context.out << "usage: ms1ctl " << command->usage << "\n"
                                << command->summary << "\n";
                    return kExitOk;
                }
            }
            // A data folder that is not there is named, not made up as empty stores.
            const auto data = std::find(rest.begin(), rest.end(), "--data");
            if (data != rest.end() && data + 1 != rest.end()) {
                std::error_code error;
                if (!std::filesystem::is_directory(*(data + 1), error)) {
                    context.err << *(data + 1) << ": no such folder\n";
                    return kExitWriteFailed;
                }
            }
            if (auto request = ForwardableRequest(context, *command, rest)) {
                if (auto code = ForwardToRunningProgram(
                        context, *request, RunningProgramSocket(context.err), kForwardPatience))
                    return *code;
            }
            return command->run(context, rest);
        }
    }
    context.err << "ms1ctl: unknown command " << args[i] << " (ms1ctl --help lists them)\n";
    return kExitUsage;
}

}  // namespace ms1::cli
