// The real libHook.so, loaded by the program's binding, on an X server of the test's own
// (Xvfb): keys and buttons typed there with XTest arrive as message 1034.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/HookBinding.h"
#include "tests/app/TestResources.h"
#include "tests/libs/hook/HookReceiver.h"
#include "tests/libs/hook/XTestTypist.h"

namespace ms1::hook::test {
namespace {

// X key codes of the keys used (evdev code + 8), and X buttons.
constexpr unsigned kKeyA = 38;
constexpr unsigned kKeyLeftShift = 50;
constexpr unsigned kKeyF5 = 71;
constexpr unsigned kKeyF11 = 95;
constexpr unsigned kKeyF12 = 96;
constexpr std::uintptr_t kF11 = 0x7A;
constexpr std::uintptr_t kF12 = 0x7B;
constexpr std::uintptr_t kRightDown = 0x204;

// What the process holds open: each descriptor with what it is.
std::vector<std::string> OpenDescriptors() {
    std::vector<std::string> open;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const auto target = std::filesystem::read_symlink(entry.path(), error);
        open.push_back(entry.path().filename().string() + " " + target.string());
    }
    std::sort(open.begin(), open.end());
    return open;
}

class X11Delivery : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "runs under xvfb-run (tests/run_under_xvfb)";
        ASSERT_TRUE(typist_.Ready()) << "no X server with XTest";
        ASSERT_TRUE(binding_.Load(ProgramFolder()));
        ASSERT_NE(binding_.Table().installhook, nullptr);
        ASSERT_NE(binding_.Table().capturestatus, nullptr);
    }
    // installhook and enablehook(1) as the dialogs call them, then a key until one comes back:
    // the capture is listening from then on. What is still under way ends before F11.
    void Install() {
        binding_.Table().installhook(window_.Handle());
        binding_.Table().enablehook(1);
        bool listening = false;
        for (int attempt = 0; attempt < 200 && !listening; ++attempt) {
            typist_.Key(kKeyF12);
            listening = window_.Next(std::chrono::milliseconds(100)).has_value();
        }
        ASSERT_TRUE(listening) << "no event came back";
        typist_.Key(kKeyF11);
        window_.Until(kF11);
    }
    // The events that came before a marker: a key when keys are on, else a right click.
    std::vector<HookEvent> Sync(bool keyMarker) {
        if (keyMarker) {
            typist_.Key(kKeyF12);
            return window_.Until(kF12);
        }
        typist_.Button(3);
        return window_.Until(kRightDown);
    }

    XTestTypist typist_;
    HookReceiver window_;
    HookBinding binding_;
};

struct DeliveryRow {
    const char* name;
    std::function<void(const HookTable&)> before;
    std::vector<unsigned> keys;
    std::vector<unsigned> buttons;
    bool keyMarker;
    std::vector<HookEvent> expected;
};

TEST_F(X11Delivery, KeysAndButtonsTypedOnTheServerArriveWhileTheirSwitchIsOn) {
    auto nothing = [](const HookTable&) {};
    const DeliveryRow rows[] = {
        {"key A", nothing, {kKeyA}, {}, true, {{0x41, 0, false}, {0x41, 1, false}}},
        {"left Shift", nothing, {kKeyLeftShift}, {}, true, {{0xA0, 0, false}, {0xA0, 1, false}}},
        {"F5", nothing, {kKeyF5}, {}, true, {{0x74, 0, false}, {0x74, 1, false}}},
        {"left click", nothing, {}, {1}, true, {{0x201, 0, true}, {0x202, 0, true}}},
        {"buttons 8 and 9: X buttons 1 and 2",
         nothing,
         {},
         {8, 9},
         true,
         {{0x20B, 1, true}, {0x20C, 1, true}, {0x20B, 2, true}, {0x20C, 2, true}}},
        {"the wheel is not posted", nothing, {}, {4, 5}, true, {}},
        {"enablehook(0) stops keys",
         [](const HookTable& t) { t.enablehook(0); },
         {kKeyA},
         {1},
         false,
         {{0x201, 0, true}, {0x202, 0, true}}},
        {"enablemousehook(0) stops buttons",
         [](const HookTable& t) { t.enablemousehook(0); },
         {kKeyA},
         {1},
         true,
         {{0x41, 0, false}, {0x41, 1, false}}},
        {"removemousehook stops buttons",
         [](const HookTable& t) { t.removemousehook(); },
         {kKeyA},
         {1},
         true,
         {{0x41, 0, false}, {0x41, 1, false}}},
    };
    Install();
    for (const DeliveryRow& row : rows) {
        SCOPED_TRACE(row.name);
        const HookTable& table = binding_.Table();
        table.installhook(window_.Handle());
        table.enablehook(1);
        row.before(table);
        for (unsigned key : row.keys)
            typist_.Key(key);
        for (unsigned button : row.buttons)
            typist_.Button(button);
        EXPECT_EQ(Sync(row.keyMarker), row.expected);
    }
    EXPECT_EQ(binding_.Table().capturestatus(), nullptr);
}

TEST_F(X11Delivery, AfterRemoveHookNothingArrivesAndNoThreadIsLeft) {
    Install();
    EXPECT_EQ(CaptureThreads("ms1-hook"), 1);
    binding_.Table().removehook();
    binding_.Table().enablehook(0);
    EXPECT_TRUE(NoCaptureThreadLeft("ms1-hook"));
    typist_.Key(kKeyA);
    typist_.Button(1);
    EXPECT_EQ(window_.Count(), 0u);
    // Installed again, it captures again.
    Install();
    typist_.Key(kKeyA);
    EXPECT_EQ(Sync(true), (std::vector<HookEvent>{{0x41, 0, false}, {0x41, 1, false}}));
    // Unloading the library joins its thread too.
    binding_.Release();
    EXPECT_TRUE(NoCaptureThreadLeft("ms1-hook"));
}

TEST(X11Library, ExportsTheSevenNamesAndCaptureStatusOnly) {
    const std::string library = (ProgramFolder() + "/libHook.so").toStdString();
    const std::string command = "nm -D --defined-only " + library + " | awk '{print $3}' | sort";
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string names;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        names += buffer;
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(names,
              "capturestatus\nenablehook\nenablemousehook\ninstallhook\ninstallmousehook\n"
              "mousewheelenable\nremovehook\nremovemousehook\n");
}

// Capture runs only while someone needs it: once removehook returns, no capture thread, no X
// connection of the library's and no other descriptor of it is left, however often the
// dialogs take and give it back; asking whether capture works leaves nothing either.
TEST_F(X11Delivery, NothingOfTheCaptureStaysAfterRemovehook) {
    // The directory listing itself opens a descriptor: read the baseline the same way.
    const std::vector<std::string> before = OpenDescriptors();
    EXPECT_EQ(CaptureThreads("ms1-hook"), 0);
    EXPECT_EQ(binding_.Table().capturestatus(), nullptr) << "capture works on Xvfb";
    EXPECT_EQ(OpenDescriptors(), before) << "capturestatus left something open";
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        Install();
        EXPECT_EQ(CaptureThreads("ms1-hook"), 1);
        EXPECT_GT(OpenDescriptors().size(), before.size()) << "the capture's own connection";
        binding_.Table().removehook();
        EXPECT_TRUE(NoCaptureThreadLeft("ms1-hook"));
        EXPECT_EQ(OpenDescriptors(), before);
    }
}

}  // namespace
}  // namespace ms1::hook::test
