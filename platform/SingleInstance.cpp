#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <sys/socket.h>
#include <unistd.h>

#include <QTimer>
#include <optional>

#include "platform/DebugLog.h"
#include "platform/InstanceFolder.h"
#include "platform/InstanceLineReader.h"
#include "ports/WindowMessages.h"

namespace ms1 {
namespace {

constexpr int kConnectTimeoutMs = 2000;

// A client has this long to send its whole request line.
constexpr int kRequestPatienceMs = 5000;

// The lock and the socket sit in the user's runtime folder, so each user has one instance;
// without one, in a folder of the user's own under the temporary folder, when it is safe.
InstanceFolderChoice InstanceFolder() {
    QString runtime;
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return ChooseInstanceFolder(runtime.toStdString(), QDir::tempPath().toStdString(), getuid());
}

QString InFolder(const QString& file) {
    const InstanceFolderChoice choice = InstanceFolder();
    if (choice.folder.empty())
        return {};
    return QDir(QString::fromStdString(choice.folder)).filePath(file);
}

// The user id of the process at the other end of a local socket, as the kernel saw it connect.
std::optional<uid_t> PeerUser(const QLocalSocket* socket) {
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    const int fd = static_cast<int>(socket->socketDescriptor());
    if (fd < 0 || ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        size != sizeof credentials) {
        return std::nullopt;
    }
    return credentials.uid;
}

}  // namespace

QString SingleInstance::FolderProblem() {
    return QString::fromStdString(InstanceFolder().problem);
}

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
    return InFolder(name + ".lock");
}

QString SingleInstance::SocketPath(const QString& name) {
    return InFolder(name + ".socket");
}

SingleInstance::Role SingleInstance::Acquire() {
    if (LockFilePath(name_).isEmpty()) {
        qCWarning(lcMs1) << "single instance:" << FolderProblem();
        return Role::Failed;
    }
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
        // The socket file is the user's alone, but the folder may not be: the kernel's word
        // on who connected is what counts.
        if (PeerUser(socket) != getuid()) {
            qCWarning(lcMs1) << "single instance: refused a connection of another user";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // One request line per connection, whole within the patience: a client that says
        // nothing, never ends its line or sends too much is cut off and changes nothing.
        struct Connection {
            InstanceLineReader reader;
            bool lineTaken = false;
        };
        auto connection = std::make_shared<Connection>();
        QTimer::singleShot(kRequestPatienceMs, socket, [socket, connection] {
            if (!connection->lineTaken)
                socket->abort();
        });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, connection] {
            if (connection->lineTaken) {
                socket->readAll();  // one request per connection; the rest is not read
                return;
            }
            switch (connection->reader.Append(socket->readAll())) {
                case InstanceLineReader::State::NeedMore:
                    return;
                case InstanceLineReader::State::TooLong:
                    socket->abort();
                    return;
                case InstanceLineReader::State::Line:
                    connection->lineTaken = true;
                    OnLine(socket, connection->reader.TakeLine());
                    return;
            }
        });
    }
}

void SingleInstance::OnLine(QLocalSocket* socket, const QByteArray& line) {
    const InstanceLine parsed = ParseInstanceLine(line);
    switch (parsed.kind) {
        case InstanceLine::Kind::Activate:
            if (target_ != nullptr) {
                target_->Post(MSG_ACTIVATE_INSTANCE, 0, 0);
            }
            socket->write("ok\n");
            socket->flush();
            return;
        case InstanceLine::Kind::Garbage:
            if (line.startsWith(instance_protocol::kRunPrefix)) {
                // A request this program cannot read: the client does it itself.
                InstanceReply reply(socket);
                reply.Decline();
            } else {
                socket->abort();
            }
            return;
        case InstanceLine::Kind::Run:
            break;
    }
    if (!requestHandler_) {
        pending_.push_back({socket, parsed.request});
        return;
    }
    requestHandler_(parsed.request, std::make_shared<InstanceReply>(socket));
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
    socket.write(instance_protocol::kActivate);
    if (!socket.waitForBytesWritten(kConnectTimeoutMs)) {
        return false;
    }
    // Wait for the answer so the request is read before this process exits.
    return socket.waitForReadyRead(kConnectTimeoutMs);
}

}  // namespace ms1
