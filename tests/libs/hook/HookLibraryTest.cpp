// The library's switches, its thread and its status, over a capture that reads a pipe of
// struct input_event records (the evdev capture as it reads a device).
#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "libs/hook/EvdevCapture.h"
#include "libs/hook/HookLibrary.h"
#include "tests/libs/hook/HookReceiver.h"

namespace ms1::hook::test {
namespace {

constexpr std::uintptr_t kF12 = 0x7B;
constexpr std::uintptr_t kRightDown = 0x204;

class HookLibraryTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(pipe2(fds_, O_NONBLOCK | O_CLOEXEC), 0); }
    void TearDown() override {
        library_.RemoveHook();
        close(fds_[0]);
        close(fds_[1]);
    }

    void Write(std::vector<std::pair<std::uint16_t, std::int32_t>> keys) {
        for (auto [code, value] : keys) {
            input_event event{};
            event.type = EV_KEY;
            event.code = code;
            event.value = value;
            ASSERT_EQ(write(fds_[1], &event, sizeof event), static_cast<ssize_t>(sizeof event));
        }
    }
    // Installs and waits until the capture thread reads (a key that comes back).
    void Install() {
        library_.InstallHook(window_.Handle());
        Write({{KEY_F12, 1}, {KEY_F12, 0}});
        ASSERT_TRUE(window_.Until(kF12).empty());
    }

    int fds_[2] = {-1, -1};
    HookReceiver window_;
    // Each capture thread reads a copy of the pipe's reading end.
    HookLibrary library_{[this](bool) {
        std::vector<UniqueFd> fds;
        fds.emplace_back(fcntl(fds_[0], F_DUPFD_CLOEXEC, 0));
        return Capture{std::make_unique<EvdevCapture>(std::move(fds)), nullptr, nullptr};
    }};
};

struct SwitchRow {
    const char* name;
    std::function<void(HookLibrary&, const Ms1WindowHandle*)> before;
    // The marker that still arrives: a key (F12) or a button (right).
    bool keyMarker;
    std::vector<HookEvent> expected;
};

TEST_F(HookLibraryTest, SwitchesStopAndResumeTheirKindOfEvent) {
    const std::vector<HookEvent> key = {{0x41, 0, false}, {0x41, 1, false}};
    const std::vector<HookEvent> click = {{0x201, 0, true}, {0x202, 0, true}};
    const std::vector<HookEvent> both = {key[0], key[1], click[0], click[1]};
    // Keys and buttons each switched off alone are the X11 tests' cases.
    const SwitchRow rows[] = {
        {"enablehook(1) resumes keys",
         [](HookLibrary& l, auto) {
             l.EnableHook(0);
             l.EnableHook(1);
         },
         true, both},
        {"enablemousehook(1) resumes buttons",
         [](HookLibrary& l, auto) {
             l.EnableMouseHook(0);
             l.EnableMouseHook(1);
         },
         true, both},
        {"after removemousehook, enablemousehook(1) does not bring buttons back",
         [](HookLibrary& l, auto) {
             l.RemoveMouseHook();
             l.EnableMouseHook(1);
         },
         true, key},
        {"installmousehook brings them back",
         [](HookLibrary& l, auto) {
             l.RemoveMouseHook();
             l.InstallMouseHook();
         },
         true, both},
        {"mousewheelenable changes nothing",
         [](HookLibrary& l, auto) {
             l.MouseWheelEnable(0);
             l.MouseWheelEnable(1);
         },
         true, both},
        {"installhook again turns everything on, as a new recording needs",
         [](HookLibrary& l, const Ms1WindowHandle* w) {
             l.RemoveMouseHook();
             l.EnableMouseHook(0);
             l.EnableHook(0);
             l.InstallHook(w);
         },
         true, both},
        {"keys off: the click still comes", [](HookLibrary& l, auto) { l.EnableHook(0); }, false,
         click},
    };
    Install();
    for (const SwitchRow& row : rows) {
        SCOPED_TRACE(row.name);
        library_.InstallHook(window_.Handle());
        row.before(library_, window_.Handle());
        Write({{KEY_A, 1}, {KEY_A, 0}, {BTN_LEFT, 1}, {BTN_LEFT, 0}});
        if (row.keyMarker) {
            Write({{KEY_F12, 1}, {KEY_F12, 0}});
            EXPECT_EQ(window_.Until(kF12), row.expected);
        } else {
            Write({{BTN_RIGHT, 1}, {BTN_RIGHT, 0}});
            EXPECT_EQ(window_.Until(kRightDown), row.expected);
        }
    }
}

