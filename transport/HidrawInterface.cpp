#include "transport/HidrawInterface.h"

#include <libudev.h>

#include <memory>

namespace ms1 {
namespace {

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};

}  // namespace

std::string UsbInterfaceOfHidraw(const std::string& devnode) {
    const std::string prefix = "/dev/";
    if (devnode.rfind(prefix, 0) != 0) {
        return {};
    }
    const std::string sysname = devnode.substr(prefix.size());
    std::unique_ptr<udev, UdevDeleter> context(udev_new());
    if (!context) {
        return {};
    }
    std::unique_ptr<udev_device, UdevDeleter> node(
        udev_device_new_from_subsystem_sysname(context.get(), "hidraw", sysname.c_str()));
    if (!node) {
        return {};
    }
    // The parent is owned by the child; it must not be unreferenced here.
    udev_device* usbInterface =
        udev_device_get_parent_with_subsystem_devtype(node.get(), "usb", "usb_interface");
    if (usbInterface == nullptr) {
        return {};
    }
    const char* syspath = udev_device_get_syspath(usbInterface);
    return syspath != nullptr ? syspath : "";
}

}  // namespace ms1
