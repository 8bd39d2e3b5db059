#pragma once

#include <string>

namespace ms1 {

// The sysfs path of the USB interface a hidraw node (e.g. "/dev/hidraw3") belongs to, or
// empty when it is not a hidraw node of a USB device.
std::string UsbInterfaceOfHidraw(const std::string& devnode);

}  // namespace ms1
