// The 2.4 GHz receiver (1D57:A001) as emulated kernel devices, for a program started by this
// bed under umockdev: sysfs (USB device, interface, HID device with its report descriptor,
// hidraw node), the udev database and /dev/hidraw3. The bed answers the node's ioctls as the
// receiver does: every feature report (HIDIOCSFEATURE) is written to the record file in hex,
// one line each, and acknowledged with the input report 11 11 58 00 00 once the report is
// whole (a macro page after its third packet). Until the first feature report it sends the
// mouse's status (battery, stage, rate) as input reports, one every 100 ms, as the mouse's
// heartbeat does.
//
//   umockdev-wrapper ms1_umock_receiver [--record FILE] [--node-mode OCTAL] -- PROGRAM ARGS...
//
// Exits with PROGRAM's exit status (128 + signal when it was killed), 125 when the bed failed.
#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <umockdev.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr int kBedFailed = 125;
constexpr const char* kNode = "/dev/hidraw3";
constexpr const char* kHidPath =
    "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:1D57:A001.0001";

// Parents first: each block's folder is made under the one before.
constexpr const char* kDevices = R"(P: /devices/pci0000:00/0000:00:14.0/usb1/1-2
E: DEVTYPE=usb_device
E: SUBSYSTEM=usb
E: PRODUCT=1d57/a001/100
A: idVendor=1d57
A: idProduct=a001
A: bcdDevice=0100
A: manufacturer=ms_1
A: product=ms_1 2.4G Receiver
A: serial=

P: /devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0
E: DEVTYPE=usb_interface
E: SUBSYSTEM=usb
E: INTERFACE=3/0/0
A: bInterfaceNumber=00

P: /devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:1D57:A001.0001
E: SUBSYSTEM=hid
E: DRIVER=hid-generic
E: HID_ID=0003:00001D57:0000A001
E: HID_NAME=ms_1 2.4G Receiver
E: HID_PHYS=usb-0000:00:14.0-2/input0
E: HID_UNIQ=
E: MODALIAS=hid:b0003g0001v00001D57p0000A001

P: /devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:1D57:A001.0001/hidraw/hidraw3
N: hidraw3
E: DEVNAME=/dev/hidraw3
E: SUBSYSTEM=hidraw
E: MAJOR=241
E: MINOR=3
A: dev=241:3
L: device=../../../0003:1D57:A001.0001
)";

// Two top-level collections: the status input (usage page 0xFF01, usage 1, report 0x11) and
// the settings feature reports (usage page 0xFF02, usage 2): 0x14, 0x15, 0x16, 0x18, 0x1C of
// 60 bytes and the 64-byte macro packets 0x19, each length counting its report id.
std::vector<std::uint8_t> ReportDescriptor() {
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
    return d;
}

struct Bed {
    UMockdevTestbed* testbed = nullptr;
    GMainLoop* loop = nullptr;
    int devFd = -1;
    std::FILE* record = nullptr;
    std::vector<std::uint8_t> descriptor;
    int slaveFd = -1;  // the program's side of the node, only to see what it has not read yet
    std::mutex mutex;  // the ioctl worker and the main loop share the queue
    std::deque<std::array<std::uint8_t, 5>> queue;
    bool featureSeen = false;
    int heartbeat = 0;
    int exitStatus = kBedFailed;
};

// The node is a stream, while hidraw hands out one report per read: a report goes out only
// once the program has read the one before, so no read takes two.
gboolean OnPace(gpointer data) {
    Bed& bed = *static_cast<Bed*>(data);
    std::lock_guard lock(bed.mutex);
    // umockdev's preload would take an ioctl() on the node for an emulated one: asked the
    // kernel directly.
    int unread = 0;
    if (bed.queue.empty() || ::syscall(SYS_ioctl, bed.slaveFd, FIONREAD, &unread) != 0 ||
        unread > 0)
        return G_SOURCE_CONTINUE;
    const std::array<std::uint8_t, 5> report = bed.queue.front();
    bed.queue.pop_front();
    if (::write(bed.devFd, report.data(), report.size()) != static_cast<ssize_t>(report.size()))
        std::fprintf(stderr, "ms1_umock_receiver: writing an input report failed\n");
    return G_SOURCE_CONTINUE;
}

