// The automatic profile switch in the program against the virtual mouse, on an X server with
// a window manager: windows of known WM_CLASS made by the test, the focus moved with xdotool,
// the real page, device session and virtual receiver (real pauses).
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstring>
#include <iostream>

#include "app/AppFocusSwitch.h"
#include "app/CMainWnd.h"
#include "app/MouseDeviceSession.h"
#include "app/MousePageWindow.h"
#include "platform/focus/I3FocusSource.h"
#include "platform/focus/X11FocusSource.h"
#include "sim/VirtualHidBus.h"
#include "storage/ProfileStore.h"
#include "tests/app/ProgramRun.h"
#include "tests/app/TestResources.h"
#include "tests/support/ReportBytes.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "ui/page/CMS_1_Page.h"

namespace ms1::test {
namespace {

constexpr int kPatienceMs = 15000;

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

// The default sensor report, and the same with the DPI of stages 1 and 2 exchanged (16 and
// 32: codes 10 and 20; the checksum, a sum, stays).
const char* const kDefaultSensor =
    "14 3c 01 01 01 3f 20 20 10 20 30 40 64 d2 00 00 00 00 00 00 00 01 00 00 02 ff 00 00 00 ff "
    "00 00 00 ff ff 00 ff ff ff 00 00 ff ff ff 40 00 ff ff ff 01 0f 8e 00 00 00 00 00 00 00 00";
const char* const kPaintSensor =
    "14 3c 01 01 01 3f 20 20 20 10 30 40 64 d2 00 00 00 00 00 00 00 01 00 00 02 ff 00 00 00 ff "
    "00 00 00 ff ff 00 ff ff ff 00 00 ff ff ff 40 00 ff ff ff 01 0f 8e 00 00 00 00 00 00 00 00";

// An X server's desktop: a window manager (openbox, or i3 with its IPC socket), and the
// windows a test maps.
class Desk : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(data_.isValid());
        if (i3_) {
            socket_ = data_.filePath("i3.sock");
            QFile config(data_.filePath("i3.config"));
            ASSERT_TRUE(config.open(QIODevice::WriteOnly));
            config.write(("# i3 config file (v4)\nipc-socket " + socket_ +
                          "\nfont pango:DejaVu Sans 8\nexec echo ready\n")
                             .toUtf8());
            config.close();
            wm_.start("i3", {"-c", config.fileName()});
        } else {
            wm_.start("openbox", {"--sm-disable", "--startup", "echo ready"});
        }
        ASSERT_TRUE(wm_.waitForStarted());
        ASSERT_TRUE(WaitForLine(wm_, "ready"));
    }
    void TearDown() override {
        for (auto& window : windows_) {
            window->kill();
            window->waitForFinished();
        }
        wm_.kill();
        wm_.waitForFinished();
    }

    // "Profile1" as it comes, and "Paint" that differs from it in its DPI stages alone.
    void StoreTwoProfiles() {
        ProfileStore profiles(data_.path().toStdString());
        profiles.LoadProfileStore(u"Profile");
        auto access = profiles.Lock();
        auto paint = MakeZeroedProfile();
        std::memcpy(paint.get(), access.Profiles()[0].get(), sizeof(ProfileRecord));
        paint->profileName.set(u"Paint");
        std::swap(paint->dpiValue[0], paint->dpiValue[1]);
        std::swap(paint->dpiValueY[0], paint->dpiValueY[1]);
        access.Profiles().push_back(std::move(paint));
        ASSERT_TRUE(access.SaveProfileStore());
    }

    std::string Open(const char* windowClass) {
        windows_.push_back(std::make_unique<QProcess>());
        windows_.back()->start(MS1_FOCUSWIN, {windowClass});
        return ReadLine(*windows_.back());
    }

    void Activate(const std::string& window) {
        ASSERT_EQ(QProcess::execute("xdotool",
                                    {"windowactivate", "--sync", QString::fromStdString(window)}),
                  0);
    }

    bool i3_ = false;
    QString socket_;  // i3's
    QTemporaryDir data_;
    QProcess wm_;
    std::vector<std::unique_ptr<QProcess>> windows_;
};

