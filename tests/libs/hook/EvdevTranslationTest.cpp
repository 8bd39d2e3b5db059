// The evdev capture and the translation table: struct input_event records written into a pipe
// that the capture reads, as a keyboard or mouse under /dev/input would give them.
#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "libs/hook/CaptureChoice.h"
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

// What the capture hands on, translated as the library does it.
struct Translated final : RawInputSink {
    const KeyboardLayout* layout = nullptr;
    std::vector<HookEvent> events;
    void OnRawInput(std::uint16_t code, std::int32_t value) override {
        if (auto event = TranslateInput(code, value, layout))
            events.push_back(*event);
    }
};

class Pipe {
  public:
    Pipe() { EXPECT_EQ(pipe2(fds_, O_NONBLOCK | O_CLOEXEC), 0); }
    ~Pipe() {
        if (fds_[1] >= 0)
            close(fds_[1]);
    }
    // The reading end, for the capture to own.
    UniqueFd TakeReader() { return UniqueFd(std::exchange(fds_[0], -1)); }
    void Write(const std::vector<Record>& records, std::size_t cut = 0) {
        std::vector<unsigned char> bytes;
        for (const Record& r : records) {
            input_event event{};
            event.type = r.type;
            event.code = r.code;
            event.value = r.value;
            const auto* raw = reinterpret_cast<const unsigned char*>(&event);
            bytes.insert(bytes.end(), raw, raw + sizeof event);
        }
        WriteBytes(bytes.data(), cut != 0 ? cut : bytes.size());
        if (cut != 0)
            pending_.assign(bytes.begin() + static_cast<std::ptrdiff_t>(cut), bytes.end());
    }
    // The rest of a write that was cut.
    void WriteRest() { WriteBytes(pending_.data(), pending_.size()); }
    void CloseWriter() {
        close(fds_[1]);
        fds_[1] = -1;
    }

  private:
    void WriteBytes(const unsigned char* data, std::size_t size) {
        ASSERT_EQ(write(fds_[1], data, size), static_cast<ssize_t>(size));
    }
    int fds_[2] = {-1, -1};
    std::vector<unsigned char> pending_;
};

std::unique_ptr<EvdevCapture> CaptureOf(Pipe& pipe) {
    std::vector<UniqueFd> fds;
    fds.push_back(pipe.TakeReader());
    return std::make_unique<EvdevCapture>(std::move(fds));
}

struct TranslationRow {
    const char* name;
    std::vector<Record> records;
    std::vector<HookEvent> expected;
};

TEST(EvdevTranslation, RecordsFromTheDeviceBecomeTheEventsThatArePosted) {
    constexpr std::uint16_t kSyn = EV_SYN, kKey = EV_KEY, kRel = EV_REL, kMsc = EV_MSC;
    const TranslationRow rows[] = {
        {"A pressed and released, with the scan and report records a keyboard sends",
         {{kMsc, 4, 0x70004}, {kKey, 30, 1}, {kSyn, 0, 0}, {kKey, 30, 0}, {kSyn, 0, 0}},
         {{0x41, 0, false}, {0x41, 1, false}}},
        {"a held key repeats its press",
         {{kKey, 30, 1}, {kKey, 30, 2}, {kKey, 30, 2}, {kKey, 30, 0}},
         {{0x41, 0, false}, {0x41, 0, false}, {0x41, 0, false}, {0x41, 1, false}}},
        {"digits, F-keys, modifiers",
         {{kKey, 2, 1}, {kKey, 11, 1}, {kKey, 59, 1}, {kKey, 63, 1}, {kKey, 88, 1}},
         {{0x31, 0, false},
          {0x30, 0, false},
          {0x70, 0, false},
          {0x74, 0, false},
          {0x7B, 0, false}}},
        {"left and right Ctrl, Shift, Alt, Win",
         {{kKey, 29, 1},
          {kKey, 97, 1},
          {kKey, 42, 1},
          {kKey, 54, 1},
          {kKey, 56, 1},
          {kKey, 100, 1},
          {kKey, 125, 1},
          {kKey, 126, 1}},
         {{0xA2, 0, false},
          {0xA3, 0, false},
          {0xA0, 0, false},
          {0xA1, 0, false},
          {0xA4, 0, false},
          {0xA5, 0, false},
          {0x5B, 0, false},
          {0x5C, 0, false}}},
        {"keypad 0, 9, /, *, -, +, .",
         {{kKey, 82, 1},
          {kKey, 73, 1},
          {kKey, 98, 1},
          {kKey, 55, 1},
          {kKey, 74, 1},
          {kKey, 78, 1},
          {kKey, 83, 1}},
         {{0x60, 0, false},
          {0x69, 0, false},
          {0x6F, 0, false},
          {0x6A, 0, false},
          {0x6D, 0, false},
          {0x6B, 0, false},
          {0x6E, 0, false}}},
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
         {{0xBA, 0, false},
          {0xBB, 0, false},
          {0xBC, 0, false},
          {0xBD, 0, false},
          {0xBE, 0, false},
          {0xBF, 0, false},
          {0xC0, 0, false},
          {0xDB, 0, false},
          {0xDC, 0, false},
          {0xDD, 0, false},
          {0xDE, 0, false}}},
        {"left, right and middle buttons",
         {{kKey, 0x110, 1},
          {kKey, 0x110, 0},
          {kKey, 0x111, 1},
          {kKey, 0x111, 0},
          {kKey, 0x112, 1},
          {kKey, 0x112, 0}},
         {{0x201, 0, true},
          {0x202, 0, true},
          {0x204, 0, true},
          {0x205, 0, true},
          {0x207, 0, true},
          {0x208, 0, true}}},
        {"BTN_SIDE is X button 1 (back), BTN_EXTRA X button 2 (forward)",
         {{kKey, 0x113, 1}, {kKey, 0x113, 0}, {kKey, 0x114, 1}, {kKey, 0x114, 0}},
         {{0x20B, 1, true}, {0x20C, 1, true}, {0x20B, 2, true}, {0x20C, 2, true}}},
        {"motion, the wheel and keys without a virtual key are not posted",
         {{kRel, REL_X, 5}, {kRel, REL_WHEEL, -1}, {kKey, 0x120, 1}, {kKey, 85, 1}},
         {}},
    };
    for (const TranslationRow& row : rows) {
        SCOPED_TRACE(row.name);
        Pipe pipe;
        auto capture = CaptureOf(pipe);
        pipe.Write(row.records);
        Translated seen;
        EXPECT_TRUE(capture->Process(seen));
        EXPECT_EQ(seen.events, row.expected);
        EXPECT_EQ(capture->DeviceCount(), 1u);
    }
}

