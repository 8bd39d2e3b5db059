#pragma once

#include <atomic>
#include <cstdint>

namespace ms1 {

// Which links reach the mouse. Shared by the links, the status decoding and the apply
// worker; each flag is a word that one thread writes and others poll.
struct LinkFlags {
    std::atomic<std::int32_t> wiredConnected{0};  // only 1 counts as connected; 2 after removal
    std::atomic<std::int32_t> wirelessConnected{0};
    std::atomic<std::int32_t> bleConnected{0};
    std::atomic<std::int32_t> anyConnected{0};

    // anyConnected := bleConnected != 0 || wiredConnected == 1 || wirelessConnected != 0.
    std::int32_t RecomputeAnyConnected() {
        std::int32_t any = (bleConnected.load() != 0 || wiredConnected.load() == 1 ||
                            wirelessConnected.load() != 0)
                               ? 1
                               : 0;
        anyConnected.store(any);
        return any;
    }
};

}  // namespace ms1
