#pragma once

#include "platform/MessageHub.h"
#include "transport/BleGattLink.h"
#include "transport/DeviceEvent.h"

namespace ms1 {

// Hands what the GATT platform reports to the window thread as posted messages of the
// session's hub: the status words of a notification, and device interfaces arriving or
// leaving (the name travels as the message's text).
class HubBleSinks final : public BleNotificationSink, public DeviceEventSink {
  public:
    explicit HubBleSinks(MessageHub& hub) : hub_(hub) {}

    void OnBleNotification(std::uint16_t a, std::uint16_t v) override;
    void OnDeviceArrival(const DeviceEvent& event) override;
    void OnDeviceRemoval(const DeviceEvent& event) override;

  private:
    MessageHub& hub_;
};

}  // namespace ms1
