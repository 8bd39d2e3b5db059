#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>

class QSocketNotifier;

namespace ms1 {

// One connected Unix stream socket on the window thread, without Qt Network (the program's
// only socket is the single-instance one; Qt Network would bring Kerberos and libproxy with
// it into every start). Reads are announced by ReadyRead; writes never block: what the
// kernel does not take at once is kept and sent when the socket can take more.
class LocalConnection : public QObject {
    Q_OBJECT
  public:
    // Takes ownership of `fd`, a connected stream socket.
    explicit LocalConnection(int fd, QObject* parent = nullptr);
    ~LocalConnection() override;
    LocalConnection(const LocalConnection&) = delete;
    LocalConnection& operator=(const LocalConnection&) = delete;

    // A connection to the listener at `path`, or null when none takes it (no socket file,
    // nobody listening, or a full queue).
    static std::unique_ptr<LocalConnection> ConnectTo(const QString& path);

    int Descriptor() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }

    // What came since the last call.
    QByteArray ReadAll();
    void Write(const QByteArray& bytes);
    // Closes once what was written has gone out (or could not go out).
    void CloseWhenWritten();
    // Closes at once; what was not sent is dropped.
    void Abort();

  signals:
    void ReadyRead();
    // Once, when the connection ends for whatever reason.
    void Closed();

  private:
    void OnReadable();
    void FlushPending();
    void Close();

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    QByteArray received_;
    QByteArray pending_;
    bool closeWhenWritten_ = false;
};

// A listening Unix stream socket whose file only its user may open; each connection
// accepted is announced as a LocalConnection owned by the server until the receiver takes it
// (setParent) or it closes.
class LocalServer : public QObject {
    Q_OBJECT
  public:
    explicit LocalServer(QObject* parent = nullptr);
    ~LocalServer() override;

    // Removes a socket file left at `path`, binds and listens. Empty when done, else why not.
    QString Listen(const QString& path);
    void Close();

  signals:
    void NewConnection(ms1::LocalConnection* connection);

  private:
    void OnAcceptable();

    int fd_ = -1;
    QString path_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// The client's side, blocking, for short-lived callers (ms1ctl, a second start) that have no
// event loop.
class LocalClient {
  public:
    enum class Connect { Done, NoListener, NoAnswer };

    LocalClient() = default;
    ~LocalClient();
    LocalClient(const LocalClient&) = delete;
    LocalClient& operator=(const LocalClient&) = delete;

    // NoListener: no socket file, or nobody listens on it; NoAnswer: a listener whose queue is
    // full (it takes no connections).
    Connect ConnectTo(const QString& path);
    bool WriteAll(const QByteArray& bytes, std::chrono::milliseconds patience);
    // The next line without its '\n'; nullopt when the other side closed first or `patience`
    // ran out (TimedOut tells which). A negative patience waits as long as it takes.
    std::optional<QByteArray> ReadLine(std::chrono::milliseconds patience);
    bool TimedOut() const { return timedOut_; }

  private:
    int fd_ = -1;
    QByteArray buffer_;
    bool timedOut_ = false;
};

}  // namespace ms1
