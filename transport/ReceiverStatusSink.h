#pragma once

#include <cstdint>

namespace ms1 {

// Receives the status words read from the elected receiver: a = byte1 + 256 * byte2,
// v = byte3 + 256 * byte4 of the input report. Called on a reader thread; implementations
// hand the words over to the window thread and return at once.
class ReceiverStatusSink {
  public:
    virtual ~ReceiverStatusSink() = default;
    virtual void OnReceiverStatus(std::uint16_t a, std::uint16_t v) = 0;
};

}  // namespace ms1
