// The devices the umockdev test bed can plug in: each kind's ids, report descriptor and what
// it sends, and where a plugged one lives in sysfs and /dev.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ms1::bed {

using Report = std::vector<std::uint8_t>;

struct DeviceKind {
    std::string_view name;
    std::uint16_t bus = 0;  // 0x0003 USB, 0x0005 Bluetooth
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string_view hidName;
    std::vector<std::uint8_t> descriptor;
    // Input reports sent in turn, one every 100 ms while the device is plugged in, as the
    // mouse's heartbeat does; the first of them is the first report the program reads.
    std::vector<Report> heartbeat;
    // Answers each whole feature report with 11 11 58 00 00, as the mouse does.
    bool acknowledges = false;
};

// receiver, cable, ble, foreign, wide, chatty (their comments in the table); nullptr when
// there is no such kind.
const DeviceKind* FindKind(std::string_view name);
std::string KindNames();

// A plugged device's place: number counts the devices plugged so far, from 1, so that no
// sysfs path repeats (a kernel numbers a device plugged again anew).
struct Placement {
    std::string records;  // umockdev's record format, parents first
    std::string hidSysPath;
    std::string hidrawSysPath;
    std::string node;  // /dev/hidrawN
};
Placement Place(const DeviceKind& kind, int number);

}  // namespace ms1::bed
