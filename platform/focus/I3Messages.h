#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ms1::i3 {

// The i3 IPC protocol (also sway's): each message is the magic "i3-ipc", the payload's length
// and the message type as 32-bit numbers in the host's byte order, then a JSON payload.
// Events come on the same socket with the type's high bit set.
inline constexpr char kMagic[] = "i3-ipc";
inline constexpr std::size_t kMagicSize = 6;
inline constexpr std::size_t kHeaderSize = kMagicSize + 8;
inline constexpr std::uint32_t kSubscribe = 2;
inline constexpr std::uint32_t kGetTree = 4;
inline constexpr std::uint32_t kEventFlag = 0x80000000u;
inline constexpr std::uint32_t kWindowEvent = kEventFlag | 3;

QByteArray EncodeMessage(std::uint32_t type, const QByteArray& payload);

struct IpcMessage {
    std::uint32_t type = 0;
    QByteArray payload;
};

enum class Take { kWhole, kNeedMore, kBroken };
// Takes the first whole message off the front of `buffer`. kBroken: the buffer does not start
// with the magic (the peer speaks something else); nothing is taken.
Take TakeMessage(QByteArray& buffer, IpcMessage& message);

// The application id of a window event's container when its change is "focus".
std::optional<std::string> FocusedAppIdOfEvent(const QByteArray& payload);

struct TreeWindows {
    std::vector<std::string> appIds;  // each once, in tree order
    std::string focused;              // the focused window's, empty when none
};
// The windows of a GET_TREE reply.
TreeWindows WindowsOfTree(const QByteArray& payload);

}  // namespace ms1::i3
