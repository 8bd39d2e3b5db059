#include "transport/UsbHidLink.h"

#include <pthread.h>

#include <cerrno>

#include <string_view>
#include <system_error>

#include "ports/WindowMessages.h"
#include "transport/AsciiText.h"
#include "transport/PairKey.h"

namespace ms1 {
namespace {

constexpr std::size_t kReadBufferSize = 100;
constexpr int kArrivalDelayMs = 1000;
constexpr std::uint8_t kStatusMark = 0x11;

bool HasSlotFor(const std::array<HidCollectionSlot, kReceiverSlots>& slots, int count,
                const std::string& path) {
    for (int i = 0; i < count; ++i) {
        if (slots[static_cast<std::size_t>(i)].path == path)
            return true;
    }
    return false;
}

}  // namespace

bool IsReceiverInterface(const DeviceEvent& event) {
    if (event.vendorId != 0 || event.productId != 0) {
        return event.vendorId == kReceiverVendorId && event.productId == kReceiverProductId;
    }
    const std::string name = ToUpperAscii(event.interfaceName);
    return !name.empty() && name.find("VID_1D57") != std::string::npos &&
           name.find("PID_A001") != std::string::npos;
}

UsbHidLink::UsbHidLink(Ports ports, PairKeyFunction pairKey, TraceFunction trace)
    : ports_(ports),
      pairKey_(pairKey ? std::move(pairKey) : PairKeyFunction(PairKeyForPath)),
      trace_(std::move(trace)) {
    notCurrent_.fill(-1);
}

UsbHidLink::~UsbHidLink() {
    Shutdown();
    std::lock_guard lock(mutex_);
    CloseAllHandlesLocked();
}

void UsbHidLink::Trace(const std::string& line) const {
    if (trace_) {
        trace_(line);
    }
}

void UsbHidLink::EnumerateReceivers() {
    if (readerStopFlag_.load()) {
        return;  // shut down: no new readers
    }
    for (int i = 0; i < kReceiverSlots; ++i) {
        StopReader(i);
    }
    {
        std::lock_guard lock(mutex_);
        firstReportSeen_.fill(0);
        notCurrent_.fill(-1);
        // The previous tables' handles are closed here rather than leaked; the sender has no
        // current receiver until the next election.
        CloseAllHandlesLocked();
        deniedPath_.clear();
        std::string denied;

        for (const HidDeviceInfo& info :
             ports_.hid.Enumerate(kReceiverVendorId, kReceiverProductId)) {
            if (info.usagePage != kFeatureUsagePage && info.usagePage != kInputUsagePage) {
                continue;
            }
            const bool feature = info.usagePage == kFeatureUsagePage && info.usage == kFeatureUsage;
            const bool input = info.usagePage == kInputUsagePage && info.usage == kInputUsage;
            // A hidraw node carries every collection of its device and is listed once per
            // collection under the same path: one handle per node and kind is enough, and a
            // second reader of the same node would hand each report on twice.
            if ((feature && HasSlotFor(featureSlots_, featureSlotCount_, info.path)) ||
                (input && HasSlotFor(inputSlots_, inputSlotCount_, info.path))) {
                continue;
            }
            // An input collection is only read, by a reader that sleeps on it.
            HidHandle* handle =
                input ? ports_.hid.OpenInputPath(info.path) : ports_.hid.OpenPath(info.path);
            if (handle == nullptr) {
                if (ports_.hid.LastOpenError() == EACCES && denied.empty())
                    denied = info.path;
                continue;
            }
            if (feature && featureSlotCount_ < kReceiverSlots) {
                HidCollectionSlot& slot = featureSlots_[featureSlotCount_];
                slot.featureHandle = handle;
                slot.pairKey = pairKey_(info.path);
                slot.index = featureSlotCount_;
                slot.path = info.path;
                ++featureSlotCount_;
            } else if (input && inputSlotCount_ < kReceiverSlots) {
                HidCollectionSlot& slot = inputSlots_[inputSlotCount_];
                slot.inputHandle = handle;
                slot.pairKey = pairKey_(info.path);
                slot.index = inputSlotCount_;
                slot.path = info.path;
                ++inputSlotCount_;
            } else {
                ports_.hid.Close(handle);
            }
        }
        // Only a receiver of which nothing could be opened is a permission problem to report.
        if (featureSlotCount_ == 0 && inputSlotCount_ == 0)
            deniedPath_ = denied;
        Trace("m_iDeviceNo_Wireless_OSD = " + std::to_string(inputSlotCount_));
    }
    StartReaders();
}

void UsbHidLink::CloseAllHandlesLocked() {
    for (HidCollectionSlot& slot : inputSlots_) {
        if (slot.inputHandle != nullptr) {
            ports_.hid.Close(slot.inputHandle);
        }
        slot = HidCollectionSlot{};
    }
    for (HidCollectionSlot& slot : featureSlots_) {
        // A feature slot's inputHandle is a copy of an input slot's handle, closed above.
        if (slot.featureHandle != nullptr) {
            ports_.hid.Close(slot.featureHandle);
        }
        slot = HidCollectionSlot{};
    }
    featureSlotCount_ = 0;
    inputSlotCount_ = 0;
    currentReceiver_ = HidCollectionSlot{};
    currentFeatureHandle_ = nullptr;
    currentInputHandle_ = nullptr;
}

void UsbHidLink::StartReaders() {
    int count = 0;
    {
        std::lock_guard lock(mutex_);
        count = inputSlotCount_;
        for (int i = 0; i < count; ++i) {
            ports_.hid.SetNonblocking(inputSlots_[i].inputHandle, 1);
        }
    }
    for (int i = 0; i < count; ++i) {
        auto reader = std::make_unique<Reader>();
        if (!reader->stop.Valid()) {
            Trace("Error: Failed to create thread for device " + std::to_string(i));
            continue;
        }
        try {
            reader->thread = std::thread(&UsbHidLink::ReaderThreadMain, this, i, std::ref(*reader));
        } catch (const std::system_error&) {
            Trace("Error: Failed to create thread for device " + std::to_string(i));
            continue;
        }
        readers_[i] = std::move(reader);
    }
}

void UsbHidLink::ReaderThreadMain(int deviceIndex, Reader& reader) {
    // Named, so that its wake-ups can be told from the others' in /proc.
    pthread_setname_np(pthread_self(), kReaderThreadName);
    auto stopping = [&] { return reader.quit.load() || readerStopFlag_.load(); };
    while (!stopping()) {
        HidHandle* handle = nullptr;
        {
            std::lock_guard lock(mutex_);
            handle = inputSlots_[deviceIndex].inputHandle;
        }
        if (handle == nullptr) {
            return;
        }
        // Asleep until the collection has a report or the reader is told to stop. A
        // collection that is gone (its receiver pulled) ends the reader.
        if (ports_.hid.WaitForInput(handle, reader.stop.Fd()) != HidWait::kReadable) {
            return;
        }
        // Everything that is waiting, one report after another, until a read finds nothing.
        while (!stopping() && ReadStatusReport(deviceIndex, handle)) {
        }
    }
}

bool UsbHidLink::ReadStatusReport(int deviceIndex, HidHandle* handle) {
    // Zero-filled for every read, so a short report never carries bytes of an earlier one.
    std::uint8_t report[kReadBufferSize] = {};
    if (ports_.hid.Read(handle, report, sizeof report) <= 0) {
        return false;
    }
    if (PairAndElect(deviceIndex, report) == 0 && report[0] == kStatusMark) {
        const auto a = static_cast<std::uint16_t>(report[1] | (report[2] << 8));
        const auto v = static_cast<std::uint16_t>(report[3] | (report[4] << 8));
        ports_.status.OnReceiverStatus(a, v);
    }
    return true;
}

int UsbHidLink::PairAndElect(int k, const std::uint8_t* report) {
    std::lock_guard lock(mutex_);
    int j = 0;
    while (j < featureSlotCount_ &&
           !EqualsIgnoringCase(featureSlots_[j].pairKey, inputSlots_[k].pairKey)) {
        ++j;
    }
    if (j == featureSlotCount_) {
        return notCurrent_[k];
    }
    featureSlots_[j].inputHandle = inputSlots_[k].inputHandle;
    if (firstReportSeen_[k] == 1) {
        return notCurrent_[k];
    }
    firstReportSeen_[k] = 1;
    if (report[1] == kStatusMark) {
        // The receiver that spoke first stays current until the next enumeration or its
        // removal: another receiver whose mouse speaks later would otherwise take over in
        // the middle of an apply, and the mouse behind each would get part of it.
        if (currentFeatureHandle_ != nullptr) {
            notCurrent_[k] = 0;
            return notCurrent_[k];
        }
        currentReceiver_ = featureSlots_[j];
        currentFeatureHandle_ = currentReceiver_.featureHandle;
        currentInputHandle_ = currentReceiver_.inputHandle;
        if (currentInputHandle_ != nullptr) {
            ports_.hid.SetNonblocking(currentInputHandle_, 1);
        }
        notCurrent_[k] = 0;
    } else {
        notCurrent_[k] = -1;
    }
    return notCurrent_[k];
}

void UsbHidLink::OnDeviceArrival(const DeviceEvent& event) {
    Trace(ToUpperAscii(event.interfaceName));
    if (!IsReceiverInterface(event)) {
        return;
    }
    ports_.timers.KillTimer(TIMER_USB_ARRIVAL);
    ports_.timers.StartTimer(TIMER_USB_ARRIVAL, kArrivalDelayMs);
}

void UsbHidLink::OnDeviceRemoval(const DeviceEvent& event) {
    OnReceiverRemoved(event);
}

void UsbHidLink::OnArrivalTimer() {
    ports_.timers.KillTimer(TIMER_USB_ARRIVAL);
    EnumerateReceivers();
}

void UsbHidLink::OnReceiverRemoved(const DeviceEvent& event) {
    if (!IsReceiverInterface(event) || event.interfaceName.empty()) {
        return;
    }
    const std::string name = ToUpperAscii(event.interfaceName);
    Trace(name);

    for (int i = 0; i < kReceiverSlots; ++i) {
        bool matches = false;
        {
            std::lock_guard lock(mutex_);
            matches = !inputSlots_[i].path.empty() && EqualsIgnoringCase(inputSlots_[i].path, name);
        }
        if (!matches) {
            continue;
        }
        StopReader(i);
        std::lock_guard lock(mutex_);
        HidHandle* closed = inputSlots_[i].inputHandle;
        if (closed != nullptr) {
            ports_.hid.Close(closed);
            // Pairing copied the handle; no copy may outlive it.
            for (HidCollectionSlot& feature : featureSlots_) {
                if (feature.inputHandle == closed) {
                    feature.inputHandle = nullptr;
                }
            }
            if (currentReceiver_.inputHandle == closed) {
                currentReceiver_.inputHandle = nullptr;
            }
            if (currentInputHandle_ == closed) {
                currentInputHandle_ = nullptr;
            }
        }
        Trace(inputSlots_[i].path);
        inputSlots_[i] = HidCollectionSlot{};
    }

    {
        std::lock_guard lock(mutex_);
        if (currentReceiver_.path.empty() || !EqualsIgnoringCase(currentReceiver_.path, name)) {
            return;
        }
        // The current receiver's feature collection is gone: nothing more is sent through it.
        currentReceiver_ = HidCollectionSlot{};
        currentFeatureHandle_ = nullptr;
        currentInputHandle_ = nullptr;
    }
    if (ports_.flags.wirelessConnected.exchange(false)) {
        ports_.view.HideWirelessIndicator();
        ports_.view.RefreshLinkSections();
        ports_.flags.RecomputeAnyConnected();
        ports_.window.Post(MSG_CONNECTION_CHANGED, 0, 0);
    }
}

void UsbHidLink::StopReader(int i) {
    if (i < 0 || i >= kReceiverSlots || !readers_[i]) {
        return;
    }
    Reader& reader = *readers_[i];
    // The wait ends at once; reads are non-blocking, so the reader sees the request before
    // its next read.
    reader.quit.store(true);
    reader.stop.Signal();
    if (reader.thread.joinable()) {
        reader.thread.join();
    }
    readers_[i].reset();
}

void UsbHidLink::Shutdown() {
    readerStopFlag_.store(true);
    {
        std::lock_guard lock(mutex_);
        firstReportSeen_.fill(0);
    }
    for (int i = 0; i < kReceiverSlots; ++i) {
        StopReader(i);
    }
}

ResultOf<int> UsbHidLink::SendFeatureReport(const std::uint8_t* data, std::size_t length) {
    std::lock_guard lock(mutex_);
    if (currentFeatureHandle_ == nullptr) {
        return ResultOf<int>::Failed("no receiver is open");
    }
    const int sent = ports_.hid.SendFeatureReport(currentFeatureHandle_, data, length);
    if (sent == -1)
        return ResultOf<int>::Failed("the receiver did not take the feature report");
    return ResultOf<int>::Done(sent);
}

bool UsbHidLink::HasCurrentReceiver() const {
    std::lock_guard lock(mutex_);
    return currentFeatureHandle_ != nullptr;
}

bool UsbHidLink::ReceiverPluggedIn() const {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < inputSlotCount_; ++i) {
        if (!inputSlots_[i].empty())
            return true;
    }
    return false;
}

UsbHidLinkState UsbHidLink::State() const {
    UsbHidLinkState state;
    std::lock_guard lock(mutex_);
    state.featureSlotCount = featureSlotCount_;
    state.inputSlotCount = inputSlotCount_;
    state.featureSlots = featureSlots_;
    state.inputSlots = inputSlots_;
    state.currentReceiver = currentReceiver_;
    state.currentFeatureHandle = currentFeatureHandle_;
    state.currentInputHandle = currentInputHandle_;
    state.notCurrent = notCurrent_;
    state.firstReportSeen = firstReportSeen_;
    state.deniedPath = deniedPath_;
    for (int i = 0; i < kReceiverSlots; ++i) {
        state.readerRunning[i] = readers_[i] != nullptr;
    }
    return state;
}

}  // namespace ms1
