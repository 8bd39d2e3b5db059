#include "protocol/Reports.h"

#include <algorithm>

namespace ms1 {
namespace {

struct DeviceCodeRow {
    std::uint8_t function;
    std::array<std::uint8_t, 3> bytes;
};

constexpr DeviceCodeRow kDeviceCodes[] = {
    {0, {0x01, 0, 0}},     {1, {0x02, 0, 0}},     {2, {0x03, 0, 0}},     {3, {0x04, 0, 0}},
    {4, {0x06, 0, 0}},     {5, {0x05, 0, 0}},     {6, {0x0D, 0, 0}},     {7, {0x0E, 0, 0}},
    {8, {0x0F, 0, 0}},     {9, {0x07, 0, 0}},     {10, {0x08, 0, 0}},    {11, {0x09, 0, 0}},
    {12, {0x0A, 0, 0}},    {13, {0x0B, 0, 0}},    {14, {0x0C, 0, 0}},    {16, {0x11, 0, 0}},
    {17, {0x12, 0, 0}},    {19, {0x13, 0, 0}},    {21, {0x2B, 0, 0}},    {22, {0x10, 0, 0x09}},
    {23, {0x29, 0, 0x03}}, {32, {0x11, 1, 0x1B}}, {33, {0x11, 1, 0x06}}, {34, {0x11, 1, 0x19}},
    {35, {0x11, 1, 0x12}}, {36, {0x11, 1, 0x16}}, {37, {0x11, 1, 0x09}}, {38, {0x11, 1, 0x1C}},
    {39, {0x11, 1, 0x1D}}, {40, {0x11, 1, 0x04}}, {41, {0x11, 1, 0x13}}, {42, {0x11, 4, 0x3D}},
    {43, {0x11, 4, 0x2B}}, {44, {0x11, 8, 0x07}}, {45, {0x11, 8, 0x15}}, {46, {0x11, 8, 0x0F}},
    {47, {0x11, 1, 0x11}}, {48, {0x11, 1, 0x2E}}, {49, {0x11, 1, 0x2D}}, {50, {0x11, 0x0A, 0x16}},
    {54, {0x34, 0, 0}},    {55, {0x35, 0, 0}},    {56, {0x36, 0, 0}},    {64, {0x15, 0, 0}},
    {65, {0x18, 0, 0}},    {66, {0x19, 0, 0}},    {67, {0x16, 0, 0}},    {68, {0x17, 0, 0}},
    {69, {0x1B, 0, 0}},    {70, {0x1C, 0, 0}},    {71, {0x1A, 0, 0}},    {80, {0x25, 0, 0}},
    {81, {0x11, 3, 0x12}}, {82, {0x20, 0, 0}},    {83, {0x21, 0, 0}},    {84, {0x22, 0, 0}},
    {85, {0x24, 0, 0}},    {86, {0x26, 0, 0}},    {87, {0x1E, 0, 0}},    {88, {0x1D, 0, 0}},
    {89, {0x23, 0, 0}},    {112, {0x28, 0, 0}},   {115, {0x14, 0, 0}},   {121, {0x3C, 0, 0}},
};
static_assert(std::size(kDeviceCodes) == 64);

ConfigReport StartReport(std::uint8_t command) {
    ConfigReport report{};
    report[0] = command;
    report[1] = static_cast<std::uint8_t>(kConfigReportSize);
    report[2] = 0x01;
    return report;
}

void PutChecksum(std::uint8_t* bytes, std::size_t last, std::size_t at) {
    std::uint16_t sum = ReportChecksum(bytes, 3, last);
    bytes[at] = static_cast<std::uint8_t>(sum >> 8);
    bytes[at + 1] = static_cast<std::uint8_t>(sum);
}

std::uint8_t Low(std::uint32_t value) {
    return static_cast<std::uint8_t>(value);
}
std::uint32_t U(std::int32_t value) {
    return static_cast<std::uint32_t>(value);
}

// Stage code and extension flag: with the high-range mask these tell the four DPI ranges
// apart on the mouse.
void StageCode(std::int32_t step, std::uint8_t& code, std::uint8_t& flag) {
    code = 0;
    flag = 0;
    if (step >= 1 && step <= 200) {
        code = Low(U(step));
    } else if (step >= 201 && step <= 220) {
        code = Low(U(step));
        flag = 1;
    } else if (step >= 221 && step <= 300) {
        code = Low(U(step - 100));
    } else if (step >= 301) {
        code = Low(U((step - 300) / 2 - 56));
        flag = 1;
    }
}

// Appends the 2-byte units of one action at `out`; returns the bytes written (2, 4, 6 or 8).
int WriteActionUnits(const MacroAction& action, std::uint8_t* out) {
    unsigned delay = action.delay.get();
    if (delay == 0)
        delay = 1;
    const bool press = action.direction == kDirectionPress;
    int written = 0;
    if (action.direction == 0) {
        for (int i = 0; i < 6; ++i)
            out[written++] = 0;
    } else if (delay <= 127) {
        out[written++] = static_cast<std::uint8_t>(press ? delay : (delay | 0x80));
        out[written++] = action.key;
    } else {
        unsigned rest = delay % 100;
        if (rest == 0)
            rest = 1;
        out[written++] = static_cast<std::uint8_t>(press ? rest : (rest | 0x80));
        out[written++] = action.key;
    }
    if (delay > 127) {
        out[written++] = static_cast<std::uint8_t>(delay / 100);
        out[written++] = 0x03;
    }
    return written;
}

}  // namespace

std::optional<std::array<std::uint8_t, 3>> FunctionToDeviceCode(std::uint8_t function) {
    for (const auto& row : kDeviceCodes) {
        if (row.function == function)
            return row.bytes;
    }
    return std::nullopt;
}

std::uint16_t ReportChecksum(const std::uint8_t* bytes, std::size_t first, std::size_t last) {
    unsigned sum = 0;
    for (std::size_t i = first; i <= last; ++i)
        sum += bytes[i];
    return static_cast<std::uint16_t>(sum);
}

ConfigReport EncodePreamble() {
    ConfigReport report = StartReport(kCommandPreamble);
    report[3] = 0xFE;
    report[4] = 0x01;
    report[5] = 0xFE;
    return report;
}

ConfigReport EncodeDpiReport(const ProfileRecord& p) {
    ConfigReport r = StartReport(kCommandDpi);
    r[3] = Low((U(p.angleSnap) << 4) | U(p.rippleControl));
    r[4] = Low(U(p.moveCloseLight));
    std::uint8_t enabled = 0;
    std::uint8_t highRange = 0;
    for (int i = 0; i < kDpiStages; ++i) {
        if (p.stageEnabled[i] == 1)
            enabled |= static_cast<std::uint8_t>(1u << i);
        if (p.dpiValue[i] > 220)
            highRange |= static_cast<std::uint8_t>(1u << i);
        StageCode(p.dpiValue[i], r[8 + i], r[16 + i]);
        r[25 + 3 * i] = p.stageColor[i].r;
        r[26 + 3 * i] = p.stageColor[i].g;
        r[27 + 3 * i] = p.stageColor[i].b;
    }
    r[5] = enabled;
    r[6] = highRange;
    r[7] = highRange;
    r[24] = Low(U(p.activeStage) + 1);
    r[49] = 0x01;
    PutChecksum(r.data(), 49, 50);
    return r;
}

ConfigReport EncodeLightingReport(const ProfileRecord& p) {
    ConfigReport r = StartReport(kCommandLighting);
    const std::uint32_t mode = U(p.lightMode);
    const std::uint32_t sleep = U(p.sleepTimer);
    r[3] = Low(mode << 4);
    r[4] = Low((sleep & 0xF0) | (9u - U(p.breathSpeed)));
    const std::uint32_t lowNibble = (p.lightMode == 1 || p.lightMode == 9) ? U(p.brightness) : 8u;
    r[5] = Low((sleep << 4) | lowNibble);
    r[6] = p.lightColor.r;
    r[7] = p.lightColor.g;
    r[8] = p.lightColor.b;
    r[9] = Low(U(p.lightOffTimer));
    r[10] = Low(U(p.keyDebounce));
    PutChecksum(r.data(), 10, 11);
    return r;
}

ConfigReport EncodePollingReport(const ProfileRecord& p) {
    ConfigReport r = StartReport(kCommandPolling);
    std::uint8_t code = 2;
    switch (p.pollingRate.get()) {
        case 0:
            code = 8;
            break;
        case 1:
            code = 4;
            break;
        case 2:
            code = 2;
            break;
        case 3:
            code = 1;
            break;
        default:
            code = 2;
            break;
    }
    r[3] = code;
    r[4] = static_cast<std::uint8_t>(~code);
    return r;
}

ConfigReport EncodeButtonReport(const ProfileRecord& p) {
    ConfigReport r = StartReport(kCommandButtons);
    constexpr int kReportedButtons = 16;
    for (int k = 0; k < kReportedButtons; ++k) {
        const ButtonEntry& entry = p.button[k];
        std::array<std::uint8_t, 3> bytes =
            FunctionToDeviceCode(entry.function).value_or(std::array<std::uint8_t, 3>{0, 0, 0});
        if (entry.function == kFunctionKeyCombination) {
            bytes[1] = entry.modifiers;
            bytes[2] = entry.key;
        } else if (entry.function == kFunctionMacro) {
            bytes[1] = 0;
            bytes[2] = kMacroStartPage[k];
        }
        r[3 + 3 * k] = bytes[0];
        r[4 + 3 * k] = bytes[1];
        r[5 + 3 * k] = bytes[2];
    }
    PutChecksum(r.data(), 50, 51);
    return r;
}

MacroPage EncodeMacroPage(const ButtonEntry& entry, int cursor, std::uint8_t page) {
    // Units are assembled in a roomy buffer: an action that overflows the page is written
    // past its end first and then taken back.
    std::uint8_t buffer[300] = {};
    buffer[0] = kCommandMacroPage;
    buffer[1] = static_cast<std::uint8_t>(kMacroPageSize);
    buffer[2] = page;
    if (cursor == 0) {
        buffer[3] = Low(U(entry.macroMode));
        buffer[4] = entry.reserved1084[0];
        buffer[5] = entry.reserved1084[1];
        buffer[6] = entry.reserved1084[2];
        std::uint8_t repeat = Low(U(entry.macroRepeat));
        buffer[7] = repeat == 0 ? 1 : repeat;
    }

    constexpr int kDataStart = 9;
    constexpr int kPageRoom = 118;
    const int count = std::min<int>(entry.macroActionCount, kMaxMacroActions);
    int pos = 0;
    int units = 0;
    MacroPage result{};
    result.nextCursor = cursor;
    result.more = false;
    while (cursor < count) {
        const int start = pos;
        const int written = WriteActionUnits(entry.macroActions[cursor], buffer + kDataStart + pos);
        pos += written;
        if (pos > kPageRoom) {
            std::fill(buffer + kDataStart + start, buffer + kDataStart + pos, 0);
            buffer[kDataStart + start] = static_cast<std::uint8_t>(page + 1);
            buffer[kDataStart + start + 1] = 0xFE;
            units += 1;
            result.more = true;
            break;
        }
        units += written / 2;
        ++cursor;
    }
    result.nextCursor = cursor;
    buffer[8] = Low(U(units));
    PutChecksum(buffer, 128, 129);
    std::copy(buffer, buffer + kMacroPageSize, result.bytes.begin());
    return result;
}

std::vector<MacroPageReport> EncodeMacroPages(const ButtonEntry& entry, std::uint8_t startPage) {
    std::vector<MacroPageReport> pages;
    int cursor = 0;
    std::uint8_t page = startPage;
    for (;;) {
        MacroPage built = EncodeMacroPage(entry, cursor, page);
        pages.push_back(built.bytes);
        if (!built.more)
            break;
        cursor = built.nextCursor;
        page = static_cast<std::uint8_t>(page + 1);
    }
    return pages;
}

}  // namespace ms1
