#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

#include "platform/DebugLog.h"
#include "platform/WindowMessages.h"

namespace ms1 {
namespace {

constexpr int kConnectTimeoutMs = 2000;
const QByteArray kActivateRequest = "activate\n";

// The lock and the socket sit in the user's runtime folder, so each user has one instance;
// without one, in a folder of the user's own under the temporary folder.
QString InstanceFolder() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!folder.isEmpty()) {
            return folder;
        }
    }
    const QString folder = QDir(QDir::tempPath()).filePath(QStringLiteral("ms1-%1").arg(getuid()));
    QDir().mkpath(folder);
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return folder;
}

}  // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)), lock_(LockFilePath(name_)) {
    // A live instance holds the lock for the whole run, so an old lock is never stale by age;
    // only a lock whose process is gone is (QLockFile checks the process id).
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (server_) {
        server_->close();
    }
    lock_.unlock();
}

QString SingleInstance::LockFilePath(const QString& name) {
    return QDir(InstanceFolder()).filePath(name + ".lock");
}

QString SingleInstance::SocketPath(const QString& name) {
    return QDir(InstanceFolder()).filePath(name + ".socket");
}

SingleInstance::Role SingleInstance::Acquire() {
    if (!lock_.tryLock(0)) {
        if (lock_.error() != QLockFile::LockFailedError) {
            qCWarning(lcMs1) << "single instance: cannot create lock file" << LockFilePath(name_);
            return Role::Failed;
        }
        if (!AskFirstToShow()) {
            qCWarning(lcMs1) << "single instance: the running instance did not answer";
        }
        return Role::Second;
    }
    server_ = std::make_unique<QLocalServer>();
    // We hold the lock, so a socket of this name can only be left over from a crash.
    QLocalServer::removeServer(SocketPath(name_));
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(SocketPath(name_))) {
        qCWarning(lcMs1) << "single instance: cannot listen:" << server_->errorString();
    }
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    return Role::First;
}

void SingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                OnLine(socket, socket->readLine());
            }
        });
    }
}

void SingleInstance::OnLine(QLocalSocket* socket, const QByteArray& line) {
    if (line == kActivateRequest) {
        if (target_ != nullptr) {
            target_->Post(MSG_ACTIVATE_INSTANCE, 0, 0);
        }
        socket->write("ok\n");
        socket->flush();
        return;
    }
    if (!line.startsWith(instance_protocol::kRunPrefix)) {
        return;
    }
    const QJsonDocument document =
        QJsonDocument::fromJson(line.mid(instance_protocol::kRunPrefix.size()).trimmed());
    if (!document.isObject()) {
        InstanceReply reply(socket);
        reply.Decline();
        return;
    }
    if (!requestHandler_) {
        pending_.push_back({socket, document.object()});
        return;
    }
    requestHandler_(document.object(), std::make_shared<InstanceReply>(socket));
}

void SingleInstance::SetRequestHandler(InstanceRequestHandler handler) {
    requestHandler_ = std::move(handler);
    std::vector<Pending> pending;
    pending.swap(pending_);
    for (Pending& request : pending) {
        if (request.socket != nullptr && requestHandler_) {
            requestHandler_(request.request, std::make_shared<InstanceReply>(request.socket));
        }
    }
}

bool SingleInstance::AskFirstToShow() const {
    QLocalSocket socket;
    socket.connectToServer(SocketPath(name_));
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return false;
    }
    socket.write(kActivateRequest);
    if (!socket.waitForBytesWritten(kConnectTimeoutMs)) {
        return false;
    }
    // Wait for the answer so the request is read before this process exits.
    return socket.waitForReadyRead(kConnectTimeoutMs);
}

}  // namespace ms1
