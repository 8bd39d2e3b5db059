#include "platform/focus/I3Messages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstring>

#include "platform/focus/ProcessName.h"

namespace ms1::i3 {
namespace {

std::uint32_t ReadU32(const char* at) {
    std::uint32_t value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// sway's app_id (Wayland windows), else the X11 class (i3, or sway's XWayland windows), else
// the process's name.
std::string AppIdOf(const QJsonObject& node) {
    const QString appId = node.value(QStringLiteral("app_id")).toString();
    if (!appId.isEmpty())
        return appId.toStdString();
    const QJsonObject props = node.value(QStringLiteral("window_properties")).toObject();
    const QString windowClass = props.value(QStringLiteral("class")).toString();
    if (!windowClass.isEmpty())
        return windowClass.toStdString();
    const double pid = node.value(QStringLiteral("pid")).toDouble();
    return pid > 0 ? ProcessName(static_cast<std::uint32_t>(pid)) : std::string();
}

// A container that holds a client window, not a split, workspace or output.
bool IsWindow(const QJsonObject& node) {
    return node.value(QStringLiteral("window")).isDouble() ||
           node.value(QStringLiteral("app_id")).isString();
}

void Walk(const QJsonObject& node, TreeWindows& out) {
    if (IsWindow(node)) {
        std::string id = AppIdOf(node);
        if (node.value(QStringLiteral("focused")).toBool())
            out.focused = id;
        if (!id.empty() && std::find(out.appIds.begin(), out.appIds.end(), id) == out.appIds.end())
            out.appIds.push_back(std::move(id));
    }
    for (const char* key : {"nodes", "floating_nodes"}) {
        for (const QJsonValue& child : node.value(QLatin1String(key)).toArray())
            Walk(child.toObject(), out);
    }
}

}  // namespace

QByteArray EncodeMessage(std::uint32_t type, const QByteArray& payload) {
    QByteArray bytes(kMagic, kMagicSize);
    const auto length = static_cast<std::uint32_t>(payload.size());
    bytes.append(reinterpret_cast<const char*>(&length), sizeof length);
    bytes.append(reinterpret_cast<const char*>(&type), sizeof type);
    bytes.append(payload);
    return bytes;
}

Take TakeMessage(QByteArray& buffer, IpcMessage& message) {
    const auto have = static_cast<std::size_t>(buffer.size());
    if (std::memcmp(buffer.constData(), kMagic, std::min(have, kMagicSize)) != 0)
        return Take::kBroken;
    if (have < kHeaderSize)
        return Take::kNeedMore;
    const std::uint32_t length = ReadU32(buffer.constData() + kMagicSize);
    if (have - kHeaderSize < length)
        return Take::kNeedMore;
    message.type = ReadU32(buffer.constData() + kMagicSize + 4);
    message.payload = buffer.mid(static_cast<qsizetype>(kHeaderSize), length);
    buffer.remove(0, static_cast<qsizetype>(kHeaderSize + length));
    return Take::kWhole;
}

std::optional<std::string> FocusedAppIdOfEvent(const QByteArray& payload) {
    const QJsonObject event = QJsonDocument::fromJson(payload).object();
    if (event.value(QStringLiteral("change")).toString() != QStringLiteral("focus"))
        return std::nullopt;
    return AppIdOf(event.value(QStringLiteral("container")).toObject());
}

TreeWindows WindowsOfTree(const QByteArray& payload) {
    TreeWindows out;
    Walk(QJsonDocument::fromJson(payload).object(), out);
    return out;
}

}  // namespace ms1::i3
