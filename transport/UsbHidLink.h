#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/Result.h"
#include "ports/LinkFlags.h"
#include "ports/MessagePorts.h"
#include "transport/DeviceEvent.h"
#include "transport/HidApi.h"
#include "transport/HidCollectionSlot.h"
#include "transport/LinkView.h"
#include "transport/ReceiverStatusSink.h"
#include "transport/WakeEvent.h"

namespace ms1 {

inline constexpr std::uint16_t kReceiverVendorId = 0x1D57;
inline constexpr std::uint16_t kReceiverProductId = 0xA001;
inline constexpr std::uint16_t kInputUsagePage = 0xFF01;
inline constexpr std::uint16_t kInputUsage = 1;
inline constexpr std::uint16_t kFeatureUsagePage = 0xFF02;
inline constexpr std::uint16_t kFeatureUsage = 2;
inline constexpr int kReceiverSlots = 20;
// The name of every reader thread (as /proc/PID/task/TID/comm shows it).
inline constexpr char kReaderThreadName[] = "ms1-hid-reader";

// True for an interface of the 2.4 GHz receiver: by the ids when the event has them, else by
// "VID_1D57" and "PID_A001" in the upper-cased name.
bool IsReceiverInterface(const DeviceEvent& event);

// A copy of the link's tables, for diagnostics and tests.
struct UsbHidLinkState {
    int featureSlotCount = 0;
    int inputSlotCount = 0;
    std::array<HidCollectionSlot, kReceiverSlots> featureSlots{};
    std::array<HidCollectionSlot, kReceiverSlots> inputSlots{};
    HidCollectionSlot currentReceiver;
    HidHandle* currentFeatureHandle = nullptr;
    HidHandle* currentInputHandle = nullptr;
    std::array<int, kReceiverSlots> notCurrent{};
    std::array<int, kReceiverSlots> firstReportSeen{};
    std::array<bool, kReceiverSlots> readerRunning{};
    // A collection of a receiver that is there but may not be opened by this user (EACCES),
    // from the last enumeration that opened none; empty otherwise.
    std::string deniedPath;
};

// The link to the mouse through its 2.4 GHz USB receiver: finds and opens the receiver's
// collections, runs one reader per input collection, pairs input and feature collections,
// elects the current receiver and follows arrivals and removals.
//
// Enumeration, device events, removal and shutdown run on the window thread; the readers
// run on their own threads, each asleep until its collection has a report or it is told to
// stop. One lock serialises pairing and election with enumeration,
// removal and the sending of feature reports. A reader always ends before its handle is
// closed or its slot cleared.
class UsbHidLink final : public DeviceEventSink {
  public:
    struct Ports {
        HidApi& hid;
        ReceiverStatusSink& status;
        LinkFlags& flags;
        LinkView& view;
        MessageTarget& window;
        WindowTimers& timers;
    };
    using PairKeyFunction = std::function<std::string(const std::string& path)>;
    using TraceFunction = std::function<void(const std::string& line)>;

    explicit UsbHidLink(Ports ports, PairKeyFunction pairKey = {}, TraceFunction trace = {});
    ~UsbHidLink() override;
    UsbHidLink(const UsbHidLink&) = delete;
    UsbHidLink& operator=(const UsbHidLink&) = delete;

    // Stops every reader, closes and clears the tables, opens the receiver's collections
    // and starts one reader per input collection.
    void EnumerateReceivers();

    // An arrival of a receiver interface restarts timer 54, so one enumeration runs after
    // the last of a burst of arrivals.
    void OnDeviceArrival(const DeviceEvent& event) override;
    void OnDeviceRemoval(const DeviceEvent& event) override;
    // Expiry of timer 54.
    void OnArrivalTimer();

    // Removal of one interface: its input slot's reader is stopped and the slot closed; when
    // it is the current receiver's feature collection the 2.4 GHz state is cleared.
    void OnReceiverRemoved(const DeviceEvent& event);

    // Stops and joins the reader of input slot i (no-op when none runs).
    void StopReader(int i);

    // Stops every reader; called by the destructor too. The link is idle afterwards.
    void Shutdown();

    // Sends one feature report through the current receiver: the bytes hidapi sent, or why
    // nothing went (no current receiver, or hidapi failed). Safe from any thread, also during
    // a removal.
    ResultOf<int> SendFeatureReport(const std::uint8_t* data, std::size_t length);

    bool HasCurrentReceiver() const;
    // True while an input collection of a receiver is open: from the enumeration that found
    // it until its removal. (The slot count waits for the next enumeration; a pulled receiver
    // must not count as there until then.)
    bool ReceiverPluggedIn() const;
    UsbHidLinkState State() const;

  private:
    struct Reader {
        std::thread thread;
        WakeEvent stop;  // readable once the reader is to end: its wait ends at once
        std::atomic<bool> quit{false};
    };

    void ReaderThreadMain(int deviceIndex, Reader& reader);
    // Reads one report from input slot deviceIndex and hands it on; false when none waited.
    bool ReadStatusReport(int deviceIndex, HidHandle* handle);
    // Pairing and election for a report read from input slot k; returns notCurrent of k.
    int PairAndElect(int k, const std::uint8_t* report);
    void CloseAllHandlesLocked();
    void StartReaders();
    void Trace(const std::string& line) const;

    Ports ports_;
    PairKeyFunction pairKey_;
    TraceFunction trace_;

    mutable std::mutex mutex_;  // tables, current receiver, election state
    std::array<HidCollectionSlot, kReceiverSlots> featureSlots_{};
    std::array<HidCollectionSlot, kReceiverSlots> inputSlots_{};
    int featureSlotCount_ = 0;
    int inputSlotCount_ = 0;  // m_iDeviceNo_Wireless_OSD
    std::string deniedPath_;
    HidCollectionSlot currentReceiver_;
    HidHandle* currentFeatureHandle_ = nullptr;
    HidHandle* currentInputHandle_ = nullptr;
    std::array<int, kReceiverSlots> notCurrent_{};
    std::array<int, kReceiverSlots> firstReportSeen_{};

    std::array<std::unique_ptr<Reader>, kReceiverSlots> readers_{};
    std::atomic<bool> readerStopFlag_{false};
};

}  // namespace ms1
