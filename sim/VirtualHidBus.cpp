#include "sim/VirtualHidBus.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "sim/VirtualCable.h"
#include "sim/VirtualGattMouse.h"

namespace ms1::sim {
namespace {

constexpr std::uint16_t kVendorId = 0x1D57;
constexpr std::uint16_t kProductId = 0xA001;
constexpr std::uint16_t kInputPage = 0xFF01;
constexpr std::uint16_t kFeaturePage = 0xFF02;
// The mouse over Bluetooth, as its HID-over-GATT collection shows.
constexpr std::uint16_t kBleVendorId = 0x045E;
constexpr std::uint16_t kBleProductId = 0xA011;

// A HID collection path as Windows names it; the fifth '&' field is the instance key.
std::string CollectionPath(int interfaceNumber, int collection, const std::string& key) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "\\\\?\\hid#vid_1d57&pid_a001&mi_%02d&col%02d#8&%s&0&%04d"
                  "#{4d1e55b2-f16f-11cf-88cb-001111000030}",
                  interfaceNumber, collection, key.c_str(), collection - 1);
    return text;
}

}  // namespace

struct VirtualHidBus::Receiver {
    Receiver(const ReceiverOptions& o, const SimClock& clock) : options(o), mouse(clock) {}

    ReceiverOptions options;
    std::vector<HidDeviceInfo> collections;
    std::size_t inputCollection = 0;    // the one the mouse's reports come out of
    std::size_t featureCollection = 0;  // the first feature collection
    std::string usbName;
    bool plugged = false;
    int emptyInputReads = 0;
    VirtualMouse mouse;
};

VirtualHidBus::VirtualHidBus(std::shared_ptr<const SimClock> clock) : clock_(std::move(clock)) {
    // A jump of a clock moved by hand can make reports due: the waits look again.
    clock_->SetJumpListener(this, [this] {
        std::lock_guard lock(mutex_);
        WakeWaitersLocked();
    });
}

VirtualHidBus::~VirtualHidBus() {
    clock_->SetJumpListener(this, {});
    // The Bluetooth personality's thread uses the bus until it ends.
    gatt_.reset();
}

void VirtualHidBus::WakeWaitersLocked() {
    for (const auto& [waiter, receiver] : waiters_)
        waiter->Signal();
}

VirtualCable& VirtualHidBus::AttachCable(int receiver) {
    if (!cable_)
        cable_ = std::make_unique<VirtualCable>(*this, receiver);
    return *cable_;
}

VirtualGattMouse& VirtualHidBus::AttachGatt(int receiver) {
    if (!gatt_)
        gatt_ = std::make_unique<VirtualGattMouse>(*this, receiver);
    return *gatt_;
}

std::uint8_t VirtualHidBus::WriteOverGatt(int receiver, const std::uint8_t* data,
                                          std::size_t length) {
    std::lock_guard lock(mutex_);
    if (receiver < 0 || static_cast<std::size_t>(receiver) >= receivers_.size())
        return kAckBadValue;
    packets_.push_back({receiver, std::vector<std::uint8_t>(data, data + length)});
    WakeWaitersLocked();
    return receivers_[static_cast<std::size_t>(receiver)]->mouse.ReceiveGattWrite(data, length);
}

bool VirtualHidBus::SendOverCable(int receiver, const std::uint8_t* data, std::size_t length) {
    std::lock_guard lock(mutex_);
    if (receiver < 0 || static_cast<std::size_t>(receiver) >= receivers_.size())
        return false;
    packets_.push_back({receiver, std::vector<std::uint8_t>(data, data + length)});
    receivers_[static_cast<std::size_t>(receiver)]->mouse.ReceiveFeatureReport(data, length);
    WakeWaitersLocked();
    return true;
}

int VirtualHidBus::ReceiverCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(receivers_.size());
}

