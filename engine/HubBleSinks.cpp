#include "engine/HubBleSinks.h"

#include "engine/SessionMessages.h"

namespace ms1 {

void HubBleSinks::OnBleNotification(std::uint16_t a, std::uint16_t v) {
    hub_.Post(kMsgBleStatus, a, v);
}

void HubBleSinks::OnDeviceArrival(const DeviceEvent& event) {
    hub_.Post(Message{kMsgBleDeviceChange, 1, 0, QString::fromStdString(event.interfaceName)});
}

void HubBleSinks::OnDeviceRemoval(const DeviceEvent& event) {
    hub_.Post(Message{kMsgBleDeviceChange, 0, 0, QString::fromStdString(event.interfaceName)});
}

}  // namespace ms1
