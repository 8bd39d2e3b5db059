#include "transport/UdevMonitor.h"

#include "transport/UdevIds.h"

#include <libudev.h>

#include <unistd.h>

#include <cstring>

namespace ms1 {
namespace {

std::string NameOf(udev_device* device) {
    const char* node = udev_device_get_devnode(device);
    if (node != nullptr) {
        return node;
    }
    const char* syspath = udev_device_get_syspath(device);
    return syspath != nullptr ? syspath : "";
}

}  // namespace

UdevMonitor::UdevMonitor(DeviceEventSink& sink) : sink_(sink) {
    udev_ = udev_new();
    if (udev_ == nullptr) {
        return;
    }
    // Without a udev daemon (containers, minimal systems) only the kernel's own events come.
    const bool daemon = access("/run/udev/control", F_OK) == 0;
    monitor_ = udev_monitor_new_from_netlink(udev_, daemon ? "udev" : "kernel");
    if (monitor_ == nullptr) {
        return;
    }
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        udev_monitor_unref(monitor_);
        monitor_ = nullptr;
        return;
    }
    RememberPresentHidraw();
}

UdevMonitor::~UdevMonitor() {
    if (monitor_ != nullptr) {
        udev_monitor_unref(monitor_);
    }
    if (udev_ != nullptr) {
        udev_unref(udev_);
    }
}

int UdevMonitor::Fd() const {
    return monitor_ != nullptr ? udev_monitor_get_fd(monitor_) : -1;
}

void UdevMonitor::RememberPresentHidraw() {
    udev_enumerate* enumerate = udev_enumerate_new(udev_);
    if (enumerate == nullptr) {
        return;
    }
    udev_enumerate_add_match_subsystem(enumerate, "hidraw");
    udev_enumerate_scan_devices(enumerate);
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
        udev_device* device = udev_device_new_from_syspath(udev_, udev_list_entry_get_name(entry));
        if (device == nullptr) {
            continue;
        }
        const std::string name = NameOf(device);
        known_[name] = IdsOf(device, name);
        udev_device_unref(device);
    }
    udev_enumerate_unref(enumerate);
}

UdevMonitor::Ids UdevMonitor::IdsOf(udev_device* device, const std::string& name) const {
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    if (IdsFromUsbProduct(udev_device_get_property_value(device, "PRODUCT"), vid, pid)) {
        return {vid, pid};
    }
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr);
    if (hid != nullptr && IdsFromHidId(udev_device_get_property_value(hid, "HID_ID"), vid, pid)) {
        return {vid, pid};
    }
    auto it = known_.find(name);
    return it != known_.end() ? it->second : Ids{0, 0};
}

int UdevMonitor::ProcessPending() {
    if (monitor_ == nullptr) {
        return 0;
    }
    int delivered = 0;
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        const char* action = udev_device_get_action(device);
        const std::string name = NameOf(device);
        const Ids ids = IdsOf(device, name);
        DeviceEvent event{name, ids.first, ids.second};
        if (action != nullptr && std::strcmp(action, "add") == 0) {
            known_[name] = ids;
            sink_.OnDeviceArrival(event);
            ++delivered;
        } else if (action != nullptr && std::strcmp(action, "remove") == 0) {
            known_.erase(name);
            sink_.OnDeviceRemoval(event);
            ++delivered;
        }
        udev_device_unref(device);
    }
    return delivered;
}

}  // namespace ms1