int VirtualHidBus::AddReceiver(const ReceiverOptions& options) {
    std::lock_guard lock(mutex_);
    auto receiver = std::make_unique<Receiver>(options, *clock_);
    receiver->mouse.SetAckMode(options.ackMode);
    receiver->mouse.SetAsleep(options.asleep);
    const std::string& key = options.instanceKey;
    auto add = [&](int mi, int col, std::uint16_t page, std::uint16_t usage) {
        HidDeviceInfo info;
        info.path = CollectionPath(mi, col, key);
        info.vendorId = kVendorId;
        info.productId = kProductId;
        info.usagePage = page;
        info.usage = usage;
        info.interfaceNumber = mi;
        receiver->collections.push_back(info);
        return receiver->collections.size() - 1;
    };
    // Interface 0 is the pointer itself; interface 1 carries the vendor collections and a
    // few the link must leave alone.
    add(0, 1, 0x0001, 0x0002);
    receiver->inputCollection = add(1, 1, kInputPage, 1);
    receiver->featureCollection = add(1, 2, kFeaturePage, 2);
    add(1, 3, kInputPage, 3);
    add(1, 4, 0x000C, 0x0001);
    int col = 5;
    for (int i = 0; i < options.extraInputCollections; ++i) {
        add(1, col++, kInputPage, 1);
    }
    for (int i = 0; i < options.extraFeatureCollections; ++i) {
        add(1, col++, kFeaturePage, 2);
    }
    receiver->usbName =
        "\\\\?\\USB#VID_1D57&PID_A001#" + key + "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    receivers_.push_back(std::move(receiver));
    return static_cast<int>(receivers_.size()) - 1;
}

std::vector<DeviceEvent> VirtualHidBus::EventsOf(const Receiver& receiver) const {
    // Windows-form names carry the ids themselves.
    std::vector<DeviceEvent> events{{receiver.usbName, 0, 0}};
    for (const HidDeviceInfo& info : receiver.collections) {
        events.push_back({info.path, 0, 0});
    }
    return events;
}

void VirtualHidBus::Plug(int index) {
    std::vector<DeviceEvent> events;
    DeviceEventSink* sink = nullptr;
    {
        std::lock_guard lock(mutex_);
        Receiver& receiver = *receivers_.at(static_cast<std::size_t>(index));
        if (receiver.plugged) {
            return;
        }
        receiver.plugged = true;
        if (receiver.options.firstReportNotStatus) {
            receiver.mouse.QueueRaw({0x11, 0x22, 0x01, 0x00, 0x00});
        }
        receiver.mouse.PowerUp();
        WakeWaitersLocked();
        events = EventsOf(receiver);
        sink = sink_;
    }
    if (sink != nullptr) {
        for (const DeviceEvent& event : events) {
            sink->OnDeviceArrival(event);
        }
    }
}

void VirtualHidBus::Unplug(int index) {
    std::vector<DeviceEvent> events;
    DeviceEventSink* sink = nullptr;
    {
        std::lock_guard lock(mutex_);
        Receiver& receiver = *receivers_.at(static_cast<std::size_t>(index));
        if (!receiver.plugged) {
            return;
        }
        receiver.plugged = false;
        receiver.mouse.DropPending();
        WakeWaitersLocked();
        events = EventsOf(receiver);
        sink = sink_;
    }
    if (sink != nullptr) {
        for (const DeviceEvent& event : events) {
            sink->OnDeviceRemoval(event);
        }
    }
}

void VirtualHidBus::SetEventSink(DeviceEventSink* sink) {
    std::lock_guard lock(mutex_);
    sink_ = sink;
}

bool VirtualHidBus::IsPlugged(int receiver) const {
    std::lock_guard lock(mutex_);
    return receivers_.at(static_cast<std::size_t>(receiver))->plugged;
}

void VirtualHidBus::WithMouse(int receiver, const std::function<void(VirtualMouse&)>& action) {
    std::lock_guard lock(mutex_);
    action(receivers_.at(static_cast<std::size_t>(receiver))->mouse);
    WakeWaitersLocked();
}

MouseSettings VirtualHidBus::Settings(int receiver) const {
    std::lock_guard lock(mutex_);
    return receivers_.at(static_cast<std::size_t>(receiver))->mouse.Settings();
}

std::vector<HidDeviceInfo> VirtualHidBus::Collections(int receiver) const {
    std::lock_guard lock(mutex_);
    return receivers_.at(static_cast<std::size_t>(receiver))->collections;
}

std::string VirtualHidBus::InputPath(int receiver) const {
    std::lock_guard lock(mutex_);
    const Receiver& r = *receivers_.at(static_cast<std::size_t>(receiver));
    return r.collections[r.inputCollection].path;
}

std::string VirtualHidBus::FeaturePath(int receiver) const {
    std::lock_guard lock(mutex_);
    const Receiver& r = *receivers_.at(static_cast<std::size_t>(receiver));
    return r.collections[r.featureCollection].path;
}

std::vector<ReceivedPacket> VirtualHidBus::ReceivedPackets() const {
    std::lock_guard lock(mutex_);
    return packets_;
}

int VirtualHidBus::OpenHandles() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(handles_.begin(), handles_.end(),
                                          [](const auto& entry) { return !entry.second->closed; }));
}

