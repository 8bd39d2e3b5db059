#include "cli/Forwarding.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <sstream>

#include "cli/AppProfileRulesEdit.h"
#include "cli/DeviceCommands.h"
#include "cli/StoreArgs.h"
#include "platform/InstanceRequests.h"
#include "platform/SingleInstance.h"
#include "storage/DataFolders.h"

namespace ms1::cli {
namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

std::filesystem::path AbsoluteFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::weakly_canonical(folder, error);
    if (error)
        absolute = std::filesystem::absolute(folder, error).lexically_normal();
    // "D/" and "D" are one folder.
    if (!absolute.has_filename() && absolute.has_parent_path() && absolute != absolute.root_path())
        absolute = absolute.parent_path();
    return absolute;
}

std::optional<QJsonObject> ForwardableRequest(const CliContext& context, const CliCommand& command,
                                              const std::vector<std::string>& args) {
    // Parsed once more on a scratch context: what is wrong is reported by the command itself.
    std::ostringstream discard;
    CliContext scratch{discard, discard, context.simulate};
    QJsonObject request;
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    request["cwd"] = Text(here.string());
    if (context.simulate)
        request["simulate"] = Text(*context.simulate);

    const std::string name = command.name;
    if (name == "profile" && !args.empty() && args[0] == "use") {
        auto parsed = ParseProfileUseArgs(scratch, args);
        if (!parsed)
            return std::nullopt;
        if (std::find(args.begin(), args.end(), "--data") == args.end())
            parsed->dataFolder = GetDataFolder();
        request["command"] = "profile use";
        request["name"] = Text(parsed->name);
        request["data"] = Text(AbsoluteFolder(parsed->dataFolder).string());
        request["dumpDevice"] = parsed->dumpDevice;
        return request;
    }
    if (name == "profile" || name == "macro") {
        auto parsed = ParseStoreArgs(scratch, command, args, false);
        if (!parsed || parsed->words.size() != 2 || parsed->words[0] != "import")
            return std::nullopt;
        // Without --data the command creates the program's data folder, so it is named here.
        if (std::find(args.begin(), args.end(), "--data") == args.end())
            parsed->dataFolder = GetDataFolder();
        request["command"] = Text(name + " import");
        request["file"] = Text(parsed->words[1]);
        request["data"] = Text(AbsoluteFolder(parsed->dataFolder).string());
        return request;
    }
    if (name == "app-profile") {
        auto parsed = ParseAppProfileArgs(scratch, args);
        if (!parsed)
            return std::nullopt;
        request["command"] = Text(std::string("app-profile ") + (parsed->set ? "set" : "unset"));
        request["app"] = Text(parsed->app);
        request["profile"] = Text(parsed->profile);
        request["data"] = Text(AbsoluteFolder(parsed->dataFolder).string());
        return request;
    }
    if (name == "status") {
        if (!args.empty())
            return std::nullopt;
        request["command"] = "status";
        return request;
    }
    if (name == "apply") {
        auto parsed = ParseApplyArgs(scratch, args);
        if (!parsed)
            return std::nullopt;
        request["command"] = "apply";
        request["file"] = Text(parsed->file);
        request["dumpDevice"] = parsed->dumpDevice;
        return request;
    }
    return std::nullopt;
}

std::optional<int> ForwardToRunningProgram(CliContext& context, const QJsonObject& request,
                                           const QString& socketPath,
                                           std::chrono::milliseconds patience) {
    const ForwardOutcome outcome = ForwardRequest(
        socketPath, request, patience, [&context](bool toErr, const std::string& text) {
            std::ostream& stream = toErr ? context.err : context.out;
            stream << text << std::flush;
        });
    const long seconds = static_cast<long>(patience.count() / 1000);
    switch (outcome.kind) {
        case ForwardOutcome::Kind::NotRunning:
        case ForwardOutcome::Kind::Declined:
            return std::nullopt;
        case ForwardOutcome::Kind::Finished:
            return outcome.exitCode;
        case ForwardOutcome::Kind::NoAnswer:
            context.err << "ms1ctl: ms1 is running but did not answer within " << seconds
                        << " s; nothing was done\n";
            return kExitNoAnswer;
        case ForwardOutcome::Kind::Broken:
            context.err << "ms1ctl: ms1 went away before it finished the command; look at its "
                           "profiles and macros to see what was done\n";
            return kExitNoAnswer;
    }
    return kExitNoAnswer;
}

QString RunningProgramSocket(std::ostream& err) {
    const QString socket = SingleInstance::SocketPath("Tarvex");
    if (socket.isEmpty()) {
        // Whoever could have prepared that folder could answer in the program's place.
        err << "ms1ctl: " << SingleInstance::FolderProblem().toStdString()
            << "; not looking for a running ms1 there\n";
    }
    return socket;
}

}  // namespace ms1::cli
