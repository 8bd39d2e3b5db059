#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "ports/WindowHandle.h"
#include "transport/VendorHidBinding.h"
#include "transport/WakeEvent.h"

namespace ms1::sim {

class VirtualHidBus;

// The virtual mouse's cable: the wired personality of a receiver's mouse, reached through a
// stand-in of the vendor library with the same functions as libhidapi_1.so, so the binding
// and everything above it run unchanged. Its monitor thread hands the mouse's status reports
// to the window as 1539 and the plug and unplug as 1540, as the library does; it sleeps until
// the mouse has something to say.
class VirtualCable {
  public:
    // The cable of `receiver`'s mouse on `bus`; the bus outlives it.
    VirtualCable(VirtualHidBus& bus, int receiver);
    ~VirtualCable();
    VirtualCable(const VirtualCable&) = delete;
    VirtualCable& operator=(const VirtualCable&) = delete;

    // The vendor library's functions, bound to this cable.
    VendorHidFunctions Functions();

    // Plugging in charges the mouse over the cable; pulling the cable closes its feature
    // device, as the system does with the device's node.
    void Plug();
    void Unplug();
    bool Plugged() const { return plugged_; }
    // The mouse refuses every set-feature (the call fails).
    void SetRefusing(bool refusing) { refusing_ = refusing; }
    int Receiver() const { return receiver_; }

  private:
    int OpenMonitor(const Ms1WindowHandle* window, std::uint32_t dataMessage,
                    std::uint32_t stateMessage);
    void CloseMonitor();
    int OpenFeature();
    int SetFeature(const std::uint8_t* data, std::size_t length);
    void Run();

    VirtualHidBus& bus_;
    const int receiver_;
    std::atomic<bool> plugged_{false};
    std::atomic<bool> featureOpen_{false};
    std::atomic<bool> refusing_{false};

    std::mutex mutex_;  // the monitor's start and stop, and what it posts to
    Ms1WindowHandle window_{};
    std::uint32_t dataMessage_ = 0;
    std::uint32_t stateMessage_ = 0;
    bool monitoring_ = false;
    std::atomic<bool> stop_{false};
    WakeEvent wake_;  // the monitor looks again: the cable plugged or pulled, or its end
    std::thread thread_;
};

}  // namespace ms1::sim
