#include "ui/KeyTables.h"

#include <string_view>

namespace ms1 {

const std::array<KeyCodeRow, kKeyCodeRows> KeyCodeTable = {{
    {0x41, 0x04, 0x1E}, {0x42, 0x05, 0x30}, {0x43, 0x06, 0x2E}, {0x44, 0x07, 0x20},
    {0x45, 0x08, 0x12}, {0x46, 0x09, 0x21}, {0x47, 0x0A, 0x22}, {0x48, 0x0B, 0x23},
    {0x49, 0x0C, 0x17}, {0x4A, 0x0D, 0x24}, {0x4B, 0x0E, 0x25}, {0x4C, 0x0F, 0x26},
    {0x4D, 0x10, 0x32}, {0x4E, 0x11, 0x31}, {0x4F, 0x12, 0x18}, {0x50, 0x13, 0x19},
    {0x51, 0x14, 0x10}, {0x52, 0x15, 0x13}, {0x53, 0x16, 0x1F}, {0x54, 0x17, 0x14},
    {0x55, 0x18, 0x16}, {0x56, 0x19, 0x2F}, {0x57, 0x1A, 0x11}, {0x58, 0x1B, 0x2D},
    {0x59, 0x1C, 0x15}, {0x5A, 0x1D, 0x2C}, {0x31, 0x1E, 0x02}, {0x32, 0x1F, 0x03},
    {0x33, 0x20, 0x04}, {0x34, 0x21, 0x05}, {0x35, 0x22, 0x06}, {0x36, 0x23, 0x07},
    {0x37, 0x24, 0x08}, {0x38, 0x25, 0x09}, {0x39, 0x26, 0x0A}, {0x30, 0x27, 0x0B},
    {0x0D, 0x28, 0x1C}, {0x1B, 0x29, 0x01}, {0x08, 0x2A, 0x0E}, {0x09, 0x2B, 0x0F},
    {0x20, 0x2C, 0x39}, {0xBD, 0x2D, 0x0C}, {0xBB, 0x2E, 0x0D}, {0xDB, 0x2F, 0x1A},
    {0xDD, 0x30, 0x1B}, {0xDC, 0x31, 0x2B}, {0xBA, 0x33, 0x27}, {0xDE, 0x34, 0x28},
    {0xC0, 0x35, 0x29}, {0xBC, 0x36, 0x33}, {0xBE, 0x37, 0x34}, {0xBF, 0x38, 0x35},
    {0xDF, 0x38, 0x35}, {0x14, 0x39, 0x3A}, {0x70, 0x3A, 0x3B}, {0x71, 0x3B, 0x3C},
    {0x72, 0x3C, 0x3D}, {0x73, 0x3D, 0x3E}, {0x74, 0x3E, 0x3F}, {0x75, 0x3F, 0x40},
    {0x76, 0x40, 0x41}, {0x77, 0x41, 0x42}, {0x78, 0x42, 0x43}, {0x79, 0x43, 0x44},
    {0x7A, 0x44, 0x57}, {0x7B, 0x45, 0x58}, {0x2C, 0x46, 0},    {0x91, 0x47, 0},
    {0x13, 0x48, 0},    {0x2D, 0x49, 0},    {0x24, 0x4A, 0},    {0x21, 0x4B, 0},
    {0x2E, 0x4C, 0},    {0x23, 0x4D, 0},    {0x22, 0x4E, 0},    {0x27, 0x4F, 0},
    {0x25, 0x50, 0},    {0x28, 0x51, 0},    {0x26, 0x52, 0},    {0x90, 0x53, 0},
    {0x6F, 0x54, 0},    {0x6A, 0x55, 0},    {0x6D, 0x56, 0},    {0x6B, 0x57, 0},
    {0x6C, 0x58, 0},    {0x61, 0x59, 0},    {0x62, 0x5A, 0},    {0x63, 0x5B, 0},
    {0x64, 0x5C, 0},    {0x65, 0x5D, 0},    {0x67, 0x5F, 0},    {0x66, 0x5E, 0},
    {0x68, 0x60, 0},    {0x69, 0x61, 0},    {0x60, 0x62, 0},    {0x6E, 0x63, 0},
    {0x5D, 0x65, 0},    {0xA2, 0xE0, 0},    {0xA0, 0xE1, 0},    {0xA4, 0xE2, 0},
    {0x5B, 0xE3, 0},    {0xA3, 0xE4, 0},    {0xA1, 0xE5, 0},    {0xA5, 0xE6, 0},
    {0x5C, 0xE7, 0},    {0xF0, 0xF0, 0},    {0xF1, 0xF1, 0},    {0xF2, 0xF2, 0},
    {0xF3, 0xF3, 0},    {0xF4, 0xF4, 0},    {0xF7, 0xF7, 0},    {0xF8, 0xF8, 0},
}};

namespace {

const KeyCodeRow* RowByVirtualKey(std::int32_t virtualKey) {
    for (const auto& row : KeyCodeTable) {
        if (row.virtualKey == virtualKey)
            return &row;
    }
    return nullptr;
}

const KeyCodeRow* RowByUsage(std::int32_t usage) {
    for (const auto& row : KeyCodeTable) {
        if (row.usage == usage)
            return &row;
    }
    return nullptr;
}

const KeyCodeRow* RowByScanCode(std::int32_t scanCode) {
    if (scanCode == 0)
        return nullptr;  // rows without a scan code never match
    for (const auto& row : KeyCodeTable) {
        if (row.scanCode == scanCode)
            return &row;
    }
    return nullptr;
}

// Key names shown as keycaps are upper case.
char16_t UpperCase(char16_t c) {
    if (c >= u'a' && c <= u'z')
        return static_cast<char16_t>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<char16_t>(c - 32);
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2)
        return static_cast<char16_t>(c - 32);
    if (c >= 0x430 && c <= 0x44F)
        return static_cast<char16_t>(c - 32);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<char16_t>(c - 80);
    return c;
}

std::string_view UsageTextKey(std::int32_t usage) {
    static constexpr std::string_view kFunctionKeys[] = {"key_F1", "key_F2",  "key_F3",  "key_F4",
                                                         "key_F5", "key_F6",  "key_F7",  "key_F8",
                                                         "key_F9", "key_F10", "key_F11", "key_F12"};
    static constexpr std::string_view kNumbers[] = {"key_Num_1", "key_Num_2", "key_Num_3",
                                                    "key_Num_4", "key_Num_5", "key_Num_6",
                                                    "key_Num_7", "key_Num_8", "key_Num_9"};
    if (usage >= 0x3A && usage <= 0x45)
        return kFunctionKeys[usage - 0x3A];
    if (usage >= 0x59 && usage <= 0x61)
        return kNumbers[usage - 0x59];
    switch (usage) {
        case 0x46:
            return "key_Print Scr";
        case 0x47:
            return "key_Scroll Lock";
        case 0x48:
            return "key_Pause";
        case 0x49:
            return "key_Insert";
        case 0x4A:
            return "key_Home";
        case 0x4B:
            return "key_Page Up";
        case 0x4C:
            return "key_Delete";
        case 0x4D:
            return "key_End";
        case 0x4E:
            return "key_Page Down";
        case 0x4F:
            return "key_Right";
        case 0x50:
            return "key_Left";
        case 0x51:
            return "key_Down";
        case 0x52:
            return "key_Up";
        case 0x53:
            return "key_Num Lock";
        case 0x54:
            return "key_Num_/";
        case 0x55:
            return "key_Num_*";
        case 0x56:
            return "key_Num_-";
        case 0x57:
            return "key_Num_+";
        case 0x58:
            return "key_Num_Enter";
        case 0x62:
            return "key_Num_0";
        case 0x63:
            return "key_Num_.";
        case 0x64:
            return "key_\\";
        case 0x65:
            return "key_APP";
        case 0x82:
            return "Sleep";
        case 0x88:
            return "Kana/Roma";
        case 0xDD:
            return "`";
        case 0xE0:
            return "key_LCtrl";
        case 0xE1:
            return "key_LShift";
        case 0xE2:
            return "key_LAlt";
        case 0xE3:
            return "key_LWin";
        case 0xE4:
            return "key_RCtrl";
        case 0xE5:
            return "key_RShift";
        case 0xE6:
            return "key_RAlt";
        case 0xE7:
            return "key_RWin";
        case 0xF1:
            return "L_Button";
        case 0xF2:
            return "R_Button";
        case 0xF3:
            return "M_Button";
        case 0xF4:
            return "Backward_Button";
        case 0xF5:
            return "Forward_Button";
        default:
            return {};  // 0x66..0x68 and every unlisted usage: no name
    }
}

std::string_view VirtualKeyTextKey(std::uint32_t vk) {
    static constexpr std::string_view kNumbers[] = {
        "key_Num_0", "key_Num_1", "key_Num_2", "key_Num_3", "key_Num_4",
        "key_Num_5", "key_Num_6", "key_Num_7", "key_Num_8", "key_Num_9"};
    static constexpr std::string_view kFunctionKeys[] = {"key_F1", "key_F2",  "key_F3",  "key_F4",
                                                         "key_F5", "key_F6",  "key_F7",  "key_F8",
                                                         "key_F9", "key_F10", "key_F11", "key_F12"};
    if (vk >= 0x60 && vk <= 0x69)
        return kNumbers[vk - 0x60];
    if (vk >= 0x70 && vk <= 0x7B)
        return kFunctionKeys[vk - 0x70];
    switch (vk) {
        case 0x08:
            return "key_BackSpace";
        case 0x09:
            return "key_Tab";
        case 0x0D:
            return "key_Enter";
        case 0x10:
            return "key_LShift";
        case 0x11:
            return "key_LCtrl";
        case 0x12:
            return "key_LAlt";
        case 0x13:
            return "key_Pause";
        case 0x14:
            return "key_Caplk";
        case 0x1B:
            return "key_Esc";
        case 0x20:
            return "key_Space";
        case 0x21:
            return "key_Page Up";
        case 0x22:
            return "key_Page Down";
        case 0x23:
            return "key_End";
        case 0x24:
            return "key_Home";
        case 0x25:
            return "key_Left";
        case 0x26:
            return "key_Up";
        case 0x27:
            return "key_Right";
        case 0x28:
            return "key_Down";
        case 0x2A:
        case 0x2C:
            return "key_Print Scr";
        case 0x2D:
            return "key_Insert";
        case 0x2E:
            return "key_Delete";
        case 0x5B:
            return "key_LWin";
        case 0x5C:
            return "key_RWin";
        case 0x5D:
            return "key_APP";
        case 0x6A:
            return "key_Num_*";
        case 0x6B:
            return "key_Num_+";
        case 0x6C:
            return "key_Num_Enter";
        case 0x6D:
            return "key_Num_-";
        case 0x6E:
            return "key_Num_.";
        case 0x6F:
            return "key_Num_/";
        case 0x90:
            return "key_Num Lock";
        case 0x91:
            return "key_Scroll Lock";
        case 0xA0:
            return "key_LShift";
        case 0xA1:
            return "key_RShift";
        case 0xA2:
            return "key_LCtrl";
        case 0xA3:
            return "key_RCtrl";
        case 0xA4:
            return "key_LAlt";
        case 0xA5:
            return "key_RAlt";
        case 0xF0:
            return "key_Caplk";
        default:
            return {};
    }
}

}  // namespace