int VirtualHidBus::Enumerations() const {
    std::lock_guard lock(mutex_);
    return enumerations_;
}

int VirtualHidBus::MisusedHandleCalls() const {
    std::lock_guard lock(mutex_);
    return misused_;
}

int VirtualHidBus::BlockingReads() const {
    std::lock_guard lock(mutex_);
    return blockingReads_;
}

int VirtualHidBus::EmptyInputReads(int receiver) const {
    std::lock_guard lock(mutex_);
    return receivers_.at(static_cast<std::size_t>(receiver))->emptyInputReads;
}

std::size_t VirtualHidBus::PendingInput(int receiver) const {
    std::lock_guard lock(mutex_);
    return receivers_.at(static_cast<std::size_t>(receiver))->mouse.PendingInput();
}

int VirtualHidBus::Init() {
    return 0;
}

std::vector<HidDeviceInfo> VirtualHidBus::Enumerate(std::uint16_t vendorId,
                                                    std::uint16_t productId) {
    std::lock_guard lock(mutex_);
    ++enumerations_;
    std::vector<HidDeviceInfo> found;
    if (gatt_ && gatt_->Connected() && (vendorId == 0 || vendorId == kBleVendorId) &&
        (productId == 0 || productId == kBleProductId)) {
        HidDeviceInfo info;
        info.path = "/dev/hidraw-ble0";
        info.vendorId = kBleVendorId;
        info.productId = kBleProductId;
        info.usagePage = 0x0001;
        info.usage = 0x0002;
        found.push_back(info);
    }
    for (const auto& receiver : receivers_) {
        if (!receiver->plugged) {
            continue;
        }
        for (const HidDeviceInfo& info : receiver->collections) {
            if ((vendorId == 0 || vendorId == info.vendorId) &&
                (productId == 0 || productId == info.productId)) {
                found.push_back(info);
            }
        }
    }
    return found;
}

HidHandle* VirtualHidBus::OpenPath(const std::string& path) {
    std::lock_guard lock(mutex_);
    lastOpenError_ = ENOENT;
    for (std::size_t r = 0; r < receivers_.size(); ++r) {
        const Receiver& receiver = *receivers_[r];
        if (!receiver.plugged) {
            continue;
        }
        for (std::size_t c = 0; c < receiver.collections.size(); ++c) {
            if (receiver.collections[c].path == path) {
                if (receiver.options.openDenied) {
                    lastOpenError_ = EACCES;
                    return nullptr;
                }
                lastOpenError_ = 0;
                auto handle = std::make_unique<Handle>();
                handle->receiver = static_cast<int>(r);
                handle->collection = c;
                auto* key = reinterpret_cast<HidHandle*>(handle.get());
                handles_[key] = std::move(handle);
                return key;
            }
        }
    }
    return nullptr;
}

VirtualHidBus::Handle* VirtualHidBus::Find(HidHandle* handle) {
    auto it = handles_.find(handle);
    if (it == handles_.end() || it->second->closed) {
        ++misused_;
        return nullptr;
    }
    return it->second.get();
}

int VirtualHidBus::SetNonblocking(HidHandle* handle, int nonblock) {
    std::lock_guard lock(mutex_);
    Handle* h = Find(handle);
    if (h == nullptr) {
        return -1;
    }
    h->nonblocking = nonblock != 0;
    return 0;
}

int VirtualHidBus::Read(HidHandle* handle, std::uint8_t* data, std::size_t length) {
    std::lock_guard lock(mutex_);
    Handle* h = Find(handle);
    if (h == nullptr) {
        return -1;
    }
    if (!h->nonblocking) {
        ++blockingReads_;  // would wait inside the backend; the caller could not be stopped
    }
    Receiver& receiver = *receivers_[static_cast<std::size_t>(h->receiver)];
    if (!receiver.plugged) {
        return -1;
    }
    InputReport report{};
    if (h->collection != receiver.inputCollection) {
        return 0;
    }
    if (!receiver.mouse.TakeInputReport(report)) {
        ++receiver.emptyInputReads;
        return 0;
    }
    const std::size_t n = std::min(length, report.size());
    std::copy(report.begin(), report.begin() + static_cast<std::ptrdiff_t>(n), data);
    return static_cast<int>(n);
}

