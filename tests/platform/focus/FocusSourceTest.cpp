// The focus sources on a real X server (Xvfb) with a real window manager: openbox for the
// X11 source, i3 for the IPC source. The test maps windows of known WM_CLASS and moves the
// focus between them with xdotool, as a user's clicks would.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/focus/FocusSources.h"
#include "platform/focus/I3FocusSource.h"
#include "platform/focus/X11FocusSource.h"
#include "tests/support/QtTestApp.h"

namespace ms1 {
namespace {

constexpr int kPatienceMs = 15000;

// Waits for one line on a process's standard output.
std::string ReadLine(QProcess& process) {
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(kPatienceMs))
            return {};
    }
    return process.readLine().trimmed().toStdString();
}

// Waits for `line` among the lines a process writes (the window manager says other things).
bool WaitForLine(QProcess& process, const std::string& line) {
    for (std::string read = ReadLine(process); read != line; read = ReadLine(process)) {
        if (read.empty())
            return false;  // gone, or silent for the whole patience
    }
    return true;
}

class FocusSourceTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(temp_.isValid());
        const bool i3 = GetParam() == "i3";
        wm_.setProgram(i3 ? "i3" : "openbox");
        wm_.setProcessChannelMode(QProcess::SeparateChannels);
        if (i3) {
            socket_ = temp_.filePath("ipc.sock");
            QFile config(temp_.filePath("config"));
            ASSERT_TRUE(config.open(QIODevice::WriteOnly));
            config.write(("# i3 config file (v4)\nipc-socket " + socket_ +
                          "\nfont pango:DejaVu Sans 8\nexec echo ready\n")
                             .toUtf8());
            config.close();
            wm_.setArguments({"-c", config.fileName()});
        } else {
            wm_.setArguments({"--sm-disable", "--startup", "echo ready"});
        }
        wm_.start();
        ASSERT_TRUE(wm_.waitForStarted()) << "is " << GetParam() << " installed (scripts/setup)?";
        ASSERT_TRUE(WaitForLine(wm_, "ready")) << "the window manager did not start";
        if (i3) {
            source_ = std::make_unique<I3FocusSource>(socket_.toStdString());
        } else {
            source_ = X11FocusSource::Connect();
        }
        ASSERT_NE(source_, nullptr);
    }

    void TearDown() override {
        source_.reset();
        for (auto& window : windows_) {
            window->kill();
            window->waitForFinished();
        }
        wm_.kill();
        wm_.waitForFinished();
    }

    // Maps a window of class `windowClass` ("-": none) and returns its id.
    std::string Open(const char* windowClass) {
        windows_.push_back(std::make_unique<QProcess>());
        QProcess& window = *windows_.back();
        window.start(MS1_FOCUSWIN, {windowClass});
        return ReadLine(window);
    }

    // Moves the focus to `window` as the user would, and waits for the source to report.
    ::testing::AssertionResult Activate(const std::string& window, const std::string& appId) {
        const std::size_t before = reports_.size();
        const int status = QProcess::execute(
            "xdotool", {"windowactivate", "--sync", QString::fromStdString(window)});
        if (status != 0)
            return ::testing::AssertionFailure() << "xdotool failed: " << status;
        const bool heard = QTest::qWaitFor(
            [&] { return reports_.size() > before && reports_.back() == appId; }, kPatienceMs);
        if (!heard) {
            return ::testing::AssertionFailure()
                   << "expected " << appId << ", last heard "
                   << (reports_.empty() ? "nothing" : reports_.back());
        }
        return ::testing::AssertionSuccess();
    }

    QTemporaryDir temp_;
    QProcess wm_;
    QString socket_;
    std::unique_ptr<FocusSource> source_;
    std::vector<std::unique_ptr<QProcess>> windows_;
    std::vector<std::string> reports_;
};

TEST_P(FocusSourceTest, ReportsTheFocusedApplicationAndListsTheOpenOnes) {
    ASSERT_TRUE(source_->Start([this](const std::string& id) { reports_.push_back(id); }));
    EXPECT_EQ(source_->UnavailableReason(), "");

    const std::string paint = Open("Ms1Paint");
    const std::string game = Open("Ms1Game");
    ASSERT_FALSE(paint.empty());
    ASSERT_FALSE(game.empty());
    EXPECT_TRUE(Activate(paint, "Ms1Paint"));
    EXPECT_TRUE(Activate(game, "Ms1Game"));
    EXPECT_TRUE(Activate(paint, "Ms1Paint"));

    // A window without WM_CLASS: X11 names the process of its _NET_WM_PID; i3 tells no pid.
    const std::string plain = Open("-");
    ASSERT_FALSE(plain.empty());
    const bool x11 = source_->Kind() == "x11";
    EXPECT_TRUE(Activate(plain, x11 ? "ms1_focuswin" : ""));
    EXPECT_TRUE(Activate(game, "Ms1Game"));
    // Between two reports nothing else was told: no report repeats the one before it.
    EXPECT_EQ(std::adjacent_find(reports_.begin(), reports_.end()), reports_.end());

    std::vector<std::string> open;
    bool listed = false;
    source_->ListOpen([&](std::vector<std::string> ids) {
        open = std::move(ids);
        listed = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return listed; }, kPatienceMs));
    std::sort(open.begin(), open.end());
    std::vector<std::string> expected = {"Ms1Game", "Ms1Paint"};
    if (x11)
        expected.push_back("ms1_focuswin");
    EXPECT_EQ(open, expected);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, FocusSourceTest, ::testing::Values("openbox", "i3"));

struct PickRow {
    const char* what;
    DesktopEnvironment desktop;
    std::string kind;
    std::string reason;
};

TEST(PickFocusSource, TheDesktopDecidesTheSource) {
    TestApp();
    const std::string display = qEnvironmentVariable("DISPLAY").toStdString();
    const PickRow rows[] = {
        {"i3 or sway", {"/nonexistent/ipc.sock", "wayland-1", display}, "i3", ""},
        {"another Wayland desktop",
         {"", "wayland-0", display},
         "none",
         "app_profiles_no_wayland_text"},
        {"X11", {"", "", display}, "x11", ""},
        {"an X display that cannot be opened",
         {"", "", ":4711"},
         "none",
         "app_profiles_no_x11_text"},
        {"nothing", {"", "", ""}, "none", "app_profiles_no_x11_text"},
    };
    for (const PickRow& row : rows) {
        SCOPED_TRACE(row.what);
        std::unique_ptr<FocusSource> source = PickFocusSource(row.desktop);
        EXPECT_EQ(source->Kind(), row.kind);
        EXPECT_EQ(source->UnavailableReason(), row.reason);
    }
    // The socket of i3 that is not there: no reports, and the reason once it tried.
    auto gone = PickFocusSource(rows[0].desktop);
    EXPECT_FALSE(gone->Start([](const std::string&) {}));
    EXPECT_EQ(gone->UnavailableReason(), "app_profiles_no_i3_text");
}

}  // namespace
}  // namespace ms1
