#pragma once

#include <cstdint>
#include <vector>

namespace ms1::hook {

// Where raw key and button events go: evdev codes with their value (1 press, 2 auto-repeat,
// 0 release).
class RawInputSink {
  public:
    virtual ~RawInputSink() = default;
    virtual void OnRawInput(std::uint16_t code, std::int32_t value) = 0;
};

// One way of capturing keys and buttons system-wide, read on the capture thread only.
class CaptureSource {
  public:
    virtual ~CaptureSource() = default;
    // The descriptors to wait on for readable input.
    virtual std::vector<int> Fds() const = 0;
    // Hands over every event that has arrived, without waiting; false once the source is
    // gone for good (the X server went away).
    virtual bool Process(RawInputSink& sink) = 0;
};

}  // namespace ms1::hook
