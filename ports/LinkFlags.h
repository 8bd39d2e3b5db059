#pragma once

#include <atomic>
#include <cstdint>

namespace ms1 {

// Where the wired mouse stands. Only kUp is a link; kRemoved differs from kAbsent in that the
// cable was there and went, so its removal is handled once.
enum class WiredState : std::int32_t {
    kAbsent = 0,   // not seen since start-up
    kUp = 1,       // the cable's feature device is open
    kRemoved = 2,  // the cable went away
};

// Connection state of the three links, shared by the links, the status decoding and the
// page. Ask WiredUp(), WirelessUp(), BleUp() or AnyLinkUp() whether a link is up. Whoever
// changes a flag calls RecomputeAnyConnected and posts MSG_CONNECTION_CHANGED.
struct LinkFlags {
    std::atomic<WiredState> wiredConnected{WiredState::kAbsent};
    std::atomic<bool> wirelessConnected{false};  // the 2.4 GHz receiver has the mouse
    std::atomic<bool> bleConnected{false};       // the Bluetooth LE mouse is connected
    std::atomic<bool> anyConnected{false};       // as last recomputed

    bool WiredUp() const { return wiredConnected.load() == WiredState::kUp; }
    bool WirelessUp() const { return wirelessConnected.load(); }
    bool BleUp() const { return bleConnected.load(); }
    // Whether any of the three links has the mouse, as the flags stand now.
    bool AnyLinkUp() const { return WiredUp() || WirelessUp() || BleUp(); }

    // Stores AnyLinkUp() in anyConnected and returns it.
    bool RecomputeAnyConnected() {
        const bool any = AnyLinkUp();
        anyConnected.store(any);
        return any;
    }
};

}  // namespace ms1
