#include "libs/hidapi_1/VendorMonitor.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

namespace ms1::vendorhid {
namespace {

// How long one read waits for a device without a descriptor to sleep on, and so how soon the
// thread sees that it is to end.
constexpr int kReadTimeoutMs = 20;
// How long the thread sleeps between looks when nothing tells it of devices coming and going.
constexpr int kIdlePollMs = 100;
// A change may be told before the device list shows it (a removal while the device is still
// listed): the devices are looked at once more this long after a change.
constexpr auto kSettle = std::chrono::milliseconds(100);

}  // namespace

VendorMonitor::VendorMonitor(DeviceAccess& access) : access_(access) {}

VendorMonitor::~VendorMonitor() {
    CloseMonitor();
    CloseFeature();
}

void VendorMonitor::SetIds(std::uint16_t vendorId, std::uint16_t productId) {
    vendorId_ = vendorId;
    productId_ = productId;
}

int VendorMonitor::OpenMonitor(const Ms1WindowHandle* window, std::uint32_t dataMessage,
                               std::uint32_t stateMessage) {
    std::lock_guard lock(monitorMutex_);
    if (thread_.joinable())
        return 1;
    if (pipe2(wakeFds_, O_CLOEXEC | O_NONBLOCK) != 0)
        return 0;
    window_ = window != nullptr ? *window : Ms1WindowHandle{};
    dataMessage_ = dataMessage;
    stateMessage_ = stateMessage;
    stop_ = false;
    Rescan(false);
    thread_ = std::thread([this] { Run(); });
    return 1;
}

void VendorMonitor::CloseMonitor() {
    std::lock_guard lock(monitorMutex_);
    if (!thread_.joinable())
        return;
    stop_ = true;
    const char wake = 1;
    [[maybe_unused]] ssize_t written = write(wakeFds_[1], &wake, 1);
    thread_.join();
    if (input_ != nullptr)
        access_.Close(input_);
    input_ = nullptr;
    inputKey_.clear();
    present_.clear();
    close(wakeFds_[0]);
    close(wakeFds_[1]);
    wakeFds_[0] = wakeFds_[1] = -1;
}

int VendorMonitor::OpenFeature() {
    std::lock_guard lock(featureMutex_);
    if (feature_ != nullptr)
        return 1;
    for (const Collection& collection : access_.Enumerate(vendorId_, productId_)) {
        if (collection.usagePage == kFeatureUsagePage && collection.usage == kFeatureUsage) {
            feature_ = access_.Open(collection.path);
            if (feature_ != nullptr)
                return 1;
        }
    }
    return 0;
}

void VendorMonitor::CloseFeature() {
    std::lock_guard lock(featureMutex_);
    if (feature_ != nullptr)
        access_.Close(feature_);
    feature_ = nullptr;
}

int VendorMonitor::SetFeature(const std::uint8_t* data, std::size_t length) {
    if (data == nullptr || length == 0)
        return 0;
    std::lock_guard lock(featureMutex_);
    if (feature_ == nullptr)
        return 0;
    return access_.SendFeature(feature_, data, length) >= 0 ? 1 : 0;
}

void VendorMonitor::Post(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    Ms1PostMessage(&window_, message, wParam, lParam);
}

void VendorMonitor::Rescan(bool announce) {
    std::set<std::string> keys;
    const std::vector<Collection> collections = access_.Enumerate(vendorId_, productId_);
    for (const Collection& collection : collections)
        keys.insert(collection.deviceKey);
    if (announce) {
        for (const std::string& key : keys) {
            if (present_.count(key) == 0)
                Post(stateMessage_, 1, 0);
        }
        for (const std::string& key : present_) {
            if (keys.count(key) == 0)
                Post(stateMessage_, 0, 0);
        }
    }
    present_ = keys;
    if (input_ != nullptr && keys.count(inputKey_) == 0) {
        access_.Close(input_);
        input_ = nullptr;
        inputKey_.clear();
    }
    if (input_ != nullptr)
        return;
    for (const Collection& collection : collections) {
        if (collection.usagePage == kInputUsagePage && collection.usage == kInputUsage) {
            input_ = access_.OpenInput(collection.path);
            if (input_ != nullptr) {
                inputKey_ = collection.deviceKey;
                return;
            }
        }
    }
}

void VendorMonitor::Run() {
    pthread_setname_np(pthread_self(), kThreadName);
    std::uint8_t report[64];
    std::optional<std::chrono::steady_clock::time_point> lookAgain;
    while (!stop_) {
        // Asleep until the end, a change of the devices or a report of the input collection;
        // only what gives no descriptor to sleep on is looked at on a period.
        const int changesFd = access_.ChangesFd();
        const int inputFd = input_ != nullptr ? access_.InputFd(input_) : -1;
        pollfd fds[3] = {{wakeFds_[0], POLLIN, 0}, {changesFd, POLLIN, 0}, {inputFd, POLLIN, 0}};
        int timeout = -1;
        if (input_ != nullptr && inputFd < 0)
            timeout = 0;  // the read below waits
        else if (changesFd < 0)
            timeout = kIdlePollMs;
        if (lookAgain) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                *lookAgain - std::chrono::steady_clock::now());
            const int settle = static_cast<int>(std::max<std::int64_t>(0, left.count()));
            timeout = timeout < 0 ? settle : std::min(timeout, settle);
        }
        poll(fds, 3, timeout);
        if (stop_)
            break;
        if ((fds[1].revents & POLLIN) != 0) {
            access_.TakeChanges();
            Rescan(true);
            lookAgain = std::chrono::steady_clock::now() + kSettle;
            continue;  // the input collection may have changed: its readiness is looked at anew
        }
        if (lookAgain && std::chrono::steady_clock::now() >= *lookAgain) {
            lookAgain.reset();
            Rescan(true);
            continue;
        }
        if (input_ == nullptr || (inputFd >= 0 && fds[2].revents == 0))
            continue;
        const int n =
            access_.Read(input_, report, sizeof report, inputFd >= 0 ? 0 : kReadTimeoutMs);
        if (n < 0) {
            // Gone: dropped, and the devices looked at again. Its removal event may have come
            // while it was still listed, and then nothing else would tell of it.
            access_.Close(input_);
            input_ = nullptr;
            inputKey_.clear();
            Rescan(true);
        } else if (n >= 5 && report[0] == kStatusReportId && !stop_) {
            const auto a = static_cast<std::uintptr_t>(report[1] | (report[2] << 8));
            const auto v = static_cast<std::intptr_t>(report[3] | (report[4] << 8));
            Post(dataMessage_, a, v);
        }
    }
}

}  // namespace ms1::vendorhid
