#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
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
std::optional<uid_t> PeerUser(const LocalConnection* connection) {
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    const int fd = connection->Descriptor();
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
        server_->Close();
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
    server_ = std::make_unique<LocalServer>();
    // We hold the lock, so a socket of this name can only be left over from a crash (Listen
    // removes it); the socket file is the user's alone.
    const QString problem = server_->Listen(SocketPath(name_));
    if (!problem.isEmpty()) {
        qCWarning(lcMs1) << "single instance: cannot listen:" << problem;
    }
    connect(server_.get(), &LocalServer::NewConnection, this, &SingleInstance::OnNewConnection);
    return Role::First;
}

void SingleInstance::OnNewConnection(LocalConnection* socket) {
    connect(socket, &LocalConnection::Closed, socket, &QObject::deleteLater);
    // The socket file is the user's alone, but the folder may not be: the kernel's word on who
    // connected is what counts.
    if (PeerUser(socket) != getuid()) {
        qCWarning(lcMs1) << "single instance: refused a connection of another user";
        socket->Abort();
        return;
    }
    // One request line per connection, whole within the patience: a client that says nothing,
    // never ends its line or sends too much is cut off and changes nothing.
    struct Connection {
        InstanceLineReader reader;
        bool lineTaken = false;
    };
    auto connection = std::make_shared<Connection>();
    QTimer::singleShot(kRequestPatienceMs, socket, [socket, connection] {
        if (!connection->lineTaken)
            socket->Abort();
    });
    connect(socket, &LocalConnection::ReadyRead, this, [this, socket, connection] {
        if (connection->lineTaken) {
            socket->ReadAll();  // one request per connection; the rest is not read
            return;
        }
        switch (connection->reader.Append(socket->ReadAll())) {
            case InstanceLineReader::State::NeedMore:
                return;
            case InstanceLineReader::State::TooLong:
                socket->Abort();
                return;
            case InstanceLineReader::State::Line:
                connection->lineTaken = true;
                OnLine(socket, connection->reader.TakeLine());
                return;
        }
    });
}

void SingleInstance::OnLine(LocalConnection* socket, const QByteArray& line) {
    const InstanceLine parsed = ParseInstanceLine(line);
    switch (parsed.kind) {
        case InstanceLine::Kind::Activate:
            if (target_ != nullptr) {
                target_->Post(MSG_ACTIVATE_INSTANCE, 0, 0);
            }
            socket->Write("ok\n");
            return;
        case InstanceLine::Kind::Garbage:
            if (line.startsWith(instance_protocol::kRunPrefix)) {
                // A request this program cannot read: the client does it itself.
                InstanceReply reply(socket);
                reply.Decline();
            } else {
                socket->Abort();
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
        if (request.connection != nullptr && requestHandler_) {
            requestHandler_(request.request, std::make_shared<InstanceReply>(request.connection));
        }
    }
}

bool SingleInstance::AskFirstToShow() const {
    const std::chrono::milliseconds patience(kConnectTimeoutMs);
    LocalClient client;
    if (client.ConnectTo(SocketPath(name_)) != LocalClient::Connect::Done)
        return false;
    if (!client.WriteAll(instance_protocol::kActivate, patience))
        return false;
    // Wait for the answer so the request is read before this process exits.
    return client.ReadLine(patience).has_value();
}

}  // namespace ms1
