#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "libs/hook/CaptureSource.h"
#include "libs/hook/UniqueFd.h"

namespace ms1::hook {

// Keys and buttons read from evdev devices: each descriptor gives struct input_event records
// (a device under /dev/input, or a pipe in the tests). Devices are only read, never grabbed,
// so the desktop sees every key as before. A device that goes away is dropped.
class EvdevCapture final : public CaptureSource {
  public:
    // The descriptors must be non-blocking.
    explicit EvdevCapture(std::vector<UniqueFd> devices);

    // The keyboards and mice in `folder` (event*) that can be opened for reading; null when
    // there is none.
    static std::unique_ptr<EvdevCapture> OpenDevices(const std::filesystem::path& folder);

    std::vector<int> Fds() const override;
    bool Process(RawInputSink& sink) override;
    std::size_t DeviceCount() const { return devices_.size(); }

  private:
    struct Device {
        UniqueFd fd;
        // A record read only in part waits here for its rest.
        std::vector<unsigned char> partial;
    };
    // False when the device is gone.
    static bool Drain(Device& device, RawInputSink& sink);

    std::vector<Device> devices_;
};

}  // namespace ms1::hook
