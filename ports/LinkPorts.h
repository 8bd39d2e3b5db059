#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "core/Result.h"

namespace ms1 {

// The three ways a report reaches the mouse. Each says whether its transport took the
// report, or why not.
class WiredReportPort {
  public:
    virtual ~WiredReportPort() = default;
    // The vendor library's set-feature call.
    virtual Result SetFeature(const std::uint8_t* data, std::size_t length) = 0;
};

class WirelessReportPort {
  public:
    virtual ~WirelessReportPort() = default;
    // A feature report on the current receiver.
    virtual Result SendFeatureReport(const std::uint8_t* data, std::size_t length) = 0;
};

class BleReportPort {
  public:
    virtual ~BleReportPort() = default;
    // One GATT write of the whole report.
    virtual Result WriteCharacteristic(const std::uint8_t* data, std::size_t length) = 0;
};

// Every pause between reports goes through here, so tests can see the pauses without
// waiting for them. The real pacer sleeps, on the apply worker only.
class Pacer {
  public:
    virtual ~Pacer() = default;
    // False when the pause was cut short because the program ends: nothing more may be sent
    // then, since it would go out without its pause.
    virtual bool Pause(std::chrono::milliseconds duration) = 0;
};

}  // namespace ms1
