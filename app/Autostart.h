#pragma once

#include <filesystem>
#include <string>

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
    // Writes the entry that runs `program --hidden` (replacing an older one); failed, with the
    // reason, when it cannot be written.
    Result Enable(const std::filesystem::path& program);
    // Removes the entry; no entry is no error.
    Result Disable();

    // The entry's text.
    static std::string EntryText(const std::filesystem::path& program);

  private:
    std::filesystem::path configHome_;
};

}  // namespace ms1
