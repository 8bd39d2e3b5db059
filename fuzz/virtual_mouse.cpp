// The virtual mouse reading what a host sends it: feature reports of any length and content,
// in any order, with the host reading the mouse's answers, time passing and the mouse falling
// asleep and waking in between.
//
// The first input byte sets how the mouse acknowledges; then each step is one byte saying
// what happens next, followed by what it carries.
#include <cstring>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "sim/ManualSimClock.h"
#include "sim/VirtualMouse.h"

namespace ms1::fuzz {
namespace {

constexpr sim::AckMode kModes[] = {sim::AckMode::kNormal, sim::AckMode::kNever, sim::AckMode::kLate,
                                   sim::AckMode::kRefuse};

bool ChecksumHolds(const std::uint8_t* bytes, std::size_t first, std::size_t last, std::size_t at) {
    unsigned sum = 0;
    for (std::size_t i = first; i <= last; ++i)
        sum += bytes[i];
    return bytes[at] == ((sum >> 8) & 0xFF) && bytes[at + 1] == (sum & 0xFF);
}

// Everything the mouse says is a status message of a type it has, and what it keeps is what
// its reports allow.
void CheckMouse(sim::VirtualMouse& mouse) {
    sim::InputReport report;
    while (mouse.TakeInputReport(report)) {
        MS1_FUZZ_CHECK(report[0] == 0x11 && report[1] == 0x11);
        const std::uint8_t type = report[2];
        MS1_FUZZ_CHECK(type == 0x18 || type == 0x28 || type == 0x48 || type == 0x58);
        if (type == 0x58)
            MS1_FUZZ_CHECK(report[3] <= sim::kAckBusy);
    }
    const sim::MouseSettings& s = mouse.Settings();
    MS1_FUZZ_CHECK(s.activeStage >= 1 && s.activeStage <= 8);
    MS1_FUZZ_CHECK(s.rateCode == 0 || s.rateCode == 1 || s.rateCode == 2 || s.rateCode == 4 ||
                   s.rateCode == 8);
    for (const auto& [number, page] : s.macroPages) {
        MS1_FUZZ_CHECK(page[0] == 0x19 && page[1] == 0x83 && page[2] == number);
        MS1_FUZZ_CHECK(page[8] <= 60 && ChecksumHolds(page.data(), 3, 128, 129));
    }
}

}  // namespace
}  // namespace ms1::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ms1;
    using namespace ms1::fuzz;
    InputReader input(data, size);
    sim::ManualSimClock clock;
    sim::VirtualMouse mouse(clock);
    mouse.SetAckMode(kModes[input.Byte() % 4]);
    mouse.PowerUp();
    int sent = 0;
    while (!input.Empty()) {
        switch (input.Byte() % 6) {
            case 0:
            case 1:
            case 2: {
                // One feature report, up to a little longer than the longest the mouse takes.
                const std::vector<std::uint8_t> report = input.TakePadded(input.Byte() % 72);
                const std::uint8_t none = 0;
                mouse.ReceiveFeatureReport(report.empty() ? &none : report.data(), report.size());
                ++sent;
                break;
            }
            case 3:
                CheckMouse(mouse);
                break;
            case 4:
                clock.Advance(input.U16());
                break;
            case 5:
                mouse.SetAsleep(input.Byte() & 1);
                break;
        }
        MS1_FUZZ_CHECK(mouse.AcceptedReports() + mouse.RefusedReports() <= sent);
    }
    CheckMouse(mouse);
    return 0;
}
