#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace ms1::cli {

// Exit codes shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNotConfirmed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitRefusedFile = 3;
inline constexpr int kExitNoMouse = 4;
inline constexpr int kExitWriteFailed = 5;
inline constexpr int kExitNoAnswer = 6;  // the running ms1 did not take the command

struct CliContext {
    std::ostream& out;
    std::ostream& err;
    std::optional<std::string> simulate;  // scenario of the virtual mouse, when asked for
    // Where relative file names are taken from: the process's own folder when empty, the
    // caller's when the running program carries out a command for ms1ctl.
    std::filesystem::path workingFolder = {};

    // The file name to open for `file` as the user typed it.
    std::string Resolve(const std::string& file) const {
        return workingFolder.empty() ? file : (workingFolder / file).string();
    }
};

struct CliCommand {
    const char* name;
    const char* usage;    // one line: the command and its arguments
    const char* summary;  // what it does, for --help
    int (*run)(CliContext& context, const std::vector<std::string>& args);
};

// The whole program: parses the global options and runs one command.
int RunMs1Ctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Prints "usage: ms1ctl <usage>" to err and returns kExitUsage.
int UsageError(CliContext& context, const CliCommand& command, const std::string& why = {});

// Reads a whole file; nothing when it cannot be opened.
std::optional<std::vector<unsigned char>> ReadWholeFile(const std::string& path);

// The commands, each in its own file.
int RunReports(CliContext& context, const std::vector<std::string>& args);
extern const CliCommand kReportsCommand;
int RunProfiles(CliContext& context, const std::vector<std::string>& args);
extern const CliCommand kProfilesCommand;
int RunMacros(CliContext& context, const std::vector<std::string>& args);
extern const CliCommand kMacrosCommand;
int RunProfile(CliContext& context, const std::vector<std::string>& args);
extern const CliCommand kProfileCommand;
int RunMacro(CliContext& context, const std::vector<std::string>& args);
extern const CliCommand kMacroCommand;
int RunStatus(CliContext& context, const std::vector<std::string>& args);
extern const CliCommand kStatusCommand;
int RunApply(CliContext& context, const std::vector<std::string>& args);
extern const CliCommand kApplyCommand;
int RunAppProfile(CliContext& context, const std::vector<std::string>& args);
extern const CliCommand kAppProfileCommand;
int RunAppProfiles(CliContext& context, const std::vector<std::string>& args);
extern const CliCommand kAppProfilesCommand;

}  // namespace ms1::cli
