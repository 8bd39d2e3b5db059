#pragma once

#include <filesystem>
#include <functional>

namespace ms1 {

// What a user can do when the receiver is there but its HID node may not be opened (it
// belongs to root until the udev rule 70-ms1.rules gives the logged-in user access).
struct DeviceAccessHint {
    enum class Kind {
        Replug,       // the rule is installed: the node gets its access when it comes again
        InstallRule,  // the rule is beside the program: copy it into /etc/udev/rules.d
        GetPackage,   // no rule to be found: the package brings it
    };
    Kind kind = Kind::GetPackage;
    std::filesystem::path rule;  // for InstallRule

    static DeviceAccessHint For(
        const std::filesystem::path& programFolder,
        const std::function<bool(const std::filesystem::path&)>& exists = {});
    // The whole advice in English, for ms1ctl.
    std::string Text() const;
    // The commands that install the rule.
    std::string InstallCommand() const;
};

}  // namespace ms1
