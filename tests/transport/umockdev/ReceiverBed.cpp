// The mouse's USB and Bluetooth devices as emulated kernel devices, for a program started by
// this bed under umockdev: sysfs (USB device, interface, HID device with its report
// descriptor, hidraw node), the udev database, uevents and the /dev/hidrawN nodes. The bed
// answers each node's ioctls as the device does: every feature report (HIDIOCSFEATURE) is
// recorded and, for the mouse's kinds, acknowledged with the input report 11 11 58 00 00 once
// the report is whole (a macro page after its third packet). While plugged in, a device sends
// its heartbeat as input reports, one every 100 ms (--heartbeat MS), as the receiver keeps
// reporting its mouse's state; an acknowledgement goes out between two beats. With
// --heartbeat 0 each device sends its beats once and then falls silent, as a receiver whose
// mouse sleeps.
//
//   umockdev-wrapper ms1_umock_receiver [--plug KIND]... [--record FILE] [--node-mode OCTAL]
//                                       [--heartbeat MS] [--control] -- PROGRAM ARGS...
//
// Without --plug one receiver is plugged in before PROGRAM starts. --record writes every
// feature report in hex, one line each. --control takes commands on standard input, one a
// line, and answers on standard output (PROGRAM's output then goes to standard error):
//   plug KIND   plugs a device in (uevents "add", parents first) -> "plugged N /dev/hidrawM"
//   pull N      pulls device N out (uevents "remove", node closed) -> "pulled N"
// and tells each feature report as "feature N HEX...".
//
// Exits with PROGRAM's exit status (128 + signal when it was killed), 125 when the bed failed.
#include <fcntl.h>
#include <linux/hidraw.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <glib-unix.h>
#include <umockdev.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "BedDevices.h"

namespace {

using ms1::bed::DeviceKind;
using ms1::bed::Placement;
using ms1::bed::Report;

constexpr int kBedFailed = 125;

struct Bed;

struct Device {
    Bed* bed = nullptr;
    int number = 0;
    const DeviceKind* kind = nullptr;
    Placement place;
    UMockdevIoctlBase* handler = nullptr;
    int devFd = -1;    // the bed's side of the node
    int slaveFd = -1;  // the program's side, only to see what it has not read yet
    std::deque<Report> queue;
    std::size_t heartbeat = 0;
    bool plugged = true;
};

struct Bed {
    UMockdevTestbed* testbed = nullptr;
    GMainLoop* loop = nullptr;
    std::FILE* record = nullptr;
    bool control = false;
    long nodeMode = -1;
    bool beatOnce = false;  // --heartbeat 0: one round of beats, then silence
    std::mutex mutex;       // umockdev's ioctl worker and the main loop share the devices
    // Pulled devices stay here until the end: an ioctl already under way may still use one.
    std::vector<std::unique_ptr<Device>> devices;
    int exitStatus = kBedFailed;
};

void Say(const std::string& line) {
    std::fputs((line + '\n').c_str(), stdout);
    std::fflush(stdout);
}

std::string Hex(const std::uint8_t* bytes, std::size_t length) {
    std::string text;
    char byte[4];
    for (std::size_t i = 0; i < length; ++i) {
        std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : " %02x", bytes[i]);
        text += byte;
    }
    return text;
}

// A node is a stream, while hidraw hands out one report per read: a report goes out only
// once the program has read the one before, so no read takes two.
gboolean OnPace(gpointer data) {
    Bed& bed = *static_cast<Bed*>(data);
    std::lock_guard lock(bed.mutex);
    for (const auto& device : bed.devices) {
        // umockdev's preload would take an ioctl() on the node for an emulated one: asked
        // the kernel directly.
        int unread = 0;
        if (!device->plugged || device->queue.empty() ||
            ::syscall(SYS_ioctl, device->slaveFd, FIONREAD, &unread) != 0 || unread > 0)
            continue;
        const Report report = device->queue.front();
        device->queue.pop_front();
        if (::write(device->devFd, report.data(), report.size()) !=
            static_cast<ssize_t>(report.size()))
            std::fprintf(stderr, "ms1_umock_receiver: writing an input report failed\n");
    }
    return G_SOURCE_CONTINUE;
}

