#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/MouseSettings.h"
#include "sim/ReceiverOptions.h"
#include "sim/SimClock.h"
#include "sim/VirtualMouse.h"
#include "transport/DeviceEvent.h"
#include "transport/HidApi.h"
#include "transport/WakeEvent.h"

namespace ms1::sim {

class VirtualCable;
class VirtualGattMouse;

// One feature report as a receiver got it, in the order of arrival on the bus.
struct ReceivedPacket {
    int receiver = 0;
    std::vector<std::uint8_t> bytes;
};

// A HID bus with virtual 2.4 GHz receivers on it, served through the same port as hidapi.
// Each receiver shows its collections under Windows-form paths, carries a VirtualMouse and
// raises arrival and removal events when plugged and unplugged. Thread-safe; events go to
// the sink on the thread that plugs or unplugs, outside the bus's lock.
//
// It also watches how it is used: reads or sends through closed handles, handles closed
// twice and reads on blocking handles are counted, so tests can prove they never happen.
class VirtualHidBus final : public HidApi {
  public:
    explicit VirtualHidBus(std::shared_ptr<const SimClock> clock);
    ~VirtualHidBus() override;
    VirtualHidBus(const VirtualHidBus&) = delete;
    VirtualHidBus& operator=(const VirtualHidBus&) = delete;

    // Adds a receiver, not yet plugged in; returns its number.
    int AddReceiver(const ReceiverOptions& options);
    int ReceiverCount() const;
    // Gives `receiver`'s mouse a cable (the wired link), not plugged in yet. One per bus.
    VirtualCable& AttachCable(int receiver);
    VirtualCable* Cable() const { return cable_.get(); }
    // A feature report that came over the cable: recorded like the receiver's, then handed
    // to the mouse. False for an unknown receiver.
    bool SendOverCable(int receiver, const std::uint8_t* data, std::size_t length);
    // Gives `receiver`'s mouse its Bluetooth LE personality, not connected yet. One per bus.
    // While it is connected the HID enumeration lists the mouse's HID-over-GATT collection.
    VirtualGattMouse& AttachGatt(int receiver);
    VirtualGattMouse* Gatt() const { return gatt_.get(); }
    // A write to the mouse's GATT characteristic: recorded like the receiver's reports, then
    // checked by the mouse. The mouse's status (0 accepted); kAckBadValue for an unknown
    // receiver.
    std::uint8_t WriteOverGatt(int receiver, const std::uint8_t* data, std::size_t length);
    void Plug(int receiver);
    void Unplug(int receiver);
    bool IsPlugged(int receiver) const;
    void SetEventSink(DeviceEventSink* sink);

    // Runs an action on a receiver's mouse under the bus's lock (changes "on the mouse").
    void WithMouse(int receiver, const std::function<void(VirtualMouse&)>& action);
    MouseSettings Settings(int receiver) const;
    std::vector<HidDeviceInfo> Collections(int receiver) const;
    std::string InputPath(int receiver) const;
    std::string FeaturePath(int receiver) const;
    std::vector<ReceivedPacket> ReceivedPackets() const;

    int OpenHandles() const;
    int Enumerations() const;
    int MisusedHandleCalls() const;  // read, send or close through a closed handle
    int BlockingReads() const;
    // True while a reader sleeps on the receiver's input collection with nothing pending or
    // due: whatever it was given it has read and handed on.
    bool ReaderAsleep(int receiver) const;
    // True when `receiver`'s mouse has a report pending or due now.
    bool MouseReportDue(int receiver) const;
    // Reads of a receiver's input collection that found nothing waiting.
    int EmptyInputReads(int receiver) const;
    std::size_t PendingInput(int receiver) const;

    // HidApi
    int Init() override;
    std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    HidHandle* OpenPath(const std::string& path) override;
    int LastOpenError() const override {
        std::lock_guard lock(mutex_);
        return lastOpenError_;
    }
    HidHandle* OpenInputPath(const std::string& path) override { return OpenPath(path); }
    // Asleep until the mouse has a report for the handle's collection, the handle or its
    // receiver goes, or stopFd is readable: the bus wakes its waiters on every change and a
    // running clock's wait lasts until the mouse's next report falls due.
    HidWait WaitForInput(HidHandle* handle, int stopFd) override;
    int SetNonblocking(HidHandle* handle, int nonblock) override;
    // Asleep until `receiver`'s mouse has a report due (kReadable), whether the receiver is
    // plugged or not (the cable and Bluetooth reach the mouse without it), or stopFd is
    // readable (kStopped).
    HidWait WaitForMouseReport(int receiver, int stopFd);
    int Read(HidHandle* handle, std::uint8_t* data, std::size_t length) override;
    int SendFeatureReport(HidHandle* handle, const std::uint8_t* data, std::size_t length) override;
    void Close(HidHandle* handle) override;

  private:
    struct Receiver;
    struct Handle {
        int receiver = 0;
        std::size_t collection = 0;
        bool nonblocking = false;
        bool closed = false;
    };
    // Looks, under the lock, whether a wait is over: its result if so, else nothing and
    // the real milliseconds to sleep at most (-1: until the bus changes).
    using WaitCheck = std::function<std::optional<HidWait>(std::int64_t& timeoutMs)>;

    Handle* Find(HidHandle* handle);
    // Sleeps until `check` has a result or stopFd is readable; every change of the bus and
    // every jump of its clock has it look again.
    HidWait WaitUntil(int stopFd, int inputOf, const WaitCheck& check);
    // When `mouse`'s next report is due, as the real milliseconds to wait; nothing when it is
    // due now.
    std::optional<std::int64_t> TimeToReportLocked(const VirtualMouse& mouse) const;
    // Wakes every wait to look again; under the lock.
    void WakeWaitersLocked();
    std::vector<DeviceEvent> EventsOf(const Receiver& receiver) const;

    std::shared_ptr<const SimClock> clock_;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Receiver>> receivers_;
    // Handles are kept after closing so that a pointer is never handed out twice.
    std::map<HidHandle*, std::unique_ptr<Handle>> handles_;
    std::vector<ReceivedPacket> packets_;
    // The waits that sleep now, each with the receiver whose input collection it waits on
    // (-1 for another wait).
    std::map<WakeEvent*, int> waiters_;
    DeviceEventSink* sink_ = nullptr;
    // Last, so that their threads end before the rest of the bus goes.
    std::unique_ptr<VirtualCable> cable_;
    std::unique_ptr<VirtualGattMouse> gatt_;
    int enumerations_ = 0;
    int lastOpenError_ = 0;
    int misused_ = 0;
    int blockingReads_ = 0;
};

}  // namespace ms1::sim
