#include "engine/HubStatusSink.h"

#include "engine/SessionMessages.h"

namespace ms1 {

void HubStatusSink::OnReceiverStatus(std::uint16_t a, std::uint16_t v) {
    window_.Post(kMsgReceiverStatus, a, v);
}

}  // namespace ms1