gboolean OnHeartbeat(gpointer data) {
    Bed& bed = *static_cast<Bed*>(data);
    std::lock_guard lock(bed.mutex);
    for (const auto& device : bed.devices) {
        const std::vector<Report>& beats = device->kind->heartbeat;
        // Nothing queued while the program does not read: the first beat stays the first.
        if (!device->plugged || beats.empty() || !device->queue.empty() ||
            (bed.beatOnce && device->heartbeat >= beats.size()))
            continue;
        device->queue.push_back(beats[device->heartbeat++ % beats.size()]);
    }
    return G_SOURCE_CONTINUE;
}

void CompleteWithInt(UMockdevIoctlClient* client, UMockdevIoctlData* arg, const void* value,
                     std::size_t size) {
    GError* error = nullptr;
    UMockdevIoctlData* out = umockdev_ioctl_data_resolve(arg, 0, size, &error);
    if (out == nullptr) {
        g_error_free(error);
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    std::memcpy(out->data, value, size);
    umockdev_ioctl_client_complete(client, 0, 0);
    g_object_unref(out);
}

// Runs on umockdev's ioctl worker thread.
gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
    Device& device = *static_cast<Device*>(data);
    Bed& bed = *device.bed;
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    const std::size_t size = _IOC_SIZE(request);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    const std::vector<std::uint8_t>& descriptor = device.kind->descriptor;

    if (request == HIDIOCSFEATURE(size) && size > 0) {
        GError* error = nullptr;
        UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(arg, 0, size, &error);
        if (buffer == nullptr) {
            std::fprintf(stderr, "ms1_umock_receiver: %s\n", error->message);
            g_error_free(error);
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return TRUE;
        }
        std::lock_guard lock(bed.mutex);
        if (!device.plugged) {
            g_object_unref(buffer);
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return TRUE;
        }
        const std::uint8_t* bytes = buffer->data;
        const std::string hex = Hex(bytes, size);
        if (bed.record != nullptr) {
            std::fputs((hex + '\n').c_str(), bed.record);
            std::fflush(bed.record);
        }
        if (bed.control)
            Say("feature " + std::to_string(device.number) + " " + hex);
        const bool macroPacketNotLast = bytes[0] == 0x19 && size > 3 && bytes[3] < 2;
        umockdev_ioctl_client_complete(client, static_cast<glong>(size), 0);
        g_object_unref(buffer);
        if (device.kind->acknowledges && !macroPacketNotLast)
            device.queue.push_back({0x11, 0x11, 0x58, 0x00, 0x00});
        return TRUE;
    }
    if (request == HIDIOCGRDESCSIZE) {
        const int descriptorSize = static_cast<int>(descriptor.size());
        CompleteWithInt(client, arg, &descriptorSize, sizeof descriptorSize);
        return TRUE;
    }
    if (request == HIDIOCGRDESC) {
        hidraw_report_descriptor out{};
        out.size = static_cast<__u32>(descriptor.size());
        std::memcpy(out.value, descriptor.data(), descriptor.size());
        CompleteWithInt(client, arg, &out, sizeof out);
        return TRUE;
    }
    return FALSE;  // umockdev answers the rest (ENOTTY)
}

// The sysfs paths of a device, parents first.
std::vector<std::string> SysPaths(const Placement& place) {
    std::vector<std::string> paths;
    std::size_t start = 0;
    while ((start = place.records.find("P: ", start)) != std::string::npos) {
        const std::size_t end = place.records.find('\n', start);
        paths.push_back("/sys" + place.records.substr(start + 3, end - start - 3));
        start = end;
    }
    return paths;
}

