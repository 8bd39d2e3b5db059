#pragma once

#include <cstdint>

namespace ms1 {

// Vendor and product ids from udev properties; false when the text has another shape.
// "PRODUCT" of usb devices and interfaces: "vid/pid/bcd" in hexadecimal, e.g. "1d57/a001/100".
bool IdsFromUsbProduct(const char* product, std::uint16_t& vendorId, std::uint16_t& productId);
// "HID_ID" of hid devices: "bus:vendor:product", e.g. "0003:00001D57:0000A001".
bool IdsFromHidId(const char* hidId, std::uint16_t& vendorId, std::uint16_t& productId);

}  // namespace ms1
