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

    // Returns the new value of anyConnected.
    std::int32_t RecomputeAnyConnected() {
        const bool any =
            bleConnected.load() != 0 || wiredConnected.load() == 1 || wirelessConnected.load() != 0;
        anyConnected.store(any ? 1 : 0);
        return any ? 1 : 0;
    }
};

}  // namespace ms1
