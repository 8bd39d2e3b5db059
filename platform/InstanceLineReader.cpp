#include "platform/InstanceLineReader.h"

#include <QJsonDocument>

#include "platform/InstanceRequests.h"

namespace ms1 {

InstanceLine ParseInstanceLine(const QByteArray& line) {
    InstanceLine parsed;
    if (line == instance_protocol::kActivate) {
        parsed.kind = InstanceLine::Kind::Activate;
        return parsed;
    }
    if (!line.startsWith(instance_protocol::kRunPrefix) || !line.endsWith('\n'))
        return parsed;
    const QJsonDocument document =
        QJsonDocument::fromJson(line.mid(instance_protocol::kRunPrefix.size()).trimmed());
    if (!document.isObject())
        return parsed;
    parsed.kind = InstanceLine::Kind::Run;
    parsed.request = document.object();
    return parsed;
}

InstanceLineReader::State InstanceLineReader::Append(const QByteArray& bytes) {
    if (tooLong_)
        return State::TooLong;
    buffer_.append(bytes);
    const qsizetype end = buffer_.indexOf('\n');
    if (end >= 0 && end < kMaxRequestBytes)
        return State::Line;
    if (buffer_.size() >= kMaxRequestBytes) {
        tooLong_ = true;
        buffer_.clear();
        return State::TooLong;
    }
    return State::NeedMore;
}

QByteArray InstanceLineReader::TakeLine() {
    const qsizetype end = buffer_.indexOf('\n');
    if (tooLong_ || end < 0 || end >= kMaxRequestBytes)
        return {};
    QByteArray line = buffer_.left(end + 1);
    buffer_.remove(0, end + 1);
    return line;
}

}  // namespace ms1