// Plugs a device in; with announce the program hears of it through uevents.
Device* Plug(Bed& bed, const DeviceKind& kind, bool announce) {
    auto device = std::make_unique<Device>();
    device->bed = &bed;
    device->kind = &kind;
    device->number = static_cast<int>(bed.devices.size()) + 1;
    device->place = ms1::bed::Place(kind, device->number);
    const Placement& place = device->place;
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(bed.testbed, place.records.c_str(), &error)) {
        std::fprintf(stderr, "ms1_umock_receiver: %s\n", error->message);
        g_error_free(error);
        return nullptr;
    }
    std::vector<std::uint8_t> descriptor = kind.descriptor;  // umockdev takes no const
    umockdev_testbed_set_attribute_binary(bed.testbed, place.hidSysPath.c_str(),
                                          "report_descriptor", descriptor.data(),
                                          static_cast<gint>(descriptor.size()));
    device->handler = umockdev_ioctl_base_new();
    g_signal_connect(device->handler, "handle-ioctl", G_CALLBACK(OnIoctl), device.get());
    if (!umockdev_testbed_attach_ioctl(bed.testbed, place.node.c_str(), device->handler, &error)) {
        std::fprintf(stderr, "ms1_umock_receiver: %s\n", error->message);
        g_error_free(error);
        return nullptr;
    }
    device->devFd = umockdev_testbed_get_dev_fd(bed.testbed, place.node.c_str());
    const char* slave = device->devFd >= 0 ? ::ptsname(device->devFd) : nullptr;
    if (slave == nullptr || (device->slaveFd = ::open(slave, O_RDONLY | O_NOCTTY)) < 0) {
        std::fprintf(stderr, "ms1_umock_receiver: %s cannot be written and watched\n",
                     place.node.c_str());
        return nullptr;
    }
    if (bed.nodeMode >= 0) {
        // The node's file in the test bed is what the program's open() reaches.
        gchar* root = umockdev_testbed_get_root_dir(bed.testbed);
        const std::string file = std::string(root) + place.node;
        g_free(root);
        if (::chmod(file.c_str(), static_cast<mode_t>(bed.nodeMode)) != 0) {
            std::perror(file.c_str());
            return nullptr;
        }
    }
    if (announce) {
        for (const std::string& path : SysPaths(place))
            umockdev_testbed_uevent(bed.testbed, path.c_str(), "add");
    }
    std::lock_guard lock(bed.mutex);
    bed.devices.push_back(std::move(device));
    return bed.devices.back().get();
}

// Pulls a device out as the kernel does: "remove" for the children first, and the node
// reads as gone (EIO) for the program that holds it open.
bool Pull(Bed& bed, int number) {
    Device* device = nullptr;
    {
        std::lock_guard lock(bed.mutex);
        if (number < 1 || number > static_cast<int>(bed.devices.size()) ||
            !bed.devices[number - 1]->plugged)
            return false;
        device = bed.devices[number - 1].get();
        device->plugged = false;
        device->queue.clear();
    }
    std::vector<std::string> paths = SysPaths(device->place);
    for (auto path = paths.rbegin(); path != paths.rend(); ++path)
        umockdev_testbed_uevent(bed.testbed, path->c_str(), "remove");
    umockdev_testbed_detach_ioctl(bed.testbed, device->place.node.c_str(), nullptr);
    for (auto path = paths.rbegin(); path != paths.rend(); ++path)
        umockdev_testbed_remove_device(bed.testbed, path->c_str());
    ::close(device->slaveFd);
    device->slaveFd = -1;
    return true;
}

gboolean OnCommand(GIOChannel* channel, GIOCondition, gpointer data) {
    Bed& bed = *static_cast<Bed*>(data);
    gchar* text = nullptr;
    gsize length = 0;
    const GIOStatus status = g_io_channel_read_line(channel, &text, &length, nullptr, nullptr);
    if (status == G_IO_STATUS_EOF || status == G_IO_STATUS_ERROR)
        return G_SOURCE_REMOVE;
    std::string line = text != nullptr ? text : "";
    g_free(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    if (line.rfind("plug ", 0) == 0) {
        const DeviceKind* kind = ms1::bed::FindKind(line.substr(5));
        Device* device = kind != nullptr ? Plug(bed, *kind, true) : nullptr;
        Say(device != nullptr
                ? "plugged " + std::to_string(device->number) + " " + device->place.node
                : "error: cannot plug '" + line.substr(5) + "' (kinds: " + ms1::bed::KindNames() +
                      ")");
    } else if (line.rfind("pull ", 0) == 0) {
        const int number = std::atoi(line.c_str() + 5);
        Say(Pull(bed, number) ? "pulled " + std::to_string(number)
                              : "error: no device " + line.substr(5) + " is plugged in");
    } else if (!line.empty()) {
        Say("error: unknown command '" + line + "'");
    }
    return G_SOURCE_CONTINUE;
}

void OnChildExit(GPid, gint status, gpointer data) {
    Bed& bed = *static_cast<Bed*>(data);
    if (WIFEXITED(status))
        bed.exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        bed.exitStatus = 128 + WTERMSIG(status);
    g_main_loop_quit(bed.loop);
}

// A test that gives up on the bed stops the program under test too.
gboolean OnStopSignal(gpointer data) {
    ::kill(*static_cast<GPid*>(data), SIGTERM);
    return G_SOURCE_CONTINUE;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: umockdev-wrapper ms1_umock_receiver [--plug KIND]... [--record FILE] "
                 "[--node-mode OCTAL] [--heartbeat MS] [--control] -- PROGRAM ARGS...\n"
                 "kinds: %s\n",
                 ms1::bed::KindNames().c_str());
    return kBedFailed;
}

}  // namespace

