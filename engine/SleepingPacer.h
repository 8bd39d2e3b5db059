#pragma once

#include "protocol/LinkPorts.h"

namespace ms1 {

// The real pauses between reports: sleeps the calling thread, which is always the apply
// worker, never the window thread.
class SleepingPacer final : public Pacer {
  public:
    void Pause(std::chrono::milliseconds duration) override;
};

}  // namespace ms1
