#include "libs/hidapi_1/HidapiDeviceAccess.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include <hidapi.h>
#include <libudev.h>

#include <filesystem>

namespace ms1::vendorhid {

HidapiDeviceAccess::HidapiDeviceAccess() {
    hid_init();
    udev_ = udev_new();
    if (udev_ == nullptr)
        return;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (monitor_ != nullptr &&
        (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
         udev_monitor_enable_receiving(monitor_) < 0)) {
        udev_monitor_unref(monitor_);
        monitor_ = nullptr;
    }
}

HidapiDeviceAccess::~HidapiDeviceAccess() {
    if (monitor_ != nullptr)
        udev_monitor_unref(monitor_);
    if (udev_ != nullptr)
        udev_unref(udev_);
    hid_exit();
}

std::string HidapiDeviceAccess::DeviceKey(const std::string& hidrawPath) {
    const std::string name = std::filesystem::path(hidrawPath).filename().string();
    std::string key = hidrawPath;
    if (udev_ == nullptr)
        return key;
    udev_device* node = udev_device_new_from_subsystem_sysname(udev_, "hidraw", name.c_str());
    if (node == nullptr)
        return key;
    // The parent belongs to its child: not unreferenced on its own.
    if (udev_device* usb =
            udev_device_get_parent_with_subsystem_devtype(node, "usb", "usb_device")) {
        if (const char* syspath = udev_device_get_syspath(usb))
            key = syspath;
    }
    udev_device_unref(node);
    return key;
}

std::vector<Collection> HidapiDeviceAccess::Enumerate(std::uint16_t vendorId,
                                                      std::uint16_t productId) {
    std::vector<Collection> collections;
    if (vendorId == 0 && productId == 0)
        return collections;  // no ids chosen yet: not every HID device of the machine
    hid_device_info* list = hid_enumerate(vendorId, productId);
    for (hid_device_info* info = list; info != nullptr; info = info->next) {
        if (info->path == nullptr)
            continue;
        collections.push_back({info->path, info->usage_page, info->usage, DeviceKey(info->path)});
    }
    hid_free_enumeration(list);
    return collections;
}

DeviceAccess::Handle HidapiDeviceAccess::Open(const std::string& path) {
    return hid_open_path(path.c_str());
}

struct HidapiDeviceAccess::InputNode {
    int fd = -1;
};

HidapiDeviceAccess::InputNode* HidapiDeviceAccess::Input(Handle device) {
    std::lock_guard lock(inputsMutex_);
    return inputs_.count(device) != 0 ? static_cast<InputNode*>(device) : nullptr;
}

DeviceAccess::Handle HidapiDeviceAccess::OpenInput(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    auto* node = new InputNode{fd};
    std::lock_guard lock(inputsMutex_);
    inputs_.insert(node);
    return node;
}

int HidapiDeviceAccess::InputFd(Handle device) {
    const InputNode* node = Input(device);
    return node != nullptr ? node->fd : -1;
}

int HidapiDeviceAccess::Read(Handle device, std::uint8_t* data, std::size_t length, int timeoutMs) {
    const InputNode* node = Input(device);
    if (node == nullptr)
        return hid_read_timeout(static_cast<hid_device*>(device), data, length, timeoutMs);
    pollfd fd{node->fd, POLLIN, 0};
    const int ready = ::poll(&fd, 1, timeoutMs);
    if (ready <= 0)
        return ready == 0 || errno == EINTR ? 0 : -1;
    if ((fd.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
        return -1;  // the device is gone
    const ssize_t n = ::read(node->fd, data, length);
    if (n < 0)
        return errno == EAGAIN || errno == EINPROGRESS ? 0 : -1;
    return static_cast<int>(n);
}

int HidapiDeviceAccess::SendFeature(Handle device, const std::uint8_t* data, std::size_t length) {
    if (Input(device) != nullptr)
        return -1;  // an input collection sends nothing
    return hid_send_feature_report(static_cast<hid_device*>(device), data, length);
}

void HidapiDeviceAccess::Close(Handle device) {
    if (InputNode* node = Input(device)) {
        {
            std::lock_guard lock(inputsMutex_);
            inputs_.erase(device);
        }
        ::close(node->fd);
        delete node;
        return;
    }
    hid_close(static_cast<hid_device*>(device));
}

int HidapiDeviceAccess::ChangesFd() {
    return monitor_ != nullptr ? udev_monitor_get_fd(monitor_) : -1;
}

void HidapiDeviceAccess::TakeChanges() {
    if (monitor_ == nullptr)
        return;
    // Only that something changed matters: the next enumeration tells what.
    while (udev_device* device = udev_monitor_receive_device(monitor_))
        udev_device_unref(device);
}

}  // namespace ms1::vendorhid
