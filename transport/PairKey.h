#pragma once

#include <string>
#include <string_view>

namespace ms1 {

// The fifth '&'-separated field of a Windows HID device path (runs of '&' count as one
// separator, leading ones are skipped): part of the device instance that the collections of
// one USB interface share. Empty when the path has fewer than five fields.
std::string ExtractPairKey(std::string_view path);

// The key that pairs the input and feature collections of one receiver: the Windows field
// for Windows-form paths; for hidraw nodes the USB interface the node belongs to (its sysfs
// path), falling back to the node itself when the interface cannot be found.
std::string PairKeyForPath(const std::string& path);

}  // namespace ms1
