#include "transport/RealHidApi.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include <hidapi.h>

namespace ms1 {

// What a handle of this backend points at: a hidapi device, or a hidraw node opened for
// reading only. hidapi keeps its descriptor to itself, so a reader that must sleep on the
// node opens it, polls it and reads it as hidapi's hidraw backend does inside.
struct RealHidApi::Handle {
    hid_device* device = nullptr;
    int fd = -1;
    std::atomic<bool> nonblocking{false};
};

namespace {

bool Broken(short revents) {
    return (revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
}

}  // namespace

RealHidApi::~RealHidApi() {
    if (initialised_) {
        hid_exit();
    }
}

RealHidApi::Handle* RealHidApi::Of(HidHandle* handle) {
    return reinterpret_cast<Handle*>(handle);
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
    if (device == nullptr) {
        // hidapi keeps no errno of its own; asking the node itself says whether it was the
        // permission.
        if (::access(path.c_str(), R_OK | W_OK) != 0)
            lastOpenError_ = errno;
        return nullptr;
    }
    auto* handle = new Handle;
    handle->device = device;
    return reinterpret_cast<HidHandle*>(handle);
}

HidHandle* RealHidApi::OpenInputPath(const std::string& path) {
    // Read and write, as hidapi opens it: a node this user may only read is refused the same
    // way for both kinds of collection.
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    lastOpenError_ = fd < 0 ? errno : 0;
    if (fd < 0)
        return nullptr;
    auto* handle = new Handle;
    handle->fd = fd;
    return reinterpret_cast<HidHandle*>(handle);
}

HidWait RealHidApi::WaitForInput(HidHandle* handle, int stopFd) {
    if (handle == nullptr || Of(handle)->fd < 0)
        return HidWait::kFailed;
    pollfd fds[2] = {{stopFd, POLLIN, 0}, {Of(handle)->fd, POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return HidWait::kFailed;
        }
        if (fds[0].revents != 0)
            return HidWait::kStopped;
        if (Broken(fds[1].revents))
            return HidWait::kFailed;
        if ((fds[1].revents & POLLIN) != 0)
            return HidWait::kReadable;
    }
}

int RealHidApi::SetNonblocking(HidHandle* handle, int nonblock) {
    if (handle == nullptr)
        return -1;
    Handle* h = Of(handle);
    if (h->device != nullptr)
        return hid_set_nonblocking(h->device, nonblock);
    h->nonblocking = nonblock != 0;
    return 0;
}

int RealHidApi::Read(HidHandle* handle, std::uint8_t* data, std::size_t length) {
    if (handle == nullptr)
        return -1;
    Handle* h = Of(handle);
    if (h->device != nullptr)
        return hid_read(h->device, data, length);
    // hidraw hands out one report per read; nothing waiting is 0 in non-blocking mode.
    pollfd fd{h->fd, POLLIN, 0};
    const int ready = ::poll(&fd, 1, h->nonblocking ? 0 : -1);
    if (ready < 0)
        return errno == EINTR ? 0 : -1;
    if (ready == 0)
        return 0;
    if (Broken(fd.revents))
        return -1;
    const ssize_t n = ::read(h->fd, data, length);
    if (n < 0)
        return errno == EAGAIN || errno == EINPROGRESS ? 0 : -1;
    return static_cast<int>(n);
}

int RealHidApi::SendFeatureReport(HidHandle* handle, const std::uint8_t* data, std::size_t length) {
    // An input-only handle sends nothing.
    if (handle == nullptr || Of(handle)->device == nullptr)
        return -1;
    return hid_send_feature_report(Of(handle)->device, data, length);
}

void RealHidApi::Close(HidHandle* handle) {
    if (handle == nullptr)
        return;
    Handle* h = Of(handle);
    if (h->device != nullptr)
        hid_close(h->device);
    if (h->fd >= 0)
        ::close(h->fd);
    delete h;
}

}  // namespace ms1
