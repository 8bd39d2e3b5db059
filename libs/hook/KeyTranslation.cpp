#include <linux/input-event-codes.h>

#include "libs/hook/HookEvent.h"

namespace ms1::hook {
namespace {

// Mouse messages: down, and up one above it.
constexpr std::uintptr_t kLeftDown = 0x201;
constexpr std::uintptr_t kRightDown = 0x204;
constexpr std::uintptr_t kMiddleDown = 0x207;
constexpr std::uintptr_t kXDown = 0x20B;
constexpr std::uintptr_t kXUp = 0x20C;

struct KeyRow {
    std::uint16_t code;
    std::uint8_t virtualKey;
};

// Every key the library reports, by evdev code, with the virtual key of its place on a US
// keyboard. The keypad always gives its number keys, whatever Num Lock says.
constexpr KeyRow kKeys[] = {
    {KEY_ESC, 0x1B},        {KEY_1, 0x31},         {KEY_2, 0x32},
    {KEY_3, 0x33},          {KEY_4, 0x34},         {KEY_5, 0x35},
    {KEY_6, 0x36},          {KEY_7, 0x37},         {KEY_8, 0x38},
    {KEY_9, 0x39},          {KEY_0, 0x30},         {KEY_MINUS, 0xBD},
    {KEY_EQUAL, 0xBB},      {KEY_BACKSPACE, 0x08}, {KEY_TAB, 0x09},
    {KEY_Q, 0x51},          {KEY_W, 0x57},         {KEY_E, 0x45},
    {KEY_R, 0x52},          {KEY_T, 0x54},         {KEY_Y, 0x59},
    {KEY_U, 0x55},          {KEY_I, 0x49},         {KEY_O, 0x4F},
    {KEY_P, 0x50},          {KEY_LEFTBRACE, 0xDB}, {KEY_RIGHTBRACE, 0xDD},
    {KEY_ENTER, 0x0D},      {KEY_LEFTCTRL, 0xA2},  {KEY_A, 0x41},
    {KEY_S, 0x53},          {KEY_D, 0x44},         {KEY_F, 0x46},
    {KEY_G, 0x47},          {KEY_H, 0x48},         {KEY_J, 0x4A},
    {KEY_K, 0x4B},          {KEY_L, 0x4C},         {KEY_SEMICOLON, 0xBA},
    {KEY_APOSTROPHE, 0xDE}, {KEY_GRAVE, 0xC0},     {KEY_LEFTSHIFT, 0xA0},
    {KEY_BACKSLASH, 0xDC},  {KEY_Z, 0x5A},         {KEY_X, 0x58},
    {KEY_C, 0x43},          {KEY_V, 0x56},         {KEY_B, 0x42},
    {KEY_N, 0x4E},          {KEY_M, 0x4D},         {KEY_COMMA, 0xBC},
    {KEY_DOT, 0xBE},        {KEY_SLASH, 0xBF},     {KEY_RIGHTSHIFT, 0xA1},
    {KEY_KPASTERISK, 0x6A}, {KEY_LEFTALT, 0xA4},   {KEY_SPACE, 0x20},
    {KEY_CAPSLOCK, 0x14},   {KEY_F1, 0x70},        {KEY_F2, 0x71},
    {KEY_F3, 0x72},         {KEY_F4, 0x73},        {KEY_F5, 0x74},
    {KEY_F6, 0x75},         {KEY_F7, 0x76},        {KEY_F8, 0x77},
    {KEY_F9, 0x78},         {KEY_F10, 0x79},       {KEY_NUMLOCK, 0x90},
    {KEY_SCROLLLOCK, 0x91}, {KEY_KP7, 0x67},       {KEY_KP8, 0x68},
    {KEY_KP9, 0x69},        {KEY_KPMINUS, 0x6D},   {KEY_KP4, 0x64},
    {KEY_KP5, 0x65},        {KEY_KP6, 0x66},       {KEY_KPPLUS, 0x6B},
    {KEY_KP1, 0x61},        {KEY_KP2, 0x62},       {KEY_KP3, 0x63},
    {KEY_KP0, 0x60},        {KEY_KPDOT, 0x6E},     {KEY_102ND, 0xE2},
    {KEY_F11, 0x7A},        {KEY_F12, 0x7B},       {KEY_KPENTER, 0x0D},
    {KEY_RIGHTCTRL, 0xA3},  {KEY_KPSLASH, 0x6F},   {KEY_SYSRQ, 0x2C},
    {KEY_RIGHTALT, 0xA5},   {KEY_HOME, 0x24},      {KEY_UP, 0x26},
    {KEY_PAGEUP, 0x21},     {KEY_LEFT, 0x25},      {KEY_RIGHT, 0x27},
    {KEY_END, 0x23},        {KEY_DOWN, 0x28},      {KEY_PAGEDOWN, 0x22},
    {KEY_INSERT, 0x2D},     {KEY_DELETE, 0x2E},    {KEY_MUTE, 0xAD},
    {KEY_VOLUMEDOWN, 0xAE}, {KEY_VOLUMEUP, 0xAF},  {KEY_PAUSE, 0x13},
    {KEY_LEFTMETA, 0x5B},   {KEY_RIGHTMETA, 0x5C}, {KEY_COMPOSE, 0x5D},
    {KEY_STOP, 0xA9},       {KEY_CALC, 0xB7},      {KEY_MAIL, 0xB4},
    {KEY_BOOKMARKS, 0xAB},  {KEY_BACK, 0xA6},      {KEY_FORWARD, 0xA7},
    {KEY_NEXTSONG, 0xB0},   {KEY_PLAYPAUSE, 0xB3}, {KEY_PREVIOUSSONG, 0xB1},
    {KEY_STOPCD, 0xB2},     {KEY_HOMEPAGE, 0xAC},  {KEY_REFRESH, 0xA8},
    {KEY_F13, 0x7C},        {KEY_F14, 0x7D},       {KEY_F15, 0x7E},
    {KEY_F16, 0x7F},        {KEY_F17, 0x80},       {KEY_F18, 0x81},
    {KEY_F19, 0x82},        {KEY_F20, 0x83},       {KEY_F21, 0x84},
    {KEY_F22, 0x85},        {KEY_F23, 0x86},       {KEY_F24, 0x87},
    {KEY_SEARCH, 0xAA},     {KEY_MEDIA, 0xB5},
};

// Keys whose virtual key follows the layout: the number row, the letters and punctuation.
bool FollowsLayout(std::uint16_t code) {
    return (code >= KEY_1 && code <= KEY_EQUAL) || (code >= KEY_Q && code <= KEY_RIGHTBRACE) ||
           (code >= KEY_A && code <= KEY_GRAVE) || (code >= KEY_BACKSLASH && code <= KEY_SLASH) ||
           code == KEY_102ND;
}

std::optional<HookEvent> MouseButton(std::uint16_t code, bool press) {
    const std::uintptr_t up = press ? 0 : 1;
    switch (code) {
        case BTN_LEFT:
            return HookEvent{kLeftDown + up, 0, true};
        case BTN_RIGHT:
            return HookEvent{kRightDown + up, 0, true};
        case BTN_MIDDLE:
            return HookEvent{kMiddleDown + up, 0, true};
        // X button 1 is the back button, 2 the forward button.
        case BTN_SIDE:
        case BTN_BACK:
            return HookEvent{press ? kXDown : kXUp, 1, true};
        case BTN_EXTRA:
        case BTN_FORWARD:
            return HookEvent{press ? kXDown : kXUp, 2, true};
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<HookEvent> TranslateInput(std::uint16_t code, std::int32_t value,
                                        const KeyboardLayout* layout) {
    // An auto-repeat arrives as one more press.
    const bool press = value != 0;
    if (code >= BTN_MOUSE && code < BTN_JOYSTICK)
        return MouseButton(code, press);
    const std::intptr_t kind = press ? 0 : 1;
    if (layout != nullptr && FollowsLayout(code)) {
        // Scan codes of these keys are their evdev codes.
        if (const std::uint32_t virtualKey = layout->ScanCodeToVirtualKey(code); virtualKey != 0)
            return HookEvent{virtualKey, kind, false};
    }
    for (const KeyRow& row : kKeys) {
        if (row.code == code)
            return HookEvent{row.virtualKey, kind, false};
    }
    return std::nullopt;
}

std::optional<std::uint16_t> X11ButtonToEvdev(unsigned button) {
    switch (button) {
        case 1:
            return BTN_LEFT;
        case 2:
            return BTN_MIDDLE;
        case 3:
            return BTN_RIGHT;
        case 8:
            return BTN_SIDE;
        case 9:
            return BTN_EXTRA;
        default:
            return std::nullopt;
    }
}

}  // namespace ms1::hook
