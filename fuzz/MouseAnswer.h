#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "fuzz/FuzzInput.h"
#include "protocol/ReportSender.h"
#include "protocol/Reports.h"
#include "sim/ManualSimClock.h"
#include "sim/VirtualMouse.h"

namespace ms1::fuzz {

// The virtual mouse as a second, independent reader of the reports the program builds.
class MouseAnswer {
  public:
    // The status of the mouse's acknowledgement of one report as it travels over the
    // receiver: a macro page in its three packets, any other report as it is.
    std::uint8_t StatusOf(std::span<const std::uint8_t> report) {
        if (!report.empty() && report[0] == kCommandMacroPage) {
            MS1_FUZZ_CHECK(report.size() == kMacroPageSize);
            MacroPacket packets[3];
            SplitMacroPage(report.data(), true, packets);
            for (const MacroPacket& packet : packets)
                mouse_.ReceiveFeatureReport(packet.bytes, sizeof packet.bytes);
        } else {
            mouse_.ReceiveFeatureReport(report.data(), report.size());
        }
        std::optional<std::uint8_t> status;
        sim::InputReport answer;
        while (mouse_.TakeInputReport(answer)) {
            if (answer[2] == 0x58)
                status = answer[3];
        }
        MS1_FUZZ_CHECK(status.has_value());
        return *status;
    }

  private:
    sim::ManualSimClock clock_;
    sim::VirtualMouse mouse_{clock_};
};

}  // namespace ms1::fuzz
