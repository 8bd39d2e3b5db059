#pragma once

#include <atomic>
#include <cstdint>

namespace ms1 {

// Connection state of the three links, shared by the links, the status decoding and the
// page. Whoever changes a flag recomputes anyConnected and posts MSG_CONNECTION_CHANGED.
struct LinkFlags {
    std::atomic<std::int32_t> wiredConnected{0};  // only 1 counts as connected
    std::atomic<std::int32_t> wirelessConnected{0};
    std::atomic<std::int32_t> bleConnected{0};
    std::atomic<std::int32_t> anyConnected{0};

    bool WiredUp() const { return wiredConnected.load() == 1; }
    bool WirelessUp() const { return wirelessConnected.load() != 0; }
    bool BleUp() const { return bleConnected.load() != 0; }
    // Whether any of the three links has the mouse, as the flags stand now.
    bool AnyLinkUp() const { return WiredUp() || WirelessUp() || BleUp(); }

    // Returns the new value of anyConnected.
    std::int32_t RecomputeAnyConnected() {
        const bool any = AnyLinkUp();
        anyConnected.store(any ? 1 : 0);
        return any ? 1 : 0;
    }
};

}  // namespace ms1
