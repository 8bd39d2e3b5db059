#include "cli/DeviceCommands.h"

#include <cstdio>

namespace ms1::cli {

std::string ReportLine(const SentReport& sent) {
    char line[80];
    if (sent.outcome.skipped && sent.outcome.link == SentOver::Ble) {
        std::snprintf(line, sizeof line, "0x%02x skipped (not sent over Bluetooth LE)",
                      sent.command);
    } else if (sent.outcome.skipped) {
        std::snprintf(line, sizeof line, "0x%02x skipped: the link has no use for it",
                      sent.command);
    } else if (sent.outcome.link == SentOver::None) {
        // No link was up any more (the mouse left during the apply).
        std::snprintf(line, sizeof line, "0x%02x not sent", sent.command);
    } else if (sent.outcome.link == SentOver::Wired || sent.outcome.link == SentOver::Ble) {
        // The cable and GATT have no acknowledgement message: the write's result is all
        // there is.
        std::snprintf(line, sizeof line, "0x%02x %s", sent.command,
                      sent.outcome.confirmed ? "sent" : "not sent");
    } else {
        std::snprintf(line, sizeof line, "0x%02x %s after %d attempt(s)", sent.command,
                      sent.outcome.confirmed ? "confirmed" : "not confirmed",
                      sent.outcome.attempts);
    }
    return line;
}

std::string PacketLine(const std::vector<std::uint8_t>& bytes) {
    std::string line = "rx";
    line.reserve(2 + bytes.size() * 3);
    char pair[4];
    for (std::uint8_t byte : bytes) {
        std::snprintf(pair, sizeof pair, " %02x", byte);
        line += pair;
    }
    return line;
}

}  // namespace ms1::cli
