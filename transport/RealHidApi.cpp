#include "transport/RealHidApi.h"

#include <unistd.h>

#include <cerrno>

#include <hidapi.h>

namespace ms1 {
namespace {

hid_device* Device(HidHandle* handle) {
    return reinterpret_cast<hid_device*>(handle);
}

}  // namespace

RealHidApi::~RealHidApi() {
    if (initialised_) {
        hid_exit();
    }
}

int RealHidApi::Init() {
    const int result = hid_init();
    if (result == 0) {
        initialised_ = true;
    }
    return result;
}

std::vector<HidDeviceInfo> RealHidApi::Enumerate(std::uint16_t vendorId, std::uint16_t productId) {
    std::vector<HidDeviceInfo> found;
    hid_device_info* list = hid_enumerate(vendorId, productId);
    for (const hid_device_info* info = list; info != nullptr; info = info->next) {
        HidDeviceInfo record;
        record.path = info->path != nullptr ? info->path : "";
        record.vendorId = info->vendor_id;
        record.productId = info->product_id;
        record.usagePage = info->usage_page;
        record.usage = info->usage;
        record.interfaceNumber = info->interface_number;
        found.push_back(std::move(record));
    }
    hid_free_enumeration(list);
    return found;
}

HidHandle* RealHidApi::OpenPath(const std::string& path) {
    hid_device* device = hid_open_path(path.c_str());
    lastOpenError_ = 0;
    // hidapi keeps no errno of its own; asking the node itself says whether it was the
    // permission.
    if (device == nullptr && ::access(path.c_str(), R_OK | W_OK) != 0)
        lastOpenError_ = errno;
    return reinterpret_cast<HidHandle*>(device);
}

int RealHidApi::SetNonblocking(HidHandle* handle, int nonblock) {
    return handle != nullptr ? hid_set_nonblocking(Device(handle), nonblock) : -1;
}

int RealHidApi::Read(HidHandle* handle, std::uint8_t* data, std::size_t length) {
    return handle != nullptr ? hid_read(Device(handle), data, length) : -1;
}

int RealHidApi::SendFeatureReport(HidHandle* handle, const std::uint8_t* data, std::size_t length) {
    return handle != nullptr ? hid_send_feature_report(Device(handle), data, length) : -1;
}

void RealHidApi::Close(HidHandle* handle) {
    if (handle != nullptr) {
        hid_close(Device(handle));
    }
}

}  // namespace ms1