int VirtualHidBus::SendFeatureReport(HidHandle* handle, const std::uint8_t* data,
                                     std::size_t length) {
    std::lock_guard lock(mutex_);
    Handle* h = Find(handle);
    if (h == nullptr || length == 0) {
        return -1;
    }
    Receiver& receiver = *receivers_[static_cast<std::size_t>(h->receiver)];
    if (!receiver.plugged || receiver.collections[h->collection].usagePage != kFeaturePage) {
        return -1;
    }
    packets_.push_back({h->receiver, std::vector<std::uint8_t>(data, data + length)});
    receiver.mouse.ReceiveFeatureReport(data, length);
    WakeWaitersLocked();
    return static_cast<int>(length);
}

void VirtualHidBus::Close(HidHandle* handle) {
    std::lock_guard lock(mutex_);
    Handle* h = Find(handle);
    if (h != nullptr) {
        h->closed = true;
        WakeWaitersLocked();
    }
}

std::optional<std::int64_t> VirtualHidBus::TimeToReportLocked(const VirtualMouse& mouse) const {
    const std::int64_t due = mouse.NextDueMs();
    if (mouse.PendingInput() > 0 || due <= clock_->NowMs())
        return std::nullopt;
    return due == INT64_MAX ? -1 : clock_->RealMsUntil(due);
}

bool VirtualHidBus::MouseReportDue(int receiver) const {
    std::lock_guard lock(mutex_);
    return !TimeToReportLocked(receivers_.at(static_cast<std::size_t>(receiver))->mouse);
}

bool VirtualHidBus::ReaderAsleep(int receiver) const {
    std::lock_guard lock(mutex_);
    const VirtualMouse& mouse = receivers_.at(static_cast<std::size_t>(receiver))->mouse;
    if (!TimeToReportLocked(mouse))
        return false;
    for (const auto& [waiter, inputOf] : waiters_) {
        if (inputOf == receiver)
            return true;
    }
    return false;
}

HidWait VirtualHidBus::WaitUntil(int stopFd, int inputOf, const WaitCheck& check) {
    WakeEvent wake;
    if (!wake.Valid())
        return HidWait::kFailed;
    std::int64_t timeoutMs = -1;
    {
        std::lock_guard lock(mutex_);
        if (const std::optional<HidWait> result = check(timeoutMs))
            return *result;
        waiters_[&wake] = inputOf;
    }
    HidWait result = HidWait::kFailed;
    std::unique_lock lock(mutex_, std::defer_lock);
    for (;;) {
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {wake.Fd(), POLLIN, 0}};
        const int timeout = timeoutMs > INT32_MAX ? INT32_MAX : static_cast<int>(timeoutMs);
        const int polled = ::poll(fds, 2, timeout);
        lock.lock();
        if (polled < 0 && errno != EINTR)
            break;
        if (fds[0].revents != 0) {
            result = HidWait::kStopped;
            break;
        }
        wake.Drain();
        timeoutMs = -1;
        if (const std::optional<HidWait> done = check(timeoutMs)) {
            result = *done;
            break;
        }
        lock.unlock();
    }
    // Under the same lock as the last look: a sleeping waiter never has something due.
    waiters_.erase(&wake);
    return result;
}

HidWait VirtualHidBus::WaitForInput(HidHandle* handle, int stopFd) {
    int inputOf = -1;
    {
        std::lock_guard lock(mutex_);
        auto it = handles_.find(handle);
        if (it != handles_.end()) {
            const Handle& h = *it->second;
            if (h.collection == receivers_[static_cast<std::size_t>(h.receiver)]->inputCollection)
                inputOf = h.receiver;
        }
    }
    return WaitUntil(stopFd, inputOf, [&](std::int64_t& timeoutMs) -> std::optional<HidWait> {
        Handle* h = Find(handle);
        if (h == nullptr)
            return HidWait::kFailed;
        const Receiver& receiver = *receivers_[static_cast<std::size_t>(h->receiver)];
        if (!receiver.plugged)
            return HidWait::kFailed;  // as a pulled node reports a hang-up
        if (h->collection != receiver.inputCollection)
            return std::nullopt;  // nothing ever comes out of it
        const std::optional<std::int64_t> left = TimeToReportLocked(receiver.mouse);
        if (!left)
            return HidWait::kReadable;
        timeoutMs = *left;
        return std::nullopt;
    });
}

HidWait VirtualHidBus::WaitForMouseReport(int receiver, int stopFd) {
    return WaitUntil(stopFd, -1, [&](std::int64_t& timeoutMs) -> std::optional<HidWait> {
        const std::optional<std::int64_t> left =
            TimeToReportLocked(receivers_.at(static_cast<std::size_t>(receiver))->mouse);
        if (!left)
            return HidWait::kReadable;
        timeoutMs = *left;
        return std::nullopt;
    });
}

}  // namespace ms1::sim