gboolean OnHeartbeat(gpointer data) {
    Bed& bed = *static_cast<Bed*>(data);
    std::lock_guard lock(bed.mutex);
    if (bed.featureSeen)
        return G_SOURCE_REMOVE;
    if (!bed.queue.empty())
        return G_SOURCE_CONTINUE;  // the program is not reading yet
    // Battery on battery at 80 %, stage 1, rate code 1, as the mouse announces them.
    static constexpr std::array<std::array<std::uint8_t, 5>, 3> kStatus = {{
        {0x11, 0x11, 0x48, 0x01, 80},
        {0x11, 0x11, 0x18, 0x01, 0x00},
        {0x11, 0x11, 0x28, 0x01, 0x00},
    }};
    bed.queue.push_back(kStatus[bed.heartbeat++ % kStatus.size()]);
    return G_SOURCE_CONTINUE;
}

void Record(Bed& bed, const std::uint8_t* bytes, std::size_t length) {
    if (bed.record == nullptr)
        return;
    for (std::size_t i = 0; i < length; ++i)
        std::fprintf(bed.record, i == 0 ? "%02x" : " %02x", bytes[i]);
    std::fputc('\n', bed.record);
    std::fflush(bed.record);
}

// Runs on umockdev's ioctl worker thread.
gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
    Bed& bed = *static_cast<Bed*>(data);
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    const std::size_t size = _IOC_SIZE(request);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    GError* error = nullptr;

    if (request == HIDIOCSFEATURE(size) && size > 0) {
        UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(arg, 0, size, &error);
        if (buffer == nullptr) {
            std::fprintf(stderr, "ms1_umock_receiver: %s\n", error->message);
            g_error_free(error);
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return TRUE;
        }
        std::lock_guard lock(bed.mutex);
        bed.featureSeen = true;
        const std::uint8_t* bytes = buffer->data;
        Record(bed, bytes, size);
        const bool macroPacketNotLast = bytes[0] == 0x19 && size > 3 && bytes[3] < 2;
        umockdev_ioctl_client_complete(client, static_cast<glong>(size), 0);
        g_object_unref(buffer);
        if (!macroPacketNotLast)
            bed.queue.push_back({0x11, 0x11, 0x58, 0x00, 0x00});
        return TRUE;
    }
    if (request == HIDIOCGRDESCSIZE) {
        UMockdevIoctlData* out = umockdev_ioctl_data_resolve(arg, 0, sizeof(int), &error);
        if (out == nullptr) {
            g_error_free(error);
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return TRUE;
        }
        const int descriptorSize = static_cast<int>(bed.descriptor.size());
        std::memcpy(out->data, &descriptorSize, sizeof descriptorSize);
        umockdev_ioctl_client_complete(client, 0, 0);
        g_object_unref(out);
        return TRUE;
    }
    if (request == HIDIOCGRDESC) {
        UMockdevIoctlData* out =
            umockdev_ioctl_data_resolve(arg, 0, sizeof(hidraw_report_descriptor), &error);
        if (out == nullptr) {
            g_error_free(error);
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return TRUE;
        }
        hidraw_report_descriptor descriptor{};
        descriptor.size = static_cast<__u32>(bed.descriptor.size());
        std::memcpy(descriptor.value, bed.descriptor.data(), bed.descriptor.size());
        std::memcpy(out->data, &descriptor, sizeof descriptor);
        umockdev_ioctl_client_complete(client, 0, 0);
        g_object_unref(out);
        return TRUE;
    }
    return FALSE;  // umockdev answers the rest (ENOTTY)
}

void OnChildExit(GPid, gint status, gpointer data) {
    Bed& bed = *static_cast<Bed*>(data);
    if (WIFEXITED(status))
        bed.exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        bed.exitStatus = 128 + WTERMSIG(status);
    g_main_loop_quit(bed.loop);
}

