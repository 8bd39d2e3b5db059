// The evdev capture and the translation table: struct input_event records written into a pipe
// that the capture reads, as it reads a keyboard or mouse under /dev/input.
#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "libs/hook/EvdevCapture.h"
#include "libs/hook/HookEvent.h"
#include "platform/keyboard/XkbKeyboardLayout.h"

namespace ms1::hook {
namespace {

struct Record {
    std::uint16_t type;
    std::uint16_t code;
    std::int32_t value;
};
HookEvent Key(std::uintptr_t virtualKey, std::intptr_t release) {
    return {virtualKey, release, false};
}
HookEvent Mouse(std::uintptr_t message, std::intptr_t xButton = 0) {
    return {message, xButton, true};
}

// What the capture hands on, translated as the library does it.
struct Translated final : RawInputSink {
    std::vector<HookEvent> events;
    void OnRawInput(std::uint16_t code, std::int32_t value) override {
        if (auto event = TranslateInput(code, value, nullptr))
            events.push_back(*event);
    }
};

// A device: the capture reads one end of a pipe, the test writes records into the other.
struct FakeDevice {
    FakeDevice() {
        EXPECT_EQ(pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
        std::vector<UniqueFd> reader;
        reader.emplace_back(fds[0]);
        capture = std::make_unique<EvdevCapture>(std::move(reader));
    }
    ~FakeDevice() { close(fds[1]); }
    std::vector<unsigned char> Bytes(const std::vector<Record>& records) {
        std::vector<unsigned char> bytes(records.size() * sizeof(input_event));
        for (std::size_t i = 0; i < records.size(); ++i) {
            input_event event{};
            event.type = records[i].type;
            event.code = records[i].code;
            event.value = records[i].value;
            std::memcpy(bytes.data() + i * sizeof event, &event, sizeof event);
        }
        return bytes;
    }
    void Write(const unsigned char* data, std::size_t size) {
        ASSERT_EQ(write(fds[1], data, size), static_cast<ssize_t>(size));
    }
    int fds[2] = {-1, -1};
    std::unique_ptr<EvdevCapture> capture;
};

TEST(EvdevTranslation, RecordsFromTheDeviceBecomeTheEventsThatArePosted) {
    constexpr std::uint16_t kKey = EV_KEY;
    struct Row {
        const char* name;
        std::vector<Record> records;
        std::vector<HookEvent> expected;
    };
    const Row rows[] = {
        {"A with the scan and report records a keyboard sends",
         {{EV_MSC, MSC_SCAN, 0x70004}, {kKey, 30, 1}, {EV_SYN, 0, 0}, {kKey, 30, 0}},
         {Key(0x41, 0), Key(0x41, 1)}},
        {"a held key repeats its press (value 2)",
         {{kKey, 30, 1}, {kKey, 30, 2}, {kKey, 30, 2}, {kKey, 30, 0}},
         {Key(0x41, 0), Key(0x41, 0), Key(0x41, 0), Key(0x41, 1)}},
        {"digits 1 and 0, F1, F5, F12",
         {{kKey, 2, 1}, {kKey, 11, 1}, {kKey, 59, 1}, {kKey, 63, 1}, {kKey, 88, 1}},
         {Key(0x31, 0), Key(0x30, 0), Key(0x70, 0), Key(0x74, 0), Key(0x7B, 0)}},
        {"left and right Ctrl, Shift, Alt, Win",
         {{kKey, 29, 1},
          {kKey, 97, 1},
          {kKey, 42, 1},
          {kKey, 54, 1},
          {kKey, 56, 1},
          {kKey, 100, 1},
          {kKey, 125, 1},
          {kKey, 126, 1}},
         {Key(0xA2, 0), Key(0xA3, 0), Key(0xA0, 0), Key(0xA1, 0), Key(0xA4, 0), Key(0xA5, 0),
          Key(0x5B, 0), Key(0x5C, 0)}},
        {"keypad 0, 9, /, *, -, +, .",
         {{kKey, 82, 1},
          {kKey, 73, 1},
          {kKey, 98, 1},
          {kKey, 55, 1},
          {kKey, 74, 1},
          {kKey, 78, 1},
          {kKey, 83, 1}},
         {Key(0x60, 0), Key(0x69, 0), Key(0x6F, 0), Key(0x6A, 0), Key(0x6D, 0), Key(0x6B, 0),
          Key(0x6E, 0)}},
        {"punctuation where a US keyboard has it: ; = , - . / ` [ \\ ] '",
         {{kKey, 39, 1},
          {kKey, 13, 1},
          {kKey, 51, 1},
          {kKey, 12, 1},
          {kKey, 52, 1},
          {kKey, 53, 1},
          {kKey, 41, 1},
          {kKey, 26, 1},
          {kKey, 43, 1},
          {kKey, 27, 1},
          {kKey, 40, 1}},
         {Key(0xBA, 0), Key(0xBB, 0), Key(0xBC, 0), Key(0xBD, 0), Key(0xBE, 0), Key(0xBF, 0),
          Key(0xC0, 0), Key(0xDB, 0), Key(0xDC, 0), Key(0xDD, 0), Key(0xDE, 0)}},
        {"left, right, middle; BTN_SIDE is X button 1 (back), BTN_EXTRA X button 2 (forward)",
         {{kKey, BTN_LEFT, 1},
          {kKey, BTN_LEFT, 0},
          {kKey, BTN_RIGHT, 1},
          {kKey, BTN_RIGHT, 0},
          {kKey, BTN_MIDDLE, 1},
          {kKey, BTN_MIDDLE, 0},
          {kKey, BTN_SIDE, 1},
          {kKey, BTN_SIDE, 0},
          {kKey, BTN_EXTRA, 1},
          {kKey, BTN_EXTRA, 0}},
         {Mouse(0x201), Mouse(0x202), Mouse(0x204), Mouse(0x205), Mouse(0x207), Mouse(0x208),
          Mouse(0x20B, 1), Mouse(0x20C, 1), Mouse(0x20B, 2), Mouse(0x20C, 2)}},
        {"motion, the wheel and keys without a virtual key are not posted",
         {{EV_REL, REL_X, 5}, {EV_REL, REL_WHEEL, -1}, {kKey, BTN_JOYSTICK, 1}, {kKey, 85, 1}},
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeDevice device;
        const std::vector<unsigned char> bytes = device.Bytes(row.records);
        device.Write(bytes.data(), bytes.size());
        Translated seen;
        EXPECT_TRUE(device.capture->Process(seen));
        EXPECT_EQ(seen.events, row.expected);
    }
}

TEST(EvdevTranslation, ARecordSplitAcrossReadsIsPostedOnceWholeAndAClosedDeviceIsDropped) {
    FakeDevice device;
    Translated seen;
    const std::vector<unsigned char> bytes = device.Bytes({{EV_KEY, 30, 1}, {EV_KEY, 30, 0}});
    const std::size_t cut = sizeof(input_event) + 5;
    device.Write(bytes.data(), cut);
    device.capture->Process(seen);
    EXPECT_EQ(seen.events, (std::vector<HookEvent>{Key(0x41, 0)}));
    device.Write(bytes.data() + cut, bytes.size() - cut);
    device.capture->Process(seen);
    EXPECT_EQ(seen.events, (std::vector<HookEvent>{Key(0x41, 0), Key(0x41, 1)}));
    close(device.fds[1]);
    device.fds[1] = -1;
    device.capture->Process(seen);
    EXPECT_EQ(device.capture->DeviceCount(), 0u);
}

TEST(EvdevTranslation, LettersAndPunctuationFollowTheLayoutTheOtherKeysTheirPlace) {
    const auto us = XkbKeyboardLayout::FromNames("us");
    const auto fr = XkbKeyboardLayout::FromNames("fr");
    ASSERT_NE(us, nullptr) << "xkb data (xkb-data) is missing";
    ASSERT_NE(fr, nullptr);
    // On AZERTY the key at Q types a, the key at A types q, W's key types z, M's key types ','
    // and the key at ';' types m; digits, F-keys and modifiers stay.
    const std::uintptr_t rows[][3] = {
        {KEY_Q, 0x51, 0x41},  {KEY_A, 0x41, 0x51},         {KEY_W, 0x57, 0x5A},
        {KEY_M, 0x4D, 0xBC},  {KEY_SEMICOLON, 0xBA, 0x4D}, {KEY_1, 0x31, 0x31},
        {KEY_F5, 0x74, 0x74}, {KEY_LEFTSHIFT, 0xA0, 0xA0},
    };
    for (const auto& [code, onUs, onFr] : rows) {
        SCOPED_TRACE(code);
        const auto evdev = static_cast<std::uint16_t>(code);
        EXPECT_EQ(TranslateInput(evdev, 1, us.get())->wParam, onUs);
        EXPECT_EQ(TranslateInput(evdev, 1, nullptr)->wParam, onUs);
        EXPECT_EQ(TranslateInput(evdev, 1, fr.get())->wParam, onFr);
    }
}

}  // namespace
}  // namespace ms1::hook
