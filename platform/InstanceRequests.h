#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QPointer>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/LocalConnection.h"

namespace ms1 {

// Requests another program hands to the running instance over its single-instance socket
// (ms1ctl's commands that change a store or use the mouse), one line each way:
//
//   client: "run " + JSON request
//   server: "accepted" or "declined" at once; then "out " / "err " + base64 text, as often
//           as needed; then "exit " + the exit code.
//
// "declined" means the request is not the running program's to carry out (another data
// folder, another mouse): the client does it itself.

// The answer to one request, written from the window thread. Writing after the client went
// away does nothing.
class InstanceReply {
  public:
    explicit InstanceReply(LocalConnection* connection);
    // A reply dropped before it finished ends the connection, so the client is not left
    // waiting for a command that will never finish.
    ~InstanceReply();
    InstanceReply(const InstanceReply&) = delete;
    InstanceReply& operator=(const InstanceReply&) = delete;

    void Accept();
    void Decline();
    void Out(const std::string& text);
    void Err(const std::string& text);
    void Finish(int exitCode);
    bool Finished() const { return finished_; }

  private:
    void Line(const QByteArray& line);

    QPointer<LocalConnection> connection_;
    bool finished_ = false;
};

using InstanceRequestHandler =
    std::function<void(const QJsonObject& request, std::shared_ptr<InstanceReply> reply)>;

namespace instance_protocol {
inline const QByteArray kActivate = "activate\n";
inline const QByteArray kRunPrefix = "run ";
}  // namespace instance_protocol

// What became of a request handed to the running instance.
struct ForwardOutcome {
    enum class Kind {
        NotRunning,  // no instance listens: do it here
        Declined,    // the instance says it is not its request: do it here
        NoAnswer,    // an instance is there but did not take the request in time
        Broken,      // it took the request and went away before finishing it
        Finished,    // done there; exitCode is the command's
    };
    Kind kind = Kind::NotRunning;
    int exitCode = 0;
};

// Hands `request` to the instance listening at `socketPath` and passes on its output as it
// comes (`toErr` for the error stream). Waits at most `patience` for the instance to take the
// request or decline it, then as long as the command runs. Blocks the calling thread; needs
// no event loop.
ForwardOutcome ForwardRequest(const QString& socketPath, const QJsonObject& request,
                              std::chrono::milliseconds patience,
                              const std::function<void(bool toErr, const std::string&)>& output);

}  // namespace ms1
