#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include "platform/InstanceRequests.h"
#include "platform/LocalConnection.h"
#include "ports/MessagePorts.h"

namespace ms1 {

// Makes sure one instance of the program runs per user. The first instance holds a lock file
// and listens on a local socket of the same name; a later start finds the lock taken, asks the
// first one to show itself and gives up. A lock left by a crashed instance is taken over.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Role { First, Second, Failed };

    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock. First: this instance runs and listens. Second: another instance holds
    // the lock and was asked to show itself. Failed: neither (no writable lock folder).
    Role Acquire();

    // Where an activation request from a later start goes: message 1037 with wParam 0 and
    // lParam 0. The target must outlive this object.
    void SetActivationTarget(MessageTarget* target) { target_ = target; }

    // Where requests of other programs go ("run" lines, see InstanceRequests.h), on this
    // object's thread. Requests that came before there was a handler are handed over now;
    // until then their senders wait.
    void SetRequestHandler(InstanceRequestHandler handler);

    // Where the lock and the socket of `name` are; empty when the folder for them is not safe
    // to use (FolderProblem says why).
    static QString LockFilePath(const QString& name);
    static QString SocketPath(const QString& name);
    // Why no folder can hold them, in plain words; empty when one can.
    static QString FolderProblem();

  private:
    void OnNewConnection(LocalConnection* connection);
    void OnLine(LocalConnection* connection, const QByteArray& line);
    bool AskFirstToShow() const;

    QString name_;
    QLockFile lock_;
    std::unique_ptr<LocalServer> server_;
    MessageTarget* target_ = nullptr;
    InstanceRequestHandler requestHandler_;
    struct Pending {
        QPointer<LocalConnection> connection;
        QJsonObject request;
    };
    std::vector<Pending> pending_;
};

}  // namespace ms1
