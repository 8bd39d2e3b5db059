#include "BedDevices.h"

#include <cstdio>
#include <iterator>
#include <utility>

namespace ms1::bed {
namespace {

// The status input (usage page 0xFF01, usage 1, report 0x11) and the settings feature
// reports (usage page 0xFF02, usage 2): 0x14, 0x15, 0x16, 0x18, 0x1C of 60 bytes and the
// 64-byte macro packets 0x19, each length counting its report id. `extra` more top-level
// collections follow, input and feature in turn, each with a one-byte report of its own.
std::vector<std::uint8_t> VendorDescriptor(int extra) {
    std::vector<std::uint8_t> d = {
        0x06, 0x01, 0xFF, 0x09, 0x01, 0xA1, 0x01,  // usage page 0xFF01, usage 1, application
        0x85, 0x11, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF,
        0x00, 0x75, 0x08, 0x95, 0x04, 0x81, 0x02,        // report 0x11: 4 bytes of input
        0xC0, 0x06, 0x02, 0xFF, 0x09, 0x02, 0xA1, 0x01,  // usage page 0xFF02, usage 2, application
        0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
    };
    const std::pair<std::uint8_t, std::uint8_t> features[] = {{0x14, 59}, {0x15, 59}, {0x16, 59},
                                                              {0x18, 59}, {0x1C, 59}, {0x19, 63}};
    for (const auto& [id, count] : features) {
        const std::uint8_t item[] = {0x85, id, 0x09, 0x02, 0x95, count, 0xB1, 0x02};
        d.insert(d.end(), std::begin(item), std::end(item));
    }
    d.push_back(0xC0);
    for (int i = 0; i < extra; ++i) {
        const bool input = i % 2 == 0;
        const std::uint8_t id = static_cast<std::uint8_t>(0x30 + i);
        const std::uint8_t collection[] = {0x06,
                                           static_cast<std::uint8_t>(input ? 0x01 : 0x02),
                                           0xFF,
                                           0x09,
                                           static_cast<std::uint8_t>(input ? 0x01 : 0x02),
                                           0xA1,
                                           0x01,
                                           0x85,
                                           id,
                                           0x15,
                                           0x00,
                                           0x26,
                                           0xFF,
                                           0x00,
                                           0x75,
                                           0x08,
                                           0x95,
                                           0x01,
                                           static_cast<std::uint8_t>(input ? 0x81 : 0xB1),
                                           0x02,
                                           0xC0};
        d.insert(d.end(), std::begin(collection), std::end(collection));
    }
    return d;
}

// A three-button mouse with a wheel, as the mouse shows itself over HID-over-GATT.
std::vector<std::uint8_t> MouseDescriptor() {
    return {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09,
            0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
            0x95, 0x01, 0x75, 0x05, 0x81, 0x03, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38,
            0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03, 0x81, 0x06, 0xC0, 0xC0};
}

// Battery on battery at 80 %, stage 2 (the default profile's, so that an apply sends the same
// bytes whether the stage report came before it or not), rate code 1, as the mouse announces
// them.
std::vector<Report> StatusHeartbeat() {
    return {{0x11, 0x11, 0x48, 0x01, 80},
            {0x11, 0x11, 0x18, 0x02, 0x00},
            {0x11, 0x11, 0x28, 0x01, 0x00}};
}

std::vector<DeviceKind> MakeKinds() {
    std::vector<DeviceKind> kinds;
    // The 2.4 GHz receiver: both collections on one node, the mouse behind it awake.
    kinds.push_back({"receiver", 0x0003, 0x1D57, 0xA001, "ms_1 2.4G Receiver", VendorDescriptor(0),
                     StatusHeartbeat(), true});
    // The mouse on its cable: the same collections under the cable's product id.
    kinds.push_back({"cable", 0x0003, 0x1D57, 0xA011, "ms_1 Gaming Mouse", VendorDescriptor(0),
                     StatusHeartbeat(), true});
    // The mouse paired over Bluetooth LE, as the kernel's HID-over-GATT shows it (uhid).
    kinds.push_back({"ble", 0x0005, 0x045E, 0xA011, "ms_1 Mouse", MouseDescriptor(), {}, false});
    // Another product of the same maker, with the same collections: never the mouse.
    kinds.push_back({"foreign", 0x0003, 0x1D57, 0xB010, "Other Receiver", VendorDescriptor(0),
                     StatusHeartbeat(), true});
    // A receiver whose node holds 25 top-level collections, more than the link has slots.
    kinds.push_back({"wide", 0x0003, 0x1D57, 0xA001, "ms_1 2.4G Receiver", VendorDescriptor(23),
                     StatusHeartbeat(), true});
    // A receiver whose first input report is no status report (byte 1 is not 0x11).
    std::vector<Report> chatty = StatusHeartbeat();
    chatty.insert(chatty.begin(), Report{0x11, 0x00, 0x00, 0x00, 0x00});
    kinds.push_back({"chatty", 0x0003, 0x1D57, 0xA001, "ms_1 2.4G Receiver", VendorDescriptor(0),
                     chatty, true});
    return kinds;
}

const std::vector<DeviceKind>& Kinds() {
    static const std::vector<DeviceKind> kinds = MakeKinds();
    return kinds;
}

std::string Format(const char* format, auto... values) {
    char text[1024];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

}  // namespace

const DeviceKind* FindKind(std::string_view name) {
    for (const DeviceKind& kind : Kinds()) {
        if (kind.name == name)
            return &kind;
    }
    return nullptr;
}

std::string KindNames() {
    std::string names;
    for (const DeviceKind& kind : Kinds())
        names += (names.empty() ? "" : ", ") + std::string(kind.name);
    return names;
}

Placement Place(const DeviceKind& kind, int number) {
    // Numbered so that the first device is /dev/hidraw3 behind USB port 1-2.
    const int minor = number + 2;
    const std::string hidName =
        Format("%04X:%04X:%04X.%04X", kind.bus, kind.vendorId, kind.productId, number);
    const std::string hidUevent = Format(
        "E: SUBSYSTEM=hid\nE: DRIVER=hid-generic\nE: HID_ID=%04X:%08X:%08X\n"
        "E: HID_NAME=%s\nE: HID_UNIQ=%s\nE: MODALIAS=hid:b%04Xg0001v%08Xp%08X\n",
        kind.bus, kind.vendorId, kind.productId, std::string(kind.hidName).c_str(),
        kind.bus == 0x0005 ? "c8:47:8c:0a:1b:2d" : "", kind.bus, kind.vendorId, kind.productId);
    Placement place;
    std::string parent;
    if (kind.bus == 0x0005) {
        parent = "/devices/virtual/misc/uhid/" + hidName;
        place.records = "P: " + parent + "\n" + hidUevent + "\n";
    } else {
        const std::string usb = Format("/devices/pci0000:00/0000:00:14.0/usb1/1-%d", number + 1);
        const std::string usbInterface = Format("%s/1-%d:1.0", usb.c_str(), number + 1);
        parent = usbInterface + "/" + hidName;
        place.records =
            Format(
                "P: %s\nE: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\nE: PRODUCT=%x/%x/100\n"
                "A: idVendor=%04x\nA: idProduct=%04x\nA: bcdDevice=0100\nA: manufacturer=ms_1\n"
                "A: product=%s\nA: serial=\n\n",
                usb.c_str(), kind.vendorId, kind.productId, kind.vendorId, kind.productId,
                std::string(kind.hidName).c_str()) +
            Format(
                "P: %s\nE: DEVTYPE=usb_interface\nE: SUBSYSTEM=usb\nE: INTERFACE=3/0/0\n"
                "A: bInterfaceNumber=00\n\n",
                usbInterface.c_str()) +
            "P: " + parent + "\n" + hidUevent +
            Format("E: HID_PHYS=usb-0000:00:14.0-%d/input0\n\n", number + 1);
    }
    const std::string hidraw = Format("%s/hidraw/hidraw%d", parent.c_str(), minor);
    place.records += Format(
        "P: %s\nN: hidraw%d\nE: DEVNAME=/dev/hidraw%d\nE: SUBSYSTEM=hidraw\nE: MAJOR=241\n"
        "E: MINOR=%d\nA: dev=241:%d\nL: device=../../../%s\n",
        hidraw.c_str(), minor, minor, minor, minor, hidName.c_str());
    place.hidSysPath = "/sys" + parent;
    place.hidrawSysPath = "/sys" + hidraw;
    place.node = Format("/dev/hidraw%d", minor);
    return place;
}

}  // namespace ms1::bed
