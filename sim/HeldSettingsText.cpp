#include "sim/HeldSettingsText.h"

#include <array>
#include <cstdio>

namespace ms1::sim {
namespace {

// The button map the mouse comes with, buttons 1..16.
constexpr std::array<std::uint8_t, 16> kFactoryButtons = {
    0x02, 0x03, 0x04, 0x0D, 0x01, 0x01, 0x06, 0x05, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x09, 0x0A};

std::string Format(const char* pattern, int a, int b = 0, int c = 0, int d = 0) {
    std::array<char, 96> line{};
    std::snprintf(line.data(), line.size(), pattern, a, b, c, d);
    return line.data();
}

int RateOf(std::uint8_t code) {
    return code == 0 ? 0 : 1000 / code;
}

}  // namespace

int HeldStageDpi(const MouseSettings& settings, int stage) {
    if (stage < 1 || stage > 8)
        return 0;
    const auto i = static_cast<std::size_t>(stage - 1);
    const int code = settings.stageCode[i];
    const bool flag = settings.extensionFlag[i] != 0;
    const bool high = (settings.highRangeMask >> i) & 1u;
    int step = code;
    // The top range sends (step - 300) / 2 - 56, a negative number for most steps, as a byte.
    if (high)
        step = flag ? (static_cast<std::int8_t>(code) + 56) * 2 + 300 : code + 100;
    if (step <= 0)
        return 0;
    return step <= 200 ? step * 50 : (step - 100) * 100;
}

std::string DescribeHeldSettings(const MouseSettings& s, int batteryState, int batteryLevel) {
    // A mouse is never told to have no stage at all: no mask means no DPI report yet.
    std::string text = s.stageEnableMask == 0 ? std::string("No DPI stages sent yet")
                                              : Format("Stage %d at %d DPI", s.activeStage,
                                                       HeldStageDpi(s, s.activeStage));
    text.append(s.rateCode == 0 ? std::string(" · no polling rate yet")
                                : Format(" · %d reports/s", RateOf(s.rateCode)));
    text.append("\n").append(Format("Lighting mode %d, colour #%02X%02X%02X", s.lightMode,
                                    s.lightColor[0], s.lightColor[1], s.lightColor[2]));
    std::string buttons;
    for (std::size_t k = 0; k < s.buttons.size(); ++k) {
        const auto& b = s.buttons[k];
        // Zeros: no button map was sent yet, the mouse keeps its own.
        const bool untold = b[0] == 0 && b[1] == 0 && b[2] == 0;
        if (untold || (b[0] == kFactoryButtons[k] && b[1] == 0 && b[2] == 0))
            continue;
        buttons.append(buttons.empty() ? "" : ", ")
            .append(Format("%d: %02X %02X %02X", static_cast<int>(k + 1), b[0], b[1], b[2]));
    }
    text.append("\nButtons changed: ").append(buttons.empty() ? "none" : buttons);
    text.append("\n").append(
        Format("Macro pages stored: %d", static_cast<int>(s.macroPages.size())));
    const char* state = batteryState == 3 ? "charging" : batteryState == 2 ? "full" : "on battery";
    text.append("\n").append(Format("Battery %d %%, ", batteryLevel)).append(state);
    return text;
}

}  // namespace ms1::sim
