#include "platform/InstanceRequests.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QMetaObject>
#include <QThread>
#include <algorithm>

namespace ms1 {

InstanceReply::InstanceReply(LocalConnection* connection) : connection_(connection) {}

InstanceReply::~InstanceReply() {
    LocalConnection* connection = connection_.data();
    if (connection == nullptr)
        return;
    // The last holder may be another thread (an apply worker's listener): the connection's
    // notifiers can only be switched off on the connection's own thread, so the close goes there.
    if (QThread::currentThread() == connection->thread()) {
        connection->CloseWhenWritten();
        return;
    }
    QMetaObject::invokeMethod(
        connection, [connection] { connection->CloseWhenWritten(); }, Qt::QueuedConnection);
}

void InstanceReply::Line(const QByteArray& line) {
    if (connection_ == nullptr)
        return;
    connection_->Write(line + '\n');
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
    const QDeadlineTimer answerDeadline(patience);
    LocalClient client;
    switch (client.ConnectTo(socketPath)) {
        case LocalClient::Connect::Done:
            break;
        case LocalClient::Connect::NoListener:
            // Nobody listens (no socket, or one left by a crashed instance).
            return {Kind::NotRunning};
        case LocalClient::Connect::NoAnswer:
            // A server that does not even take the connection is one that does not answer.
            return {Kind::NoAnswer};
    }
    if (!client.WriteAll(instance_protocol::kRunPrefix +
                             QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n',
                         patience)) {
        return {Kind::NoAnswer};
    }

    // Until the request is taken the patience holds; after that the command may take as long
    // as its pauses need (a full apply over 2.4 GHz takes minutes at worst).
    const auto remaining = [&answerDeadline] {
        return std::chrono::milliseconds(std::max<qint64>(0, answerDeadline.remainingTime()));
    };
    const std::optional<QByteArray> answer = client.ReadLine(remaining());
    if (!answer)
        return {Kind::NoAnswer};
    if (*answer == "declined")
        return {Kind::Declined};
    if (*answer != "accepted")
        return {Kind::Broken};
    for (;;) {
        const std::optional<QByteArray> line = client.ReadLine(std::chrono::milliseconds(-1));
        if (!line)
            return {Kind::Broken};
        if (line->startsWith("out ") || line->startsWith("err ")) {
            output(line->startsWith("err "), QByteArray::fromBase64(line->mid(4)).toStdString());
        } else if (line->startsWith("exit ")) {
            bool ok = false;
            const int code = line->mid(5).toInt(&ok);
            return ok ? ForwardOutcome{Kind::Finished, code} : ForwardOutcome{Kind::Broken};
        }
    }
}

}  // namespace ms1
