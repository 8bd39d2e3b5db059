#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "engine/HubBleSinks.h"
#include "engine/HubStatusSink.h"
#include "engine/ReceiverReportPort.h"
#include "engine/ShownOnlyTimers.h"
#include "engine/SleepingPacer.h"
#include "engine/TimerDelayedCalls.h"
#include "platform/MessageHub.h"
#include "platform/TimerSet.h"
#include "platform/WorkerThread.h"
#include "ports/LinkFlags.h"
#include "ports/WindowMessages.h"
#include "protocol/ApplyEngine.h"
#include "protocol/DeviceStatus.h"
#include "protocol/ReportSender.h"
#include "transport/BleGattLink.h"
#include "transport/GattPlatform.h"
#include "transport/LinkView.h"
#include "transport/UsbHidLink.h"

namespace ms1 {

// The mouse side of the program wired together: the 2.4 GHz link with its readers, the
// status decoding on the window thread, and the apply engine on its worker thread. The GUI
// and ms1ctl build it the same way; only the window-side ports differ.
//
// Create, start, stop and destroy it on the window thread, which must run a Qt event loop
// (QCoreApplication is enough): the session's message hub and timers live there, and every
// status message is decoded there. Applies run on the session's worker.
class DeviceSession final : private LinkView,
                            private BleLinkView,
                            private GattWork,
                            private DeviceEventSink {
  public:
    struct Ports {
        HidApi& hid;
        ProfileState& profiles;
        StatusView& statusView;  // window thread only
        ApplyView& applyView;    // called on the worker
        MessageTarget& window;   // receives MSG_CONNECTION_CHANGED and MSG_STAGE_CHANGED
        Pacer* pacer = nullptr;  // null: real pauses on the worker
        WiredDevicePort* wiredDevice = nullptr;
        WiredReportPort* wiredReports = nullptr;
        // The Bluetooth LE GATT services; null: no Bluetooth link, bleConnected stays false.
        GattPlatform* gatt = nullptr;
    };
    using ApplyListener = std::function<void(const ApplyResult&)>;
    using ReportListener = std::function<void(const SentReport&)>;

    explicit DeviceSession(Ports ports);
    ~DeviceSession() override;
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Both listeners run on the worker; set them before Start.
    void SetApplyListener(ApplyListener listener) { applyListener_ = std::move(listener); }
    void SetReportListener(ReportListener listener);

    // Starts the worker, looks at the wired and Bluetooth links, then enumerates the receivers
    // and starts their readers. `bleMousePresent`: the HID enumeration saw the Bluetooth LE
    // mouse; it counts as connected once its GATT link is confirmed, a moment later.
    void Start(bool bleMousePresent = false);
    // Ends the readers, then the worker: an apply under way stops after its current report and
    // writes the store; applies not yet begun are dropped. A session starts only once.
    void Stop();

    // One apply as soon as the worker is free.
    void RequestApply();
    // The page switched to another profile by itself: the apply under way ends after its
    // current report and one apply follows, from what the mouse confirmed.
    void RequestApplyInstead();
    // One apply `milliseconds` after the last of a run of requests (timer 513).
    void RequestApplyDelayed(int milliseconds);
    // A full apply of `profile` instead of the page's, after the applies already queued
    // (ms1ctl apply carried out by the running program). Both listeners run on the worker;
    // `done` also when the program ends first (with nothing sent).
    void ApplyProfileOnce(const ProfileRecord& profile, ReportListener onReport,
                          ApplyListener done);

    // The session's messages and timers. The owner may also hand it the vendor library's
    // messages 1539 and 1540 here. True when the message was the session's.
    bool HandleMessage(const Message& message);
    void OnTimer(int id);

    LinkFlags& flags() { return flags_; }
    UsbHidLink& link() { return *link_; }
    // Where device arrivals and removals go: to the link, and while no link is up the window
    // hears of a receiver that left (1128), so that its empty page follows the receiver.
    DeviceEventSink& deviceEvents() { return *this; }
    DeviceStatus& status() { return status_; }
    ReportSender& sender() { return sender_; }
    // Null without a GATT platform.
    BleGattLink* ble() { return ble_.get(); }
    WindowTimers& timers() { return timers_; }
    // Whether anyone can see the window: what only draws waits while nobody can.
    void SetWindowShown(bool shown) { statusTimers_.SetShown(shown); }
    MessageHub& hub() { return hub_; }

  private:
    // LinkView, for the link's removal handling.
    void HideWirelessIndicator() override;
    void RefreshLinkSections() override;
    // BleLinkView, for the Bluetooth link's connection changes.
    void ShowBleConnected() override;
    void ShowBleDisconnected() override;
    // GattWork: the link's GATT work runs on the apply worker, between applies.
    bool OffWindow(std::function<void()> work) override;
    void OnWindow(std::function<void()> call) override;
    void RunGattWork();
    // DeviceEventSink
    void OnDeviceArrival(const DeviceEvent& event) override;
    void OnDeviceRemoval(const DeviceEvent& event) override;
    // Nothing connected, but the receivers may have come or gone: the window looks again.
    void PostPresenceWhileNothingConnected();

    void OnWorkerMessage(const ThreadMessage& message);
    // Tells the senders of once-applies that never ran that nothing was sent.
    void FinishOnceApplies();

    Ports ports_;
    LinkFlags flags_;
    MessageHub hub_;
    TimerSet timers_;
    // What the status decoding starts: its charging sweep waits while the window is hidden.
    ShownOnlyTimers statusTimers_{timers_, {TIMER_CHARGE_ANIMATION}};
    TimerDelayedCalls delayed_{hub_};
    SleepingPacer sleepingPacer_;
    HubStatusSink statusSink_{hub_};
    std::unique_ptr<UsbHidLink> link_;
    ReceiverReportPort receiverPort_;
    HubBleSinks bleSinks_{hub_};
    std::unique_ptr<BleGattLink> ble_;
    ReportSender sender_;
    DeviceStatus status_;
    ApplyEngine engine_;
    ApplyListener applyListener_;
    struct OnceApply {
        std::unique_ptr<ProfileRecord> profile;
        ReportListener onReport;
        ApplyListener done;
    };
    std::mutex onceMutex_;
    std::deque<OnceApply> onceApplies_;
    std::mutex gattMutex_;
    std::deque<std::function<void()>> gattWork_;
    WorkerThread worker_;
    bool started_ = false;
};

}  // namespace ms1
