#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ms1 {

// An open HID collection. Opaque: only the HidApi that returned it knows what it points at.
struct HidHandle;

// One record of a HID enumeration, copied out of the backend's list.
struct HidDeviceInfo {
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    int interfaceNumber = -1;
};

// How a wait for input ended.
enum class HidWait {
    kReadable,  // a report can be read without waiting
    kStopped,   // the stop descriptor became readable
    kFailed,    // the collection is gone (unplugged, closed) or the wait itself failed
};

// The hidapi calls the links make. The real backend wraps hidapi; the virtual bus of the
// simulated mouse is another. Results follow hidapi: negative means failure.
class HidApi {
  public:
    virtual ~HidApi() = default;

    virtual int Init() = 0;
    // Every collection of the given ids (0 matches any); the backend frees its own list.
    virtual std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId,
                                                 std::uint16_t productId) = 0;
    // Null when the path cannot be opened.
    virtual HidHandle* OpenPath(const std::string& path) = 0;
    // Why the last OpenPath that failed failed, as an errno value (EACCES: the node belongs to
    // someone else); 0 when nothing is known.
    virtual int LastOpenError() const { return 0; }
    // Opens a collection that is only read from: a reader waits on it with WaitForInput and
    // reads it, nothing is sent through it. Null when the path cannot be opened.
    virtual HidHandle* OpenInputPath(const std::string& path) = 0;
    // Blocks until a report waits on `handle` (one opened by OpenInputPath), or `stopFd` (an
    // eventfd or pipe) becomes readable, whichever comes first; nothing else wakes it.
    virtual HidWait WaitForInput(HidHandle* handle, int stopFd) = 0;
    virtual int SetNonblocking(HidHandle* handle, int nonblock) = 0;
    // Bytes read (0 when nothing is waiting in non-blocking mode), or -1.
    virtual int Read(HidHandle* handle, std::uint8_t* data, std::size_t length) = 0;
    // Bytes written, or -1. Byte 0 of data is the report id.
    virtual int SendFeatureReport(HidHandle* handle, const std::uint8_t* data,
                                  std::size_t length) = 0;
    virtual void Close(HidHandle* handle) = 0;
};

}  // namespace ms1
