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

}  // namespace ms1
