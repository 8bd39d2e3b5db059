#include "protocol/ReportSender.h"

#include <cstring>

#include "protocol/Reports.h"

namespace ms1 {
namespace {

using std::chrono::milliseconds;

constexpr int kMaxAttempts = 10;

}  // namespace

void SplitMacroPage(const std::uint8_t* page, bool wireless, MacroPacket (&packets)[3]) {
    // The 128 data bytes from report byte 3 on, 60 to a packet.
    constexpr std::size_t kData = 128;
    for (int index = 0; index < 3; ++index) {
        std::uint8_t* p = packets[index].bytes;
        std::memset(p, 0, sizeof packets[index].bytes);
        p[0] = kCommandMacroPage;
        p[1] = 0x40;
        p[2] = page[2];
        p[3] = static_cast<std::uint8_t>(index);
        std::size_t first = 60 * static_cast<std::size_t>(index);
        std::size_t count = first + 60 <= kData ? 60 : kData - first;
        std::memcpy(p + 4, page + 3 + first, count);
    }
    if (wireless)
        packets[2].bytes[1] = 0x0C;
}

ReportSender::ReportSender(LinkFlags& flags, Pacer& pacer, WiredReportPort* wired,
                           WirelessReportPort* wireless, BleReportPort* ble)
    : flags_(flags), pacer_(pacer), wired_(wired), wireless_(wireless), ble_(ble) {}

SendOutcome ReportSender::SendReport(const std::uint8_t* report, std::size_t length) {
    SendOutcome outcome;
    if (flags_.WiredUp() && wired_) {
        outcome = SendWired(report, length);
    } else if (flags_.WirelessUp() && wireless_) {
        outcome = SendWireless(report, length);
    } else if (flags_.BleUp() && ble_) {
        outcome = SendBle(report, length);
    } else if (report[0] == kCommandPolling && lastLink_ == SentOver::Ble) {
        // The mouse left in the middle of an apply over Bluetooth LE: this report was never
        // going to be sent there.
        outcome.link = SentOver::Ble;
        outcome.skipped = true;
        return outcome;
    } else {
        return outcome;  // no link: not sent
    }
    lastLink_ = outcome.link;
    return outcome;
}

SendOutcome ReportSender::SendWired(const std::uint8_t* report, std::size_t length) {
    SendOutcome outcome{false, 1, SentOver::Wired};
    if (report[0] != kCommandMacroPage) {
        outcome.confirmed = wired_->SetFeature(report, length).ok();
        pacer_.Pause(milliseconds(200));
        return outcome;
    }
    MacroPacket packets[3];
    SplitMacroPage(report, false, packets);
    bool taken = false;
    for (auto& packet : packets) {
        taken = wired_->SetFeature(packet.bytes, sizeof packet.bytes).ok();
        if (taken && !pacer_.Pause(milliseconds(200))) {
            taken = false;  // the rest of the page would go without its pauses
            break;
        }
    }
    outcome.confirmed = taken;
    return outcome;
}

SendOutcome ReportSender::SendWireless(const std::uint8_t* report, std::size_t length) {
    SendOutcome outcome{false, 0, SentOver::Wireless};
    ackReceived_.store(0);
    const bool macroPage = report[0] == kCommandMacroPage;
    MacroPacket packets[3];
    if (macroPage)
        SplitMacroPage(report, true, packets);
    // A pause cut short because the program ends stops the attempts: what follows would go
    // out back to back, with nobody left to hear the acknowledgement. So does the receiver
    // pulled out (the link clears its flag): there is nothing left to send to.
    bool paced = true;
    auto linkUp = [this] { return flags_.WirelessUp(); };
    for (int attempt = 0; attempt < kMaxAttempts && paced && linkUp(); ++attempt) {
        if (ackReceived_.load() != 0)
            break;
        ++outcome.attempts;
        if (!macroPage) {
            wireless_->SendFeatureReport(report, length);
            paced = pacer_.Pause(milliseconds(500));
            continue;
        }
        for (auto& packet : packets) {
            wireless_->SendFeatureReport(packet.bytes, sizeof packet.bytes);
            paced = pacer_.Pause(milliseconds(1000));
            if (!paced || !linkUp())
                break;
        }
    }
    // An acknowledgement that came during the last pause still counts.
    outcome.confirmed = ackReceived_.load() != 0;
    return outcome;
}

SendOutcome ReportSender::SendBle(const std::uint8_t* report, std::size_t length) {
    SendOutcome outcome{false, 0, SentOver::Ble};
    if (report[0] == kCommandPolling) {  // the mouse has no polling rate over BLE
        outcome.skipped = true;
        return outcome;
    }
    outcome.attempts = 1;
    outcome.confirmed = ble_->WriteCharacteristic(report, length).ok();
    pacer_.Pause(milliseconds(500));
    return outcome;
}

}  // namespace ms1
