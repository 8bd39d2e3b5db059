#include "platform/InstanceRequests.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QLocalSocket>

namespace ms1 {

InstanceReply::InstanceReply(QLocalSocket* socket) : socket_(socket) {}

InstanceReply::~InstanceReply() {
    if (!finished_ && socket_ != nullptr)
        socket_->disconnectFromServer();
}

void InstanceReply::Line(const QByteArray& line) {
    if (socket_ == nullptr)
        return;
    socket_->write(line + '\n');
    socket_->flush();
}

void InstanceReply::Accept() {
    Line("accepted");
}

void InstanceReply::Decline() {
    finished_ = true;
    Line("declined");
}

void InstanceReply::Out(const std::string& text) {
    if (!text.empty())
        Line("out " + QByteArray::fromStdString(text).toBase64());
}

void InstanceReply::Err(const std::string& text) {
    if (!text.empty())
        Line("err " + QByteArray::fromStdString(text).toBase64());
}

void InstanceReply::Finish(int exitCode) {
    if (finished_)
        return;
    finished_ = true;
    Line("exit " + QByteArray::number(exitCode));
}

ForwardOutcome ForwardRequest(const QString& socketPath, const QJsonObject& request,
                              std::chrono::milliseconds patience,
                              const std::function<void(bool, const std::string&)>& output) {
    using Kind = ForwardOutcome::Kind;
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    QDeadlineTimer answerDeadline(patience);
    if (!socket.waitForConnected(static_cast<int>(patience.count()))) {
        // Nobody listens (no socket, or one left by a crashed instance); a server that does
        // not even take the connection is one that does not answer.
        return {socket.error() == QLocalSocket::SocketTimeoutError ? Kind::NoAnswer
                                                                   : Kind::NotRunning};
    }
    socket.write(instance_protocol::kRunPrefix +
                 QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    socket.flush();

    bool accepted = false;
    for (;;) {
        while (socket.canReadLine()) {
            const QByteArray line = socket.readLine().chopped(1);
            if (!accepted) {
                if (line == "declined")
                    return {Kind::Declined};
                if (line != "accepted")
                    return {Kind::Broken};
                accepted = true;
                continue;
            }
            if (line.startsWith("out ") || line.startsWith("err ")) {
                output(line.startsWith("err "), QByteArray::fromBase64(line.mid(4)).toStdString());
            } else if (line.startsWith("exit ")) {
                bool ok = false;
                const int code = line.mid(5).toInt(&ok);
                return ok ? ForwardOutcome{Kind::Finished, code} : ForwardOutcome{Kind::Broken};
            }
        }
        if (socket.state() != QLocalSocket::ConnectedState)
            return {accepted ? Kind::Broken : Kind::NoAnswer};
        // Until the request is taken the patience holds; after that the command may take as
        // long as its pauses need (a full apply over 2.4 GHz takes minutes at worst).
        const int wait = accepted ? -1 : static_cast<int>(answerDeadline.remainingTime());
        if (!socket.waitForReadyRead(wait)) {
            if (!accepted && socket.state() == QLocalSocket::ConnectedState)
                return {Kind::NoAnswer};
            if (socket.state() != QLocalSocket::ConnectedState && !socket.canReadLine())
                return {accepted ? Kind::Broken : Kind::NoAnswer};
        }
    }
}

}  // namespace ms1
