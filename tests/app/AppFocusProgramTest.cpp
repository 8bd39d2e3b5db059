// The automatic profile switch in the program against the virtual mouse, on an X server with
// a window manager: windows of known WM_CLASS made by the test, the focus moved with xdotool,
// the real page, device session and virtual receiver (real pauses).
#include <gtest/gtest.h>

#include <QElapsedTimer>
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
#include "platform/focus/X11FocusSource.h"
#include "sim/VirtualHidBus.h"
#include "storage/ProfileStore.h"
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

class AppFocusProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(data_.isValid());
        wm_.start("openbox", {"--sm-disable", "--startup", "echo ready"});
        ASSERT_TRUE(wm_.waitForStarted());
        ASSERT_TRUE(WaitForLine(wm_, "ready"));
        {  // "Profile1" as it comes, and "Paint" that differs from it in its DPI stages alone
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
        auto session = MouseDeviceSession::Create("receiver");
        ASSERT_NE(session, nullptr);
        bus_ = session->VirtualBus();
        page_ = std::make_unique<MousePageWindow>(data_.path().toStdString(), std::move(session));
        window_ = std::make_unique<CMainWnd>(Skins(), Texts(),
                                             CMainWnd::Options{"", CMainWnd::Tray::Off});
        window_->RegisterPage(page_.get());
        ASSERT_TRUE(window_->Create());
        switch_ = std::make_unique<AppFocusSwitch>(
            *page_->Page(), X11FocusSource::Connect(),
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
        page_->Shutdown();
        window_->UnregisterPage();
        window_.reset();
        page_.reset();
        for (auto& window : windows_) {
            window->kill();
            window->waitForFinished();
        }
        wm_.kill();
        wm_.waitForFinished();
    }

    // The mouse holds what the page shows: no apply waits.
    bool Settled() {
        CMS_1_Page& page = *page_->Page();
        auto lock = page.Lock();
        return !page.FullApplyPending() &&
               std::memcmp(&page.Working(), &page.Snapshot(), sizeof(ProfileRecord)) == 0;
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

    QTemporaryDir data_;
    QProcess wm_;
    std::vector<std::unique_ptr<QProcess>> windows_;
    sim::VirtualHidBus* bus_ = nullptr;
    std::unique_ptr<MousePageWindow> page_;
    std::unique_ptr<CMainWnd> window_;
    std::unique_ptr<AppFocusSwitch> switch_;
};

TEST_F(AppFocusProgram, FocusingAnApplicationWithARuleSwitchesTheMouseWithOneReport) {
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
    QElapsedTimer switchTime;
    switchTime.start();
    Activate(paint);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Active() == u"Paint" && Settled(); }, kPatienceMs));
    const qint64 ms = switchTime.elapsed();
    EXPECT_EQ(PacketsSince(before), (std::vector<std::string>{kPaintSensor}));
    EXPECT_EQ(page_->Page()->SelectedIndex(), 1);
    EXPECT_EQ(switch_->Switcher().RuleApp(), "Ms1Paint");
    std::cout << "switch of a DPI-only difference on 2.4 GHz: " << ms << " ms\n";
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
TEST_F(AppFocusProgram, QuickFocusChangesApplyOnlyTheLastWantedProfile) {
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

}  // namespace
}  // namespace ms1::test
