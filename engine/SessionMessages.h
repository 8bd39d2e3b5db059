#pragma once

#include <cstdint>

namespace ms1 {

// Private message of a device session's own hub: the two status words a reader read from the
// elected receiver (wParam = A, lParam = V), decoded on the window thread. Chosen above the
// window messages of the main window so the two never meet.
inline constexpr std::uint32_t kMsgReceiverStatus = 0x0700;

// Thread message of the session's worker: one apply of a profile handed over with
// DeviceSession::ApplyProfileOnce.
inline constexpr std::uint32_t kMsgApplyProfileOnce = 0x0702;

// Private messages of the hub for the Bluetooth LE link: the status words of a notification
// (wParam = A, lParam = V), and a service interface that arrived (wParam 1) or left (0), its
// path in the message's text.
inline constexpr std::uint32_t kMsgBleStatus = 0x0703;
inline constexpr std::uint32_t kMsgBleDeviceChange = 0x0704;

// Thread message of the worker: the next piece of the Bluetooth link's GATT work.
inline constexpr std::uint32_t kMsgGattWork = 0x0705;

}  // namespace ms1