TEST(EvdevTranslation, ARecordSplitAcrossReadsIsPostedOnceWholeAndAClosedDeviceIsDropped) {
    Pipe pipe;
    auto capture = CaptureOf(pipe);
    Translated seen;
    pipe.Write({{EV_KEY, 30, 1}, {EV_KEY, 30, 0}}, sizeof(input_event) + 5);
    capture->Process(seen);
    EXPECT_EQ(seen.events, (std::vector<HookEvent>{{0x41, 0, false}}));
    pipe.WriteRest();
    capture->Process(seen);
    EXPECT_EQ(seen.events, (std::vector<HookEvent>{{0x41, 0, false}, {0x41, 1, false}}));
    pipe.CloseWriter();
    capture->Process(seen);
    EXPECT_EQ(capture->DeviceCount(), 0u);
    EXPECT_TRUE(capture->Fds().empty());
}

TEST(EvdevTranslation, LettersAndPunctuationFollowTheLayoutTheOtherKeysTheirPlace) {
    const auto us = XkbKeyboardLayout::FromNames("us");
    const auto fr = XkbKeyboardLayout::FromNames("fr");
    ASSERT_NE(us, nullptr) << "xkb data (xkb-data) is missing";
    ASSERT_NE(fr, nullptr);
    struct Row {
        std::uint16_t code;
        std::uintptr_t us;
        std::uintptr_t fr;
    };
    // On AZERTY the key at Q types a, the key at A types q, the key at M's place types ','
    // and the key at ';' types m; digits and F-keys stay.
    const Row rows[] = {
        {KEY_Q, 0x51, 0x41},  {KEY_A, 0x41, 0x51},         {KEY_W, 0x57, 0x5A},
        {KEY_M, 0x4D, 0xBC},  {KEY_SEMICOLON, 0xBA, 0x4D}, {KEY_1, 0x31, 0x31},
        {KEY_F5, 0x74, 0x74}, {KEY_LEFTSHIFT, 0xA0, 0xA0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(TranslateInput(row.code, 1, us.get())->wParam, row.us);
        EXPECT_EQ(TranslateInput(row.code, 1, nullptr)->wParam, row.us);
        EXPECT_EQ(TranslateInput(row.code, 1, fr.get())->wParam, row.fr);
    }
}

TEST(EvdevTranslation, XButtonsAreTheEvdevButtonsAndTheWheelIsNone) {
    EXPECT_EQ(X11ButtonToEvdev(1), BTN_LEFT);
    EXPECT_EQ(X11ButtonToEvdev(2), BTN_MIDDLE);
    EXPECT_EQ(X11ButtonToEvdev(3), BTN_RIGHT);
    EXPECT_EQ(X11ButtonToEvdev(8), BTN_SIDE);
    EXPECT_EQ(X11ButtonToEvdev(9), BTN_EXTRA);
    for (unsigned wheel = 4; wheel <= 7; ++wheel)
        EXPECT_EQ(X11ButtonToEvdev(wheel), std::nullopt) << wheel;
}

TEST(EvdevTranslation, AFolderWithoutReadableKeyboardsOrMiceGivesNoCapture) {
    // Not devices: the capture opens them and finds no keys on them.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("ms1-hook-input-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    for (const char* name : {"event0", "event1", "mouse0"})
        std::ofstream(folder / name) << "not a device";
    EXPECT_EQ(EvdevCapture::OpenDevices(folder), nullptr);
    EXPECT_EQ(EvdevCapture::OpenDevices(folder / "missing"), nullptr);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace ms1::hook
