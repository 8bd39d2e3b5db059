#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "ports/LinkFlags.h"
#include "ports/LinkPorts.h"

namespace ms1 {

enum class SentOver { None, Wired, Wireless, Ble };

struct SendOutcome {
    bool confirmed = false;  // the mouse (or the link) took the report
    int attempts = 0;        // sends, or passes of three packets for a macro page
    SentOver link = SentOver::None;
    bool skipped = false;  // the link has no use for this report (polling rate over BLE)
};

// Delivers one report over whichever link is up: wired first, then the 2.4 GHz receiver,
// then Bluetooth LE. On 2.4 GHz the report is repeated until the mouse acknowledges it, at
// most ten times and only while the receiver is there; a report never acknowledged is a
// failure. Without a link the report is not sent (link None, no attempt), except the polling
// rate after reports that went over Bluetooth LE, which is skipped there as it would have been.
class ReportSender {
  public:
    ReportSender(LinkFlags& flags, Pacer& pacer, WiredReportPort* wired,
                 WirelessReportPort* wireless, BleReportPort* ble);

    SendOutcome SendReport(const std::uint8_t* report, std::size_t length);

    // Set by the status decoding when the mouse acknowledges; read between attempts.
    std::atomic<std::int32_t>& ackReceived() { return ackReceived_; }

  private:
    SendOutcome SendWired(const std::uint8_t* report, std::size_t length);
    SendOutcome SendWireless(const std::uint8_t* report, std::size_t length);
    SendOutcome SendBle(const std::uint8_t* report, std::size_t length);

    LinkFlags& flags_;
    Pacer& pacer_;
    WiredReportPort* wired_;
    WirelessReportPort* wireless_;
    BleReportPort* ble_;
    std::atomic<std::int32_t> ackReceived_{0};
    SentOver lastLink_ = SentOver::None;  // of the last report sent (apply worker)
};

// The three 64-byte packets a macro page travels in on the wired and 2.4 GHz links.
struct MacroPacket {
    std::uint8_t bytes[64];
};
void SplitMacroPage(const std::uint8_t* page, bool wireless, MacroPacket (&packets)[3]);

}  // namespace ms1
