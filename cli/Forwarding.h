#pragma once

#include <QJsonObject>
#include <QString>
#include <chrono>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliCommand.h"

namespace ms1::cli {

// While ms1 runs it is the one writer of its data folder and the one user of the mouse, so
// ms1ctl hands it the commands that change a store or use the mouse and prints its answer.

// How long the running program has to take a command before ms1ctl gives up on it.
inline constexpr std::chrono::milliseconds kForwardPatience{5000};

// The request for the running program when `command` with `args` is one it carries out:
// "profile import", "profile use", "macro import", "app-profile set|unset", "status" and
// "apply", with file names and the data folder made absolute. Nothing for commands that only
// read, and for arguments the command will refuse anyway (it then says why itself).
std::optional<QJsonObject> ForwardableRequest(const CliContext& context, const CliCommand& command,
                                              const std::vector<std::string>& args);

// Hands the request to the program listening at `socketPath` and passes its output on.
// The command's exit code when it ran there (kExitNoAnswer when the program did not take it
// in time or went away while running it); nothing when ms1ctl is to run it itself.
std::optional<int> ForwardToRunningProgram(CliContext& context, const QJsonObject& request,
                                           const QString& socketPath,
                                           std::chrono::milliseconds patience);

// The folder as an absolute path without "..", links or a trailing separator, so that two
// names of one data folder compare equal.
std::filesystem::path AbsoluteFolder(const std::filesystem::path& folder);

// Where the running ms1 listens for this user.
QString RunningProgramSocket(std::ostream& err);

}  // namespace ms1::cli
