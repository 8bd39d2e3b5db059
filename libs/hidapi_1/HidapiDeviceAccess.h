#pragma once

#include <mutex>
#include <set>

#include "libs/hidapi_1/VendorDeviceAccess.h"

struct udev;
struct udev_monitor;

namespace ms1::vendorhid {

// The device through hidapi's hidraw backend, its comings and goings through a udev monitor
// of the hidraw subsystem.
class HidapiDeviceAccess final : public DeviceAccess {
  public:
    HidapiDeviceAccess();
    ~HidapiDeviceAccess() override;
    HidapiDeviceAccess(const HidapiDeviceAccess&) = delete;
    HidapiDeviceAccess& operator=(const HidapiDeviceAccess&) = delete;

    std::vector<Collection> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    Handle Open(const std::string& path) override;
    int Read(Handle device, std::uint8_t* data, std::size_t length, int timeoutMs) override;
    int SendFeature(Handle device, const std::uint8_t* data, std::size_t length) override;
    void Close(Handle device) override;
    // The input collection is read straight from its hidraw node, as hidapi does inside:
    // hidapi keeps its descriptor to itself, and the reader sleeps on it.
    Handle OpenInput(const std::string& path) override;
    int InputFd(Handle device) override;
    int ChangesFd() override;
    void TakeChanges() override;

  private:
    struct InputNode;
    InputNode* Input(Handle device);

    // The USB device a hidraw node belongs to, so that its collections count as one device.
    std::string DeviceKey(const std::string& hidrawPath);

    struct udev* udev_ = nullptr;
    struct udev_monitor* monitor_ = nullptr;
    std::mutex inputsMutex_;
    std::set<Handle> inputs_;  // the handles that are InputNodes
};

}  // namespace ms1::vendorhid
