#include "app/Autostart.h"

#include <cstdlib>
#include <system_error>

#include "storage/AtomicFileWriter.h"

namespace ms1 {
namespace {

// Exec takes its arguments quoted as the desktop entry format says: inside double quotes,
// backslash goes before `"`, `` ` ``, `$` and `\`; a `%` is written `%%` (field codes).
std::string QuotedArgument(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

Autostart Autostart::ForUser() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && *config == '/')
        return Autostart(config);
    const char* home = std::getenv("HOME");
    return Autostart(std::filesystem::path(home != nullptr ? home : "") / ".config");
}

std::filesystem::path Autostart::EntryPath() const {
    return configHome_ / "autostart" / kEntryName;
}

bool Autostart::IsEnabled() const {
    std::error_code error;
    return std::filesystem::is_regular_file(EntryPath(), error);
}

std::string Autostart::EntryText(const std::filesystem::path& program,
                                 const std::filesystem::path& dataFolder) {
    const std::string data =
        dataFolder.empty() ? std::string() : " --data " + QuotedArgument(dataFolder.string());
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=MS-1 configuration utility\n"
           "Comment=Starts the ms_1 mouse utility in the tray\n"
           "Exec=" +
           QuotedArgument(program.string()) + " --hidden" + data +
           "\n"
           "Icon=ms1\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

Result Autostart::Enable(const std::filesystem::path& program,
                         const std::filesystem::path& dataFolder) {
    std::error_code error;
    std::filesystem::create_directories(EntryPath().parent_path(), error);
    if (error)
        return Result::Failed(EntryPath().parent_path().string() + ": " + error.message());
    const std::string text = EntryText(program, dataFolder);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    AtomicFileWriter writer;
    return writer.Write(EntryPath(), bytes);
}

Result Autostart::Disable() {
    std::error_code error;
    std::filesystem::remove(EntryPath(), error);
    if (error)
        return Result::Failed(EntryPath().string() + ": " + error.message());
    return Result::Done();
}

std::filesystem::path DataFolderArgument(const std::vector<std::string>& arguments,
                                         const std::filesystem::path& workingFolder) {
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "--data")
            return (workingFolder / arguments[i + 1]).lexically_normal();
    }
    return {};
}

}  // namespace ms1
