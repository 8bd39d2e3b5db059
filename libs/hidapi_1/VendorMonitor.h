#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "libs/hidapi_1/VendorDeviceAccess.h"
#include "ports/WindowHandle.h"

namespace ms1::vendorhid {

// The library behind the seven functions: it watches for the device with the chosen ids,
// reads its status reports on a thread of its own and posts them to the window, and keeps the
// feature collection that reports are sent to.
//
// Every function may be called in any order and more than once; none blocks its caller for
// longer than one short poll of the device.
class VendorMonitor {
  public:
    static constexpr std::uint16_t kInputUsagePage = 0xFF01;
    static constexpr std::uint16_t kInputUsage = 1;
    static constexpr std::uint16_t kFeatureUsagePage = 0xFF02;
    static constexpr std::uint16_t kFeatureUsage = 2;
    static constexpr std::uint8_t kStatusReportId = 0x11;
    // The monitor thread's name (as /proc/PID/task/TID/comm shows it).
    static constexpr char kThreadName[] = "ms1-hid-monitor";

    explicit VendorMonitor(DeviceAccess& access);
    ~VendorMonitor();
    VendorMonitor(const VendorMonitor&) = delete;
    VendorMonitor& operator=(const VendorMonitor&) = delete;

    void SetIds(std::uint16_t vendorId, std::uint16_t productId);
    // Starts the monitor thread (a second call while it runs does nothing). Devices already
    // there are not announced: the caller opens the feature device itself at start-up.
    int OpenMonitor(const Ms1WindowHandle* window, std::uint32_t dataMessage,
                    std::uint32_t stateMessage);
    // Ends and joins the thread; nothing is posted after it returns.
    void CloseMonitor();
    int OpenFeature();
    void CloseFeature();
    int SetFeature(const std::uint8_t* data, std::size_t length);

    bool MonitorRunning() const { return thread_.joinable(); }

  private:
    void Run();
    // Looks at the devices again: announces arrivals and removals, one per device, and opens
    // or drops the input collection.
    void Rescan(bool announce);
    void Post(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

    DeviceAccess& access_;
    std::atomic<std::uint16_t> vendorId_{0};
    std::atomic<std::uint16_t> productId_{0};

    std::mutex monitorMutex_;  // start and stop of the thread
    std::thread thread_;
    std::atomic<bool> stop_{false};
    int wakeFds_[2] = {-1, -1};
    Ms1WindowHandle window_{};
    std::uint32_t dataMessage_ = 0;
    std::uint32_t stateMessage_ = 0;
    // The monitor thread's own.
    std::set<std::string> present_;
    DeviceAccess::Handle input_ = nullptr;
    std::string inputKey_;

    std::mutex featureMutex_;
    DeviceAccess::Handle feature_ = nullptr;
};

}  // namespace ms1::vendorhid