class AppFocusProgram : public Desk, public ::testing::WithParamInterface<std::string> {
  protected:
    void SetUp() override {
        i3_ = GetParam() == "i3";
        Desk::SetUp();
        if (HasFatalFailure())
            return;
        StoreTwoProfiles();
        auto session = MouseDeviceSession::Create("receiver");
        ASSERT_NE(session, nullptr);
        bus_ = session->VirtualBus();
        page_ = std::make_unique<MousePageWindow>(data_.path().toStdString(), std::move(session));
        window_ = std::make_unique<CMainWnd>(Skins(), Texts(),
                                             CMainWnd::Options{"", CMainWnd::Tray::Off});
        window_->RegisterPage(page_.get());
        ASSERT_TRUE(window_->Create());
        switch_ = std::make_unique<AppFocusSwitch>(
            *page_->Page(),
            i3_ ? std::unique_ptr<FocusSource>(
                      std::make_unique<I3FocusSource>(socket_.toStdString()))
                : X11FocusSource::Connect(),
            [](std::string_view appId) -> std::optional<std::u16string> {
                if (QString::fromUtf8(appId.data(), appId.size()).toLower() == "ms1paint")
                    return u"paint";
                return std::nullopt;
            },
            nullptr);
        ASSERT_TRUE(switch_->Start());
        // The link is up and the page's full apply went.
        ASSERT_TRUE(QTest::qWaitFor([&] { return window_->DeviceTabFlag(); }, kPatienceMs));
        ASSERT_TRUE(QTest::qWaitFor([&] { return Settled(); }, kPatienceMs));
        ASSERT_EQ(bus_->Settings(0).preambles, 1);
    }

    void TearDown() override {
        switch_.reset();
        if (page_ != nullptr)
            page_->Shutdown();
        if (window_ != nullptr)
            window_->UnregisterPage();
        window_.reset();
        page_.reset();
        Desk::TearDown();
    }

    // The mouse holds what the page shows: no apply waits.
    bool Settled() {
        CMS_1_Page& page = *page_->Page();
        auto lock = page.Lock();
        return !page.FullApplyPending() &&
               std::memcmp(&page.Working(), &page.Snapshot(), sizeof(ProfileRecord)) == 0;
    }

    // The packets the receiver got since `from`, in hex.
    std::vector<std::string> PacketsSince(std::size_t from) {
        std::vector<std::string> hex;
        const auto packets = bus_->ReceivedPackets();
        for (std::size_t i = from; i < packets.size(); ++i)
            hex.push_back(Hex(packets[i].bytes));
        return hex;
    }

    std::u16string Active() { return page_->Page()->ActiveProfileName(); }
    // What a failed wait shows.
    std::string State() {
        return "active " + QString::fromStdU16String(Active()).toStdString() + ", by rule of '" +
               switch_->Switcher().RuleApp() + "', " + (Settled() ? "settled" : "not settled");
    }

    sim::VirtualHidBus* bus_ = nullptr;
    std::unique_ptr<MousePageWindow> page_;
    std::unique_ptr<CMainWnd> window_;
    std::unique_ptr<AppFocusSwitch> switch_;
};

