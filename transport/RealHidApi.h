#pragma once

#include "transport/HidApi.h"

namespace ms1 {

// HidApi over the system's hidapi (hidraw backend); input-only collections are read straight
// from their hidraw node, so that a reader can sleep on it.
class RealHidApi final : public HidApi {
  public:
    RealHidApi() = default;
    ~RealHidApi() override;
    RealHidApi(const RealHidApi&) = delete;
    RealHidApi& operator=(const RealHidApi&) = delete;

    int Init() override;
    std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    HidHandle* OpenPath(const std::string& path) override;
    int LastOpenError() const override { return lastOpenError_; }
    HidHandle* OpenInputPath(const std::string& path) override;
    HidWait WaitForInput(HidHandle* handle, int stopFd) override;
    int SetNonblocking(HidHandle* handle, int nonblock) override;
    int Read(HidHandle* handle, std::uint8_t* data, std::size_t length) override;
    int SendFeatureReport(HidHandle* handle, const std::uint8_t* data, std::size_t length) override;
    void Close(HidHandle* handle) override;

  private:
    struct Handle;
    static Handle* Of(HidHandle* handle);

    bool initialised_ = false;
    int lastOpenError_ = 0;
};

}  // namespace ms1
