#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/Result.h"

namespace ms1 {

// The XDG autostart entry that starts the program hidden in the tray when the user logs in
// ("Start with the desktop" in the tray menu).
class Autostart {
  public:
    static constexpr const char* kEntryName = "net.ms1.ms1.desktop";

    // `configHome`: $XDG_CONFIG_HOME, or ~/.config when that is unset.
    explicit Autostart(std::filesystem::path configHome) : configHome_(std::move(configHome)) {}
    static Autostart ForUser();

    std::filesystem::path EntryPath() const;
    bool IsEnabled() const;
    // Writes the entry that runs `program --hidden` (replacing an older one), with
    // `--data dataFolder` when a data folder is given, so that the program started with the
    // desktop keeps the folder it was started with; failed, with the reason, when it cannot
    // be written.
    Result Enable(const std::filesystem::path& program,
                  const std::filesystem::path& dataFolder = {});
    // Removes the entry; no entry is no error.
    Result Disable();

    // The entry's text.
    static std::string EntryText(const std::filesystem::path& program,
                                 const std::filesystem::path& dataFolder = {});

  private:
    std::filesystem::path configHome_;
};

// The folder named by "--data DIR" among the program's arguments, made absolute against
// `workingFolder`; empty when there is none.
std::filesystem::path DataFolderArgument(const std::vector<std::string>& arguments,
                                         const std::filesystem::path& workingFolder);

}  // namespace ms1
