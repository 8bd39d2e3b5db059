#pragma once

#include "core/Result.h"

namespace ms1 {

// The vendor library as the status decoding uses it for the wired mouse.
class WiredDevicePort {
  public:
    virtual ~WiredDevicePort() = default;
    virtual bool IsBound() const = 0;
    // Sets the ids, starts the monitor that posts 1539 and 1540.
    virtual void StartMonitor() = 0;
    // Done when the wired mouse's feature device is open.
    virtual Result OpenFeatureDevice() = 0;
    virtual void CloseFeatureDevice() = 0;
};

}  // namespace ms1