TEST_P(AppFocusProgram, FocusingAnApplicationWithARuleSwitchesTheMouseWithOneReport) {
    // Each window takes the focus as it is mapped; the focus goes back to the one without
    // a rule, and the mouse holds the profile chosen by hand again.
    const std::string other = Open("Ms1Other");
    const std::string paint = Open("Ms1Paint");
    ASSERT_FALSE(other.empty());
    ASSERT_FALSE(paint.empty());
    Activate(other);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Active() == u"Profile1" && Settled(); }, kPatienceMs))
        << State();

    std::size_t before = bus_->ReceivedPackets().size();
    QElapsedTimer switchTime;  // from the user's activation (xdotool's run included)
    QElapsedTimer fromSwitch;  // from the switcher's decision
    switch_->SetSwitchedListener(
        [&](const std::u16string&, const std::string&) { fromSwitch.start(); });
    switchTime.start();
    Activate(paint);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Active() == u"Paint" && Settled(); }, kPatienceMs));
    const qint64 ms = switchTime.elapsed();
    const qint64 decided = fromSwitch.elapsed();
    EXPECT_EQ(PacketsSince(before), (std::vector<std::string>{kPaintSensor}));
    EXPECT_EQ(page_->Page()->SelectedIndex(), 1);
    EXPECT_EQ(switch_->Switcher().RuleApp(), "Ms1Paint");
    std::cout << "switch of a DPI-only difference on 2.4 GHz: " << ms << " ms from the activation, "
              << decided << " ms from the switch\n";
    RecordProperty("dpi_only_switch_ms", static_cast<int>(ms));

    // To an application without a rule: the profile chosen by hand comes back, one report.
    before = bus_->ReceivedPackets().size();
    Activate(other);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Active() == u"Profile1"; }, kPatienceMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Settled(); }, kPatienceMs));
    EXPECT_EQ(PacketsSince(before), (std::vector<std::string>{kDefaultSensor}));
    EXPECT_EQ(switch_->Switcher().RuleApp(), "");
    EXPECT_EQ(bus_->Settings(0).preambles, 1) << "an automatic switch is no full apply";
}

// Five focus changes within a few milliseconds: the apply under way ends after its report,
// and the mouse ends with the last wanted profile, sent once more at most.
TEST_P(AppFocusProgram, QuickFocusChangesApplyOnlyTheLastWantedProfile) {
    const std::size_t before = bus_->ReceivedPackets().size();
    for (const char* app : {"Ms1Paint", "xterm", "Ms1Paint", "xterm", "Ms1Paint"})
        switch_->Switcher().OnFocus(app);  // as the source reports them
    ASSERT_TRUE(QTest::qWaitFor([&] { return Active() == u"Paint" && Settled(); }, kPatienceMs));
    const std::vector<std::string> sent = PacketsSince(before);
    ASSERT_FALSE(sent.empty());
    EXPECT_LE(sent.size(), 2u) << "one report under way, then the last profile's";
    EXPECT_EQ(sent.back(), kPaintSensor);
    EXPECT_EQ(bus_->Settings(0).stageCode[0], 0x20);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, AppFocusProgram, ::testing::Values("openbox", "i3"));

// The real `ms1 --simulate` with a rule: focusing the rule's application makes its profile
// the active one, kept in the store the program writes as it ends.
TEST_F(Desk, TheRunningProgramSwitchesWithTheFocus) {
    StoreTwoProfiles();
    QTemporaryDir runtime;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime.path());  // a single instance of its own
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("QT_LOGGING_RULES", "ms1.debug=true");
    // The rule as a user sets it before the program starts; the letter case is the user's.
    const Ran ruled =
        RunProgram(ProgramFolder() + "/ms1ctl",
                   {"app-profile", "set", "ms1paint", "Paint", "--data", data_.path()}, environment,
                   kPatienceMs);
    ASSERT_EQ(ruled.exitCode, 0) << ruled.err.toStdString();
    const std::string other = Open("Ms1Other");
    ASSERT_FALSE(other.empty());

    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(ProgramFolder() + "/ms1", {"--simulate", "--data", data_.path()});
    ASSERT_TRUE(program.waitForStarted(kPatienceMs));
    const Ran status =
        RunProgram(ProgramFolder() + "/ms1ctl", {"--simulate", "status"}, environment, kPatienceMs);
    EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();

    const std::string paint = Open("Ms1Paint");
    ASSERT_FALSE(paint.empty());
    Activate(paint);
    EXPECT_TRUE(WaitForLine(program, "ms1: focus: profile \"Paint\" by rule: \"Ms1Paint\""));

    program.terminate();
    ASSERT_TRUE(program.waitForFinished(kPatienceMs));
    const Ran listed = RunProgram(ProgramFolder() + "/ms1ctl", {"profiles", "--data", data_.path()},
                                  environment, kPatienceMs);
    EXPECT_EQ(listed.out, "0\tProfile1\n1\tPaint\tselected\n");
}

}  // namespace
}  // namespace ms1::test
