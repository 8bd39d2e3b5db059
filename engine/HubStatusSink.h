#pragma once

#include "ports/MessagePorts.h"
#include "transport/ReceiverStatusSink.h"

namespace ms1 {

// Hands the status words a reader read over to the window thread as a posted message and
// returns at once; the decoding runs there.
class HubStatusSink final : public ReceiverStatusSink {
  public:
    explicit HubStatusSink(MessageTarget& window) : window_(window) {}
    void OnReceiverStatus(std::uint16_t a, std::uint16_t v) override;

  private:
    MessageTarget& window_;
};

}  // namespace ms1
