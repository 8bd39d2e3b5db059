#pragma once

#include <QJsonObject>
#include <QObject>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "core/ProfileRecord.h"
#include "platform/InstanceRequests.h"

namespace ms1 {

class AppProfileRules;
class CMS_1_Page;
class MouseDeviceSession;

// Carries out, on the window thread, the ms1ctl commands that would otherwise write the
// stores beside the program or talk to the mouse beside it: "profile import" and
// "macro import" go into the page's loaded stores (the page lists a new profile at once),
// "profile use" makes a profile active as the page's list does and sends it whole,
// "app-profile set|unset" into the program's rules (an open rules dialog follows),
// "status" and "apply" use the program's own link. Their output and exit codes are those of
// ms1ctl. A command for another data folder or another mouse (a different --simulate) is
// declined and ms1ctl runs it itself.
class ForwardedCommands {
  public:
    struct Ports {
        CMS_1_Page& page;
        MouseDeviceSession* device;  // null: the program has no device side
        std::filesystem::path dataFolder;
        std::optional<std::string> scenario;  // the virtual mouse the program runs on
        // The rules "app-profile set|unset" change; null: ms1ctl changes the file itself.
        AppProfileRules* rules = nullptr;
    };

    explicit ForwardedCommands(Ports ports);
    ~ForwardedCommands();
    ForwardedCommands(const ForwardedCommands&) = delete;
    ForwardedCommands& operator=(const ForwardedCommands&) = delete;

    void Handle(const QJsonObject& request, std::shared_ptr<InstanceReply> reply);

  private:
    struct Command;
    void RunImport(const std::shared_ptr<Command>& command, bool profile);
    void RunAppProfile(const std::shared_ptr<Command>& command, bool set);
    void RunStatus(const std::shared_ptr<Command>& command);
    void RunApply(const std::shared_ptr<Command>& command);
    // Makes the named profile active on the page (the list follows) and sends it whole.
    void RunProfileUse(const std::shared_ptr<Command>& command);
    // Sends `profile` whole once the mouse is there, with ms1ctl's lines; `name` is ms1ctl's
    // command in what it says.
    void RunApplyOf(const std::shared_ptr<Command>& command, std::shared_ptr<ProfileRecord> profile,
                    const char* name);
    // Calls `then` once the mouse is connected (true) or it is clear it will not be (false).
    void AwaitMouse(const std::shared_ptr<Command>& command, std::function<void(bool)> then);
    void PrintStatus(const std::shared_ptr<Command>& command);
    // ms1ctl's line for a mouse that is not there, and why.
    std::string NoMouseText(const char* command) const;

    Ports ports_;
    // Owns the timers of waiting commands and is the target of what the worker posts: gone
    // with this object, so nothing runs after it.
    QObject context_;
};

}  // namespace ms1