UsageLookup VirtualKeyToUsage(std::uint32_t virtualKey, const KeyboardLayout& layout) {
    UsageLookup result;
    const KeyCodeRow* row = RowByVirtualKey(static_cast<std::int32_t>(virtualKey));
    if (!row)
        return result;
    result.found = true;
    result.usage = row->usage;
    if (row->usage < 0x04 || row->usage > 0x45)
        return result;
    auto scanCode = static_cast<std::int32_t>(layout.VirtualKeyToScanCode(virtualKey));
    if (const KeyCodeRow* positional = RowByScanCode(scanCode))
        result.usage = positional->usage;
    return result;
}

std::u16string UsageToKeyName(std::int32_t usage, const KeyboardLayout& layout,
                              const TextLookup& texts) {
    if (usage >= 0x04 && usage <= 0x39) {
        const KeyCodeRow* row = RowByUsage(usage);
        std::uint32_t virtualKey =
            row ? layout.ScanCodeToVirtualKey(static_cast<std::uint32_t>(row->scanCode)) : 0;
        return VirtualKeyToKeyName(virtualKey, layout, texts);
    }
    if (usage >= 0xE8 && usage <= 0xEF) {
        const KeyCodeRow* row = RowByUsage(usage);
        return VirtualKeyToKeyName(row ? static_cast<std::uint32_t>(row->virtualKey) : 0, layout,
                                   texts);
    }
    std::string_view key = UsageTextKey(usage);
    return key.empty() ? std::u16string() : texts.Text(key);
}

std::u16string VirtualKeyToKeyName(std::uint32_t virtualKey, const KeyboardLayout& layout,
                                   const TextLookup& texts) {
    std::string_view key = VirtualKeyTextKey(virtualKey);
    if (!key.empty())
        return texts.Text(key);
    std::u16string name = layout.Characters(virtualKey, layout.VirtualKeyToScanCode(virtualKey));
    for (auto& c : name)
        c = UpperCase(c);
    return name;
}

}  // namespace ms1