TEST_F(HookLibraryTest, AnyOrderIsHarmlessAndRemoveHookLeavesNoThread) {
    const std::string name = CaptureThread::kThreadName;
    // Before installhook, twice each: nothing starts, nothing is posted.
    for (int twice = 0; twice < 2; ++twice) {
        EXPECT_EQ(library_.RemoveHook(), 1);
        EXPECT_EQ(library_.RemoveMouseHook(), 1);
        EXPECT_EQ(library_.EnableHook(1), 1);
        EXPECT_EQ(library_.EnableMouseHook(0), 1);
        EXPECT_EQ(library_.MouseWheelEnable(0), 1);
        EXPECT_EQ(library_.InstallMouseHook(), 1);
        EXPECT_EQ(library_.InstallHook(nullptr), 0);
    }
    EXPECT_EQ(CaptureThreads(name), 0);

    // Installed twice: one thread.
    Install();
    EXPECT_EQ(library_.InstallHook(window_.Handle()), 1);
    EXPECT_EQ(CaptureThreads(name), 1);
    EXPECT_EQ(library_.CaptureStatus(), nullptr);

    // Removed twice: the thread is joined and nothing is posted any more.
    EXPECT_EQ(library_.RemoveHook(), 1);
    EXPECT_EQ(library_.RemoveHook(), 1);
    EXPECT_TRUE(NoCaptureThreadLeft(name));
    Write({{KEY_A, 1}, {KEY_A, 0}});
    EXPECT_EQ(window_.Count(), 0u);
    EXPECT_EQ(library_.EnableHook(0), 1);

    // And it starts again (a device would not keep what was typed meanwhile; the pipe does).
    input_event unread[2];
    EXPECT_EQ(read(fds_[0], unread, sizeof unread), static_cast<ssize_t>(sizeof unread));
    Install();
    EXPECT_EQ(CaptureThreads(name), 1);
}

TEST(HookStatus, WithoutADisplayOrReadableDevicesTheReasonIsGiven) {
    const std::filesystem::path empty =
        std::filesystem::temp_directory_path() / ("ms1-hook-empty-" + std::to_string(getpid()));
    std::filesystem::create_directories(empty);
    // Files that are no input devices: opened, and nothing found on them.
    for (const char* name : {"event0", "event1", "mouse0"})
        std::ofstream(empty / name) << "not a device";
    struct Row {
        const char* name;
        CaptureEnvironment environment;
        const char* reason;
    };
    const Row rows[] = {
        {"no display", {"", "", "", empty}, kNoDisplayNoInput},
        {"a display no server answers", {":9753", "", "x11", empty}, kNoDisplayNoInput},
        {"Wayland", {"", "wayland-0", "", empty}, kNoInputOnWayland},
        {"a Wayland session with Xwayland", {":0", "", "wayland", empty}, kNoInputOnWayland},
        {"no /dev/input at all", {"", "wayland-0", "wayland", empty / "input"}, kNoInputOnWayland},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Capture capture = OpenCapture(row.environment, true);
        EXPECT_EQ(capture.source, nullptr);
        EXPECT_EQ(capture.layout, nullptr);
        EXPECT_STREQ(capture.reason, row.reason);
    }
    EXPECT_STREQ(kNoInputOnWayland,
                 "on Wayland, key capture needs read access to /dev/input: add yourself to the "
                 "input group");

    // The library says it too, before and after an installhook whose thread found nothing.
    HookLibrary library(
        [&](bool withLayout) { return OpenCapture(rows[2].environment, withLayout); });
    EXPECT_STREQ(library.CaptureStatus(), kNoInputOnWayland);
    HookReceiver window;
    library.InstallHook(window.Handle());
    EXPECT_STREQ(library.CaptureStatus(), kNoInputOnWayland);
    library.RemoveHook();
    EXPECT_EQ(CaptureThreads(CaptureThread::kThreadName), 0);
    std::filesystem::remove_all(empty);
}

}  // namespace
}  // namespace ms1::hook::test
