#pragma once

namespace ms1 {

// The vendor library as the status decoding uses it for the wired mouse.
class WiredDevicePort {
  public:
    virtual ~WiredDevicePort() = default;
    virtual bool IsBound() const = 0;
    // Sets the ids, starts the monitor that posts 1539 and 1540.
    virtual void StartMonitor() = 0;
    // The vendor library's answer: non-zero when the feature device is open.
    virtual int OpenFeatureDevice() = 0;
    virtual void CloseFeatureDevice() = 0;
};

}  // namespace ms1
