#include "transport/DeviceAccessHint.h"

#include <string>
#include <system_error>

namespace ms1 {
namespace {

constexpr const char* kRuleName = "70-ms1.rules";

}  // namespace

DeviceAccessHint DeviceAccessHint::For(
    const std::filesystem::path& programFolder,
    const std::function<bool(const std::filesystem::path&)>& exists) {
    auto there = [&exists](const std::filesystem::path& file) {
        if (exists)
            return exists(file);
        std::error_code error;
        return std::filesystem::is_regular_file(file, error);
    };
    for (const char* folder : {"/etc/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"}) {
        if (there(std::filesystem::path(folder) / kRuleName))
            return {Kind::Replug, {}};
    }
    // Installed under a prefix (PREFIX/lib/ms1 beside PREFIX/lib/udev), or a build's folder.
    const std::filesystem::path candidates[] = {
        programFolder.parent_path() / "udev" / "rules.d" / kRuleName,
        programFolder / "res" / kRuleName,
    };
    for (const std::filesystem::path& rule : candidates) {
        if (!programFolder.empty() && there(rule))
            return {Kind::InstallRule, rule.lexically_normal()};
    }
    return {Kind::GetPackage, {}};
}

std::string DeviceAccessHint::InstallCommand() const {
    return "sudo cp '" + rule.string() +
           "' /etc/udev/rules.d/ && sudo udevadm control --reload && sudo udevadm trigger";
}

std::string DeviceAccessHint::Text() const {
    switch (kind) {
        case Kind::Replug:
            return "the udev rule 70-ms1.rules is installed: unplug the receiver and plug it in "
                   "again";
        case Kind::InstallRule:
            return "install the udev rule that gives you access, once: " + InstallCommand();
        case Kind::GetPackage:
            break;
    }
    return "install the ms1 package: its udev rule 70-ms1.rules gives you access";
}

}  // namespace ms1
