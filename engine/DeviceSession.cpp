#include "engine/DeviceSession.h"

#include <cstring>

#include "engine/MemoryProfileState.h"
#include "engine/SessionMessages.h"
#include "platform/DebugLog.h"
#include "ports/WindowMessages.h"
#include "protocol/WiredMessages.h"

namespace ms1 {
namespace {

void TraceBle(const std::string& line) {
    qCDebug(lcMs1) << "ble:" << line.c_str();
}

}  // namespace

DeviceSession::DeviceSession(Ports ports)
    : ports_(ports),
      link_(std::make_unique<UsbHidLink>(
          UsbHidLink::Ports{ports.hid, statusSink_, flags_, *this, ports.window, timers_})),
      receiverPort_(*link_),
      ble_(ports.gatt
               ? std::make_unique<BleGattLink>(BleGattLink::Ports{*ports.gatt, *this, flags_, *this,
                                                                  timers_, bleSinks_, bleSinks_},
                                               TraceBle)
               : nullptr),
      sender_(flags_, ports.pacer ? *ports.pacer : sleepingPacer_, ports.wiredReports,
              &receiverPort_, ble_.get()),
      status_(ports.profiles, flags_, sender_.ackReceived(), ports.statusView, ports.window,
              statusTimers_, delayed_, ports.wiredDevice),
      engine_(ports.profiles, sender_, flags_, ports.pacer ? *ports.pacer : sleepingPacer_, timers_,
              ports.applyView) {
    hub_.SetHandler([this](const Message& message) { return HandleMessage(message); });
    timers_.SetHandler([this](int id) { OnTimer(id); });
}

DeviceSession::~DeviceSession() {
    Stop();
}

void DeviceSession::SetReportListener(ReportListener listener) {
    engine_.SetReportListener(std::move(listener));
}

void DeviceSession::Start(bool bleMousePresent) {
    if (started_)
        return;
    started_ = true;
    worker_.Start([this](const ThreadMessage& message) { OnWorkerMessage(message); });
    status_.InitLinks();
    if (ble_)
        ble_->StartUp(bleMousePresent);
    link_->EnumerateReceivers();
}

void DeviceSession::Stop() {
    if (!started_)
        return;
    started_ = false;
    // Readers first, so nothing hands over words while the rest goes down. An apply still on
    // its way can no longer be acknowledged: it stops after the report it is sending, without
    // the rest of its retries, and still writes the store. Applies not yet begun are dropped.
    link_->Shutdown();
    // Queued applies go first: once the pause of the running one is cut short it ends at once,
    // and the worker would otherwise start the next before the queue is dropped.
    worker_.DropQueued();
    engine_.Stop();
    sleepingPacer_.Interrupt();
    worker_.Stop(WorkerThread::Queued::Drop);
    {
        std::lock_guard lock(gattMutex_);
        gattWork_.clear();
    }
    FinishOnceApplies();
    // With the worker gone nothing uses the GATT platform any more.
    if (ble_)
        ble_->Shutdown();
    for (int id : {TIMER_USB_ARRIVAL, TIMER_WIRELESS_WATCHDOG, TIMER_APPLY_DELAY,
                   TIMER_CHARGE_ANIMATION, TIMER_BLE_DISCOVERY}) {
        statusTimers_.KillTimer(id);
    }
}

void DeviceSession::RequestApply() {
    worker_.PostThreadMessage(MSG_APPLY_NOW, 0, 0);
}

void DeviceSession::RequestApplyInstead() {
    engine_.CutShort();
    RequestApply();
}

void DeviceSession::ApplyProfileOnce(const ProfileRecord& profile, ReportListener onReport,
                                     ApplyListener done) {
    OnceApply once{MakeZeroedProfile(), std::move(onReport), std::move(done)};
    std::memcpy(once.profile.get(), &profile, sizeof(ProfileRecord));
    {
        std::lock_guard lock(onceMutex_);
        onceApplies_.push_back(std::move(once));
    }
    if (!worker_.PostThreadMessage(kMsgApplyProfileOnce, 0, 0))
        FinishOnceApplies();
}

void DeviceSession::FinishOnceApplies() {
    std::deque<OnceApply> left;
    {
        std::lock_guard lock(onceMutex_);
        left.swap(onceApplies_);
    }
    for (OnceApply& once : left) {
        if (once.done)
            once.done(ApplyResult{});
    }
}

void DeviceSession::RequestApplyDelayed(int milliseconds) {
    timers_.KillTimer(TIMER_APPLY_DELAY);
    timers_.StartTimer(TIMER_APPLY_DELAY, milliseconds);
}

bool DeviceSession::HandleMessage(const Message& message) {
    switch (message.number) {
        case kMsgReceiverStatus:
            // Words read just before their receiver went away would mark the gone mouse as
            // connected again until the watchdog ran out.
            if (!link_->HasCurrentReceiver())
                return true;
            status_.OnReceiverReport(static_cast<std::uint16_t>(message.wParam),
                                     static_cast<std::uint16_t>(message.lParam));
            return true;
        case kMsgBleStatus:
            // A notification that was on its way when the mouse left shows nothing.
            if (flags_.BleUp()) {
                status_.DecodeBleStatus(static_cast<std::uint16_t>(message.wParam),
                                        static_cast<std::uint16_t>(message.lParam));
            }
            return true;
        case kMsgBleDeviceChange:
            if (ble_) {
                const DeviceEvent event{message.text.toStdString()};
                if (message.wParam != 0) {
                    ble_->OnDeviceArrival(event);
                } else {
                    ble_->OnDeviceRemoval(event);
                }
            }
            return true;
        case MSG_WIRED_DATA:
            status_.OnVendorStatus(WiredDataValue(message.wParam, message.lParam));
            return true;
        case MSG_WIRED_STATE:
            status_.OnVendorStatus(WiredStateValue(message.wParam));
            return true;
        default:
            return false;
    }
}

void DeviceSession::OnTimer(int id) {
    switch (id) {
        case TIMER_USB_ARRIVAL:
            link_->OnArrivalTimer();
            // A receiver whose mouse sleeps sends nothing: say that it is there all the same.
            PostPresenceWhileNothingConnected();
            break;
        case TIMER_WIRELESS_WATCHDOG:
            status_.OnWatchdogTimer();
            break;
        case TIMER_APPLY_DELAY:
            timers_.KillTimer(TIMER_APPLY_DELAY);
            RequestApply();
            break;
        case TIMER_CHARGE_ANIMATION:
            status_.OnChargeAnimationTimer();
            break;
        case TIMER_BLE_DISCOVERY:
            if (ble_) {
                ble_->OnDiscoveryTimer();
            } else {
                timers_.KillTimer(TIMER_BLE_DISCOVERY);
            }
            break;
        default:
            break;
    }
}

void DeviceSession::HideWirelessIndicator() {
    ports_.statusView.ShowLink(StatusLink::kWireless, false);
}

void DeviceSession::RefreshLinkSections() {
    status_.RefreshLinkSections();
}

void DeviceSession::ShowBleConnected() {
    status_.ShowBleConnected();
}

void DeviceSession::ShowBleDisconnected() {
    status_.ShowBleDisconnected();
}

bool DeviceSession::OffWindow(std::function<void()> work) {
    {
        std::lock_guard lock(gattMutex_);
        gattWork_.push_back(std::move(work));
    }
    if (worker_.PostThreadMessage(kMsgGattWork, 0, 0))
        return true;
    // The worker is stopping: nothing queued here would run.
    std::lock_guard lock(gattMutex_);
    gattWork_.clear();
    return false;
}

void DeviceSession::OnWindow(std::function<void()> call) {
    QMetaObject::invokeMethod(&hub_, std::move(call), Qt::QueuedConnection);
}

void DeviceSession::RunGattWork() {
    std::function<void()> work;
    {
        std::lock_guard lock(gattMutex_);
        if (gattWork_.empty())
            return;
        work = std::move(gattWork_.front());
        gattWork_.pop_front();
    }
    work();
}

void DeviceSession::OnWorkerMessage(const ThreadMessage& message) {
    if (message.message == kMsgGattWork) {
        RunGattWork();
        return;
    }
    if (message.message == kMsgApplyProfileOnce) {
        OnceApply once;
        {
            std::lock_guard lock(onceMutex_);
            if (onceApplies_.empty())
                return;
            once = std::move(onceApplies_.front());
            onceApplies_.pop_front();
        }
        // Taken once the program began to end: it never began, so nothing is sent.
        const ApplyResult result = engine_.Stopping() ? ApplyResult{} : [&] {
            MemoryProfileState state(*once.profile);
            return engine_.ApplyOther(state, once.onReport);
        }();
        if (once.done)
            once.done(result);
        return;
    }
    // An apply the worker takes once the program began to end was queued, not under way: it
    // is dropped like the rest of the queue.
    if (message.message != MSG_APPLY_NOW || engine_.Stopping())
        return;
    const ApplyResult result = engine_.OnApplyRequest();
    if (applyListener_)
        applyListener_(result);
}

void DeviceSession::OnDeviceArrival(const DeviceEvent& event) {
    link_->OnDeviceArrival(event);
}

void DeviceSession::OnDeviceRemoval(const DeviceEvent& event) {
    link_->OnDeviceRemoval(event);
    PostPresenceWhileNothingConnected();
}

void DeviceSession::PostPresenceWhileNothingConnected() {
    if (!flags_.anyConnected.load())
        ports_.window.Post(MSG_CONNECTION_CHANGED, 0, 0);
}

}  // namespace ms1
