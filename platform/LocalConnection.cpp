#include "platform/LocalConnection.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace ms1 {
namespace {

constexpr int kListenBacklog = 16;

bool AddressFor(const QString& path, sockaddr_un& address) {
    const QByteArray encoded = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (encoded.isEmpty() || static_cast<std::size_t>(encoded.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, encoded.constData(), static_cast<std::size_t>(encoded.size()));
    return true;
}

int StreamSocket(bool nonBlocking) {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
}

// Waits for `events` on `fd` until `deadline`; false when it ran out (or poll failed).
bool WaitFor(int fd, short events, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const qint64 left = deadline.remainingTime();
        const int result = ::poll(&entry, 1, left < 0 ? -1 : static_cast<int>(left));
        if (result > 0)
            return true;
        if (result == 0 || errno != EINTR)
            return false;
    }
}

}  // namespace

LocalConnection::LocalConnection(int fd, QObject* parent) : QObject(parent), fd_(fd) {
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    readNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read, this);
    connect(readNotifier_.get(), &QSocketNotifier::activated, this, &LocalConnection::OnReadable);
    writeNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_.get(), &QSocketNotifier::activated, this,
            &LocalConnection::FlushPending);
}

std::unique_ptr<LocalConnection> LocalConnection::ConnectTo(const QString& path) {
    sockaddr_un address;
    if (!AddressFor(path, address))
        return nullptr;
    const int fd = StreamSocket(true);
    if (fd < 0)
        return nullptr;
    // A Unix socket connects at once or not at all.
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<LocalConnection>(fd);
}

LocalConnection::~LocalConnection() {
    readNotifier_.reset();
    writeNotifier_.reset();
    if (fd_ >= 0)
        ::close(fd_);
}

QByteArray LocalConnection::ReadAll() {
    QByteArray bytes;
    bytes.swap(received_);
    return bytes;
}

void LocalConnection::OnReadable() {
    char chunk[4096];
    bool ended = false;
    for (;;) {
        const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
        if (got > 0) {
            received_.append(chunk, static_cast<qsizetype>(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        ended = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    if (!received_.isEmpty())
        emit ReadyRead();
    if (ended)
        Close();
}

void LocalConnection::Write(const QByteArray& bytes) {
    if (fd_ < 0)
        return;
    pending_.append(bytes);
    FlushPending();
}

void LocalConnection::FlushPending() {
    while (fd_ >= 0 && !pending_.isEmpty()) {
        const ssize_t sent = ::send(fd_, pending_.constData(),
                                    static_cast<std::size_t>(pending_.size()), MSG_NOSIGNAL);
        if (sent > 0) {
            pending_.remove(0, static_cast<qsizetype>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            writeNotifier_->setEnabled(true);
            return;
        }
        Close();  // the other side is gone
        return;
    }
    if (fd_ < 0)
        return;
    writeNotifier_->setEnabled(false);
    if (closeWhenWritten_)
        Close();
}

void LocalConnection::CloseWhenWritten() {
    closeWhenWritten_ = true;
    FlushPending();
}

void LocalConnection::Abort() {
    pending_.clear();
    Close();
}

void LocalConnection::Close() {
    if (fd_ < 0)
        return;
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    ::close(fd_);
    fd_ = -1;
    emit Closed();
}

LocalServer::LocalServer(QObject* parent) : QObject(parent) {}

LocalServer::~LocalServer() {
    Close();
}

QString LocalServer::Listen(const QString& path) {
    Close();
    sockaddr_un address;
    if (!AddressFor(path, address))
        return QStringLiteral("the socket path %1 is too long").arg(path);
    fd_ = StreamSocket(true);
    if (fd_ < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    ::unlink(address.sun_path);
    // Created without any access for others from the start, not opened to them for a moment.
    const mode_t before = ::umask(0077);
    const bool bound = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    const int bindError = errno;
    ::umask(before);
    if (!bound || ::listen(fd_, kListenBacklog) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(bound ? errno : bindError));
        ::close(fd_);
        fd_ = -1;
        return why;
    }
    path_ = path;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read, this);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &LocalServer::OnAcceptable);
    return {};
}

void LocalServer::Close() {
    notifier_.reset();
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    ::unlink(QFile::encodeName(path_).constData());
}

void LocalServer::OnAcceptable() {
    for (;;) {
        const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;  // EAGAIN: all taken; anything else: the next activation tries again
        }
        emit NewConnection(new LocalConnection(client, this));
    }
}

LocalClient::~LocalClient() {
    if (fd_ >= 0)
        ::close(fd_);
}

LocalClient::Connect LocalClient::ConnectTo(const QString& path) {
    sockaddr_un address;
    if (!AddressFor(path, address))
        return Connect::NoListener;
    fd_ = StreamSocket(true);
    if (fd_ < 0)
        return Connect::NoListener;
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return Connect::Done;
    // A Unix socket connects at once or not at all; EAGAIN is a listener that takes nothing.
    return errno == EAGAIN ? Connect::NoAnswer : Connect::NoListener;
}

bool LocalClient::WriteAll(const QByteArray& bytes, std::chrono::milliseconds patience) {
    const QDeadlineTimer deadline(patience);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t sent = ::send(fd_, bytes.constData() + done,
                                    static_cast<std::size_t>(bytes.size() - done), MSG_NOSIGNAL);
        if (sent > 0) {
            done += sent;
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(fd_, POLLOUT, deadline))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

std::optional<QByteArray> LocalClient::ReadLine(std::chrono::milliseconds patience) {
    const QDeadlineTimer deadline =
        patience.count() < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(patience);
    timedOut_ = false;
    for (;;) {
        const qsizetype end = buffer_.indexOf('\n');
        if (end >= 0) {
            QByteArray line = buffer_.left(end);
            buffer_.remove(0, end + 1);
            return line;
        }
        if (!WaitFor(fd_, POLLIN, deadline)) {
            timedOut_ = true;
            return std::nullopt;
        }
        char chunk[4096];
        const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
        if (got > 0) {
            buffer_.append(chunk, static_cast<qsizetype>(got));
        } else if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            continue;
        } else {
            return std::nullopt;  // closed, or reset
        }
    }
}

}  // namespace ms1
