#include "libs/hook/EvdevCapture.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace ms1::hook {
namespace {

// Keyboards (they have letter keys) and mice (they have a left button); not joysticks, power
// buttons or lid switches.
bool IsKeyboardOrMouse(int fd) {
    libevdev* device = nullptr;
    if (libevdev_new_from_fd(fd, &device) != 0)
        return false;
    const bool keyboard = libevdev_has_event_code(device, EV_KEY, KEY_A) &&
                          libevdev_has_event_code(device, EV_KEY, KEY_SPACE);
    const bool mouse = libevdev_has_event_code(device, EV_KEY, BTN_LEFT);
    libevdev_free(device);
    return keyboard || mouse;
}

}  // namespace

EvdevCapture::EvdevCapture(std::vector<UniqueFd> devices) {
    for (UniqueFd& fd : devices)
        devices_.push_back(Device{std::move(fd), {}});
}

std::unique_ptr<EvdevCapture> EvdevCapture::OpenDevices(const std::filesystem::path& folder) {
    std::vector<UniqueFd> devices;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().filename().string().rfind("event", 0) != 0)
            continue;
        UniqueFd fd(::open(entry.path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (fd.Valid() && IsKeyboardOrMouse(fd.Get()))
            devices.push_back(std::move(fd));
    }
    if (devices.empty())
        return nullptr;
    return std::make_unique<EvdevCapture>(std::move(devices));
}

std::vector<int> EvdevCapture::Fds() const {
    std::vector<int> fds;
    for (const Device& device : devices_)
        fds.push_back(device.fd.Get());
    return fds;
}

bool EvdevCapture::Process(RawInputSink& sink) {
    std::erase_if(devices_, [&](Device& device) { return !Drain(device, sink); });
    return true;
}

bool EvdevCapture::Drain(Device& device, RawInputSink& sink) {
    constexpr std::size_t kRecord = sizeof(input_event);
    unsigned char buffer[64 * kRecord];
    for (;;) {
        const std::size_t kept = device.partial.size();
        std::copy(device.partial.begin(), device.partial.end(), buffer);
        const ssize_t n = ::read(device.fd.Get(), buffer + kept, sizeof buffer - kept);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno == EAGAIN;  // ENODEV and the like: unplugged
        if (n == 0)
            return false;  // the writing end closed
        const std::size_t total = kept + static_cast<std::size_t>(n);
        const std::size_t whole = total - total % kRecord;
        for (std::size_t at = 0; at < whole; at += kRecord) {
            input_event event;
            std::memcpy(&event, buffer + at, kRecord);
            if (event.type == EV_KEY)
                sink.OnRawInput(event.code, event.value);
        }
        device.partial.assign(buffer + whole, buffer + total);
    }
}

}  // namespace ms1::hook