int Usage() {
    std::fprintf(stderr,
                 "usage: umockdev-wrapper ms1_umock_receiver [--record FILE] [--node-mode OCTAL] "
                 "-- PROGRAM ARGS...\n");
    return kBedFailed;
}

}  // namespace

int main(int argc, char** argv) {
    const char* recordPath = nullptr;
    long nodeMode = -1;
    int first = 1;
    for (; first < argc; ++first) {
        const std::string option = argv[first];
        if (option == "--") {
            ++first;
            break;
        }
        if (first + 1 >= argc)
            return Usage();
        if (option == "--record") {
            recordPath = argv[++first];
        } else if (option == "--node-mode") {
            nodeMode = std::strtol(argv[++first], nullptr, 8);
        } else {
            return Usage();
        }
    }
    if (first >= argc)
        return Usage();
    const char* preload = std::getenv("LD_PRELOAD");
    if (preload == nullptr || std::strstr(preload, "umockdev-preload") == nullptr) {
        std::fprintf(stderr, "ms1_umock_receiver: run it under umockdev-wrapper\n");
        return kBedFailed;
    }

    Bed bed;
    bed.descriptor = ReportDescriptor();
    bed.testbed = umockdev_testbed_new();
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(bed.testbed, kDevices, &error)) {
        std::fprintf(stderr, "ms1_umock_receiver: %s\n", error->message);
        return kBedFailed;
    }
    umockdev_testbed_set_attribute_binary(bed.testbed, kHidPath, "report_descriptor",
                                          bed.descriptor.data(),
                                          static_cast<gint>(bed.descriptor.size()));
    UMockdevIoctlBase* handler = umockdev_ioctl_base_new();
    g_signal_connect(handler, "handle-ioctl", G_CALLBACK(OnIoctl), &bed);
    if (!umockdev_testbed_attach_ioctl(bed.testbed, kNode, handler, &error)) {
        std::fprintf(stderr, "ms1_umock_receiver: %s\n", error->message);
        return kBedFailed;
    }
    bed.devFd = umockdev_testbed_get_dev_fd(bed.testbed, kNode);
    if (bed.devFd < 0) {
        std::fprintf(stderr, "ms1_umock_receiver: %s has no stream to write to\n", kNode);
        return kBedFailed;
    }
    const char* slave = ::ptsname(bed.devFd);
    if (slave == nullptr || (bed.slaveFd = ::open(slave, O_RDONLY | O_NOCTTY)) < 0) {
        std::fprintf(stderr, "ms1_umock_receiver: the program's side of %s cannot be watched\n",
                     kNode);
        return kBedFailed;
    }
    if (nodeMode >= 0) {
        // The node's file in the test bed is what the program's open() reaches.
        gchar* root = umockdev_testbed_get_root_dir(bed.testbed);
        const std::string file = std::string(root) + kNode;
        g_free(root);
        if (::chmod(file.c_str(), static_cast<mode_t>(nodeMode)) != 0) {
            std::perror(file.c_str());
            return kBedFailed;
        }
    }
    if (recordPath != nullptr && (bed.record = std::fopen(recordPath, "w")) == nullptr) {
        std::perror(recordPath);
        return kBedFailed;
    }

    bed.loop = g_main_loop_new(nullptr, FALSE);
    GPid child = 0;
    if (!g_spawn_async(nullptr, argv + first, nullptr,
                       static_cast<GSpawnFlags>(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_SEARCH_PATH |
                                                G_SPAWN_CHILD_INHERITS_STDIN),
                       nullptr, nullptr, &child, &error)) {
        std::fprintf(stderr, "ms1_umock_receiver: %s\n", error->message);
        return kBedFailed;
    }
    g_child_watch_add(child, OnChildExit, &bed);
    g_timeout_add(100, OnHeartbeat, &bed);
    g_timeout_add(2, OnPace, &bed);
    g_main_loop_run(bed.loop);

    if (bed.record != nullptr)
        std::fclose(bed.record);
    ::close(bed.slaveFd);
    umockdev_testbed_detach_ioctl(bed.testbed, kNode, nullptr);
    g_object_unref(handler);
    g_object_unref(bed.testbed);
    g_main_loop_unref(bed.loop);
    return bed.exitStatus;
}