int main(int argc, char** argv) {
    Bed bed;
    const char* recordPath = nullptr;
    std::vector<const DeviceKind*> plugged;
    int first = 1;
    long heartbeatMs = 100;
    for (; first < argc; ++first) {
        const std::string option = argv[first];
        if (option == "--") {
            ++first;
            break;
        }
        if (option == "--control") {
            bed.control = true;
            continue;
        }
        if (first + 1 >= argc)
            return Usage();
        const char* value = argv[++first];
        if (option == "--record") {
            recordPath = value;
        } else if (option == "--node-mode") {
            bed.nodeMode = std::strtol(value, nullptr, 8);
        } else if (option == "--heartbeat") {
            heartbeatMs = std::strtol(value, nullptr, 10);
            bed.beatOnce = heartbeatMs <= 0;
        } else if (option == "--plug" && ms1::bed::FindKind(value) != nullptr) {
            plugged.push_back(ms1::bed::FindKind(value));
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
    if (plugged.empty() && !bed.control)
        plugged.push_back(ms1::bed::FindKind("receiver"));
    if (recordPath != nullptr && (bed.record = std::fopen(recordPath, "w")) == nullptr) {
        std::perror(recordPath);
        return kBedFailed;
    }

    bed.testbed = umockdev_testbed_new();
    for (const DeviceKind* kind : plugged) {
        if (Plug(bed, *kind, false) == nullptr)
            return kBedFailed;
    }

    bed.loop = g_main_loop_new(nullptr, FALSE);
    GPid child = 0;
    GError* error = nullptr;
    // Under --control the bed's standard input and output are its own.
    const int nullFd = ::open("/dev/null", O_RDONLY);
    // GLib closes a descriptor it hands on when it is one of 0 to 2: a copy of ours.
    const int errFd = ::dup(STDERR_FILENO);
    const gboolean spawned =
        bed.control ? g_spawn_async_with_fds(
                          nullptr, argv + first, nullptr,
                          static_cast<GSpawnFlags>(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_SEARCH_PATH),
                          nullptr, nullptr, &child, nullFd, STDERR_FILENO, errFd, &error)
                    : g_spawn_async(
                          nullptr, argv + first, nullptr,
                          static_cast<GSpawnFlags>(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_SEARCH_PATH |
                                                   G_SPAWN_CHILD_INHERITS_STDIN),
                          nullptr, nullptr, &child, &error);
    ::close(nullFd);
    ::close(errFd);
    if (!spawned) {
        std::fprintf(stderr, "ms1_umock_receiver: %s\n", error->message);
        return kBedFailed;
    }
    g_child_watch_add(child, OnChildExit, &bed);
    g_unix_signal_add(SIGTERM, OnStopSignal, &child);
    g_unix_signal_add(SIGINT, OnStopSignal, &child);
    g_timeout_add(bed.beatOnce ? 100 : static_cast<guint>(heartbeatMs), OnHeartbeat, &bed);
    g_timeout_add(2, OnPace, &bed);
    GIOChannel* commands = nullptr;
    if (bed.control) {
        commands = g_io_channel_unix_new(STDIN_FILENO);
        g_io_add_watch(commands, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP), OnCommand, &bed);
    }
    g_main_loop_run(bed.loop);

    if (commands != nullptr)
        g_io_channel_unref(commands);
    if (bed.record != nullptr)
        std::fclose(bed.record);
    for (const auto& device : bed.devices) {
        if (device->plugged) {
            ::close(device->slaveFd);
            umockdev_testbed_detach_ioctl(bed.testbed, device->place.node.c_str(), nullptr);
        }
        g_object_unref(device->handler);
    }
    g_object_unref(bed.testbed);
    g_main_loop_unref(bed.loop);
    return bed.exitStatus;
}
