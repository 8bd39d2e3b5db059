#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/Result.h"
#include "ports/LinkPorts.h"
#include "ports/VendorHidApi.h"
#include "ports/WiredDevicePort.h"

namespace ms1 {

// The vendor library's functions as the binding calls them; an empty one is absent and is
// never called. The loaded library fills them from its symbols, the virtual wired mouse from
// its own stand-ins.
struct VendorHidFunctions {
    std::function<int(std::uint16_t, std::uint16_t)> setVidPid;
    std::function<int(const Ms1WindowHandle*, std::uint32_t, std::uint32_t)> openDevMonitor;
    std::function<int()> openFeatureDevice;
    std::function<void()> closeFeatureDevice;
    std::function<void()> closeDevMonitor;
    std::function<int(const std::uint8_t*, std::size_t)> setFeature;
    std::function<int(std::uint8_t*, std::size_t)> getFeature;  // looked up only

    bool Any() const;
};

// "libhidapi_1.so" loaded from the program folder; unloaded when destroyed. The functions
// must not be called after that.
class VendorHidLibrary {
  public:
    static constexpr const char* kFileName = "libhidapi_1.so";

    // Failed, with the reason, when the library cannot be loaded. Names it lacks stay empty.
    static ResultOf<std::unique_ptr<VendorHidLibrary>> Load(
        const std::filesystem::path& programFolder);
    ~VendorHidLibrary();
    VendorHidLibrary(const VendorHidLibrary&) = delete;
    VendorHidLibrary& operator=(const VendorHidLibrary&) = delete;

    const VendorHidFunctions& Functions() const { return functions_; }

  private:
    explicit VendorHidLibrary(void* handle);

    void* handle_;
    VendorHidFunctions functions_;
};

// The wired link over the vendor library: the status decoding opens and closes the feature
// device through it and the report sender sends through it. The monitor's messages 1539 and
// 1540 go to `window` (the main window, which hands them to the status decoding).
// Destroying it closes the feature device and then the monitor, in that order.
class VendorHidBinding final : public WiredDevicePort, public WiredReportPort {
  public:
    static constexpr std::uint16_t kVendorId = 0x1D57;
    static constexpr std::uint16_t kProductId = 0xA011;

    VendorHidBinding(VendorHidFunctions functions, MessageTarget& window);
    ~VendorHidBinding() override;
    VendorHidBinding(const VendorHidBinding&) = delete;
    VendorHidBinding& operator=(const VendorHidBinding&) = delete;

    // WiredDevicePort (window thread)
    bool IsBound() const override { return functions_.Any(); }
    void StartMonitor() override;
    Result OpenFeatureDevice() override;
    void CloseFeatureDevice() override;
    // WiredReportPort (apply worker)
    Result SetFeature(const std::uint8_t* data, std::size_t length) override;

    // Closes the feature device and the monitor now; nothing is posted after it returns.
    void Close();

  private:
    VendorHidFunctions functions_;
    Ms1WindowHandle handle_;
    bool monitorOpen_ = false;
    std::atomic<bool> closed_{false};
};

}  // namespace ms1
