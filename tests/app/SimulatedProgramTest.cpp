// The whole program against the virtual mouse, as `ms1 --simulate` runs it: the real main
// window and page, the device session with its link, readers and worker, and the virtual
// receiver. The pauses between reports are real here, so the waits are generous.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

#include "app/CMainWnd.h"
#include "app/MouseDeviceSession.h"
#include "app/MousePageWindow.h"
#include "app/VirtualMousePanel.h"
#include "engine/DeviceSession.h"
#include "platform/dui/ControlOps.h"
#include "ports/WindowMessages.h"
#include "sim/VirtualCable.h"
#include "sim/VirtualGattMouse.h"
#include "sim/VirtualHidBus.h"
#include "sim/VirtualMouse.h"
#include "storage/MacroStore.h"
#include "storage/ProfileStore.h"
#include "tests/app/TestResources.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "ui/page/CMS_1_Page.h"

namespace ms1::test {
namespace {

constexpr int kPatienceMs = 15000;

class SimulatedProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(data_.isValid());
        {  // one macro in the store: A pressed and released, 10 ms after each
            MacroStore macros(data_.path().toStdString());
            macros.LoadMacroStore();
            auto access = macros.Lock();
            MacroRecord burst = MakeEmptyMacro(u"Burst");
            burst.actionCount = 2;
            burst.actions[0] = {0x04, kDirectionPress, {}};
            burst.actions[0].delay = 10;
            burst.actions[1] = {0x04, kDirectionRelease, {}};
            burst.actions[1].delay = 10;
            access.Macros().push_back(burst);
            ASSERT_TRUE(access.SaveMacroStore());
        }
        PrepareData();
        auto session = MouseDeviceSession::Create(Scenario());
        ASSERT_NE(session, nullptr);
        bus_ = session->VirtualBus();
        device_ = session.get();
        page_ = std::make_unique<MousePageWindow>(data_.path().toStdString(), std::move(session));
        window_ = std::make_unique<CMainWnd>(Skins(), Texts(),
                                             CMainWnd::Options{"", CMainWnd::Tray::Off});
        window_->RegisterPage(page_.get());
        ASSERT_TRUE(window_->Create());
    }
    void TearDown() override {
        page_->Shutdown();
        window_->UnregisterPage();
        window_.reset();
        page_.reset();
    }

    virtual const char* Scenario() const { return "receiver"; }
    // Before the program starts: what the data folder holds.
    virtual void PrepareData() {}

    template <typename T = QWidget>
    T* Control(const char* name) {
        return page_->PageWidget()->findChild<T*>(name);
    }
    sim::MouseSettings Mouse() const { return bus_->Settings(0); }

    QTemporaryDir data_;
    sim::VirtualHidBus* bus_ = nullptr;
    MouseDeviceSession* device_ = nullptr;
    std::unique_ptr<MousePageWindow> page_;
    std::unique_ptr<CMainWnd> window_;
};

TEST_F(SimulatedProgram, ThePageFollowsTheVirtualMouseBothWays) {
    // Start-up: the receiver is found, the mouse reports and the device page shows.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->DeviceTabFlag(); }, kPatienceMs));
    EXPECT_TRUE(page_->AnyConnected());
    EXPECT_TRUE(dui::IsVisible(Control("ms_1_wireless")));

    // The first change after start-up sends everything, preamble first.
    Control<QAbstractButton>("ms_1_btn_prate_2")->click();
    EXPECT_EQ(page_->Page()->Working().pollingRate, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Mouse().rateCode == 4; }, kPatienceMs));
    EXPECT_EQ(Mouse().preambles, 1);
    EXPECT_EQ(Mouse().stageCode[5], 0xD2);  // 22000 DPI of the default sixth stage
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page_->Page()->FullApplyPending(); }, kPatienceMs));

    // The next option goes to the mouse alone: one polling-rate report.
    const std::size_t packetsBefore = bus_->ReceivedPackets().size();
    Control<QAbstractButton>("ms_1_btn_prate_3")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Mouse().rateCode == 2; }, kPatienceMs));
    EXPECT_EQ(bus_->ReceivedPackets().size(), packetsBefore + 1);
    EXPECT_EQ(Mouse().preambles, 1);
    // Acknowledged: the apply takes it as what the mouse holds.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return page_->Page()->Snapshot().pollingRate == 2; }, kPatienceMs));

    // The DPI button pressed on the mouse: the page selects the stage and keeps it.
    bus_->WithMouse(0, [](sim::VirtualMouse& mouse) { mouse.SelectStage(3); });
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return page_->Page()->Working().activeStage == 2; }, kPatienceMs));
    EXPECT_TRUE(dui::IsSelected(Control("ms_1_option_dpi_step_3")));
    EXPECT_EQ(
        std::memcmp(&page_->Page()->Working(), &page_->Page()->Snapshot(), sizeof(ProfileRecord)),
        0);

    // The battery as the mouse reports it.
    bus_->WithMouse(0, [](sim::VirtualMouse& mouse) { mouse.SetBattery(1, 42); });
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Control<QLabel>("ms_1_label_power")->text() == "42%"; }, kPatienceMs));

    // The receiver pulled out: the indicator goes and the empty page shows.
    bus_->Unplug(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->DeviceTabFlag(); }, kPatienceMs));
    EXPECT_FALSE(page_->AnyConnected());
    EXPECT_FALSE(dui::IsVisible(Control("ms_1_wireless")));
}

TEST_F(SimulatedProgram, ASleepingMouseIsNotTakenForAnUnpluggedReceiver) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->DeviceTabFlag(); }, kPatienceMs));
    auto* title = window_->Widget()->findChild<QLabel*>("empty_title");
    auto* hint = window_->Widget()->findChild<QLabel*>("empty_hint");
    ASSERT_NE(hint, nullptr);
    // The mouse falls asleep and the watchdog's period ends (here at once, again until a
    // report that was on its way when the mouse fell asleep no longer restarts it).
    bus_->WithMouse(0, [](sim::VirtualMouse& mouse) { mouse.SetAsleep(true); });
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            device_->Session()->OnTimer(TIMER_WIRELESS_WATCHDOG);
            return !window_->DeviceTabFlag();
        },
        kPatienceMs));
    EXPECT_EQ(title->text(), "The mouse is not answering");
    EXPECT_TRUE(hint->text().startsWith("The receiver is plugged in, but the mouse does not"))
        << hint->text().toStdString();

    // Now the receiver goes too: plug it in, says the page.
    bus_->Unplug(0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return hint->text().startsWith("Plug in the 2.4 GHz receiver"); }, kPatienceMs))
        << hint->text().toStdString();
    EXPECT_EQ(title->text(), "No mouse connected");

    // Plugged in again while the mouse still sleeps, then woken by a button.
    bus_->Plug(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return title->text() == "The mouse is not answering"; },
                                kPatienceMs));
    EXPECT_FALSE(window_->DeviceTabFlag());
    bus_->WithMouse(0, [](sim::VirtualMouse& mouse) { mouse.SetAsleep(false); });
    bus_->WithMouse(0, [](sim::VirtualMouse& mouse) { mouse.SelectStage(2); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->DeviceTabFlag(); }, kPatienceMs));
}

TEST_F(SimulatedProgram, ButtonAssignmentsReachTheVirtualMouse) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->DeviceTabFlag(); }, kPatienceMs));
    Control<QAbstractButton>("ms_1_btn_reset_dpi")->click();  // the full first apply
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page_->Page()->FullApplyPending(); }, kPatienceMs));
    ASSERT_EQ(Mouse().preambles, 1);

    // A function from the menu: the button map alone.
    std::size_t packets = bus_->ReceivedPackets().size();
    Control<QAbstractButton>("ms_1_btn_key_3")->click();
    page_->OnButtonMenuCommand("ms_1_volume_up");
    const std::array<std::uint8_t, 3> volumeUp = {0x1B, 0x00, 0x00};
    ASSERT_TRUE(QTest::qWaitFor([&] { return Mouse().buttons[2] == volumeUp; }, kPatienceMs));
    EXPECT_EQ(bus_->ReceivedPackets().size(), packets + 1);
    EXPECT_EQ(dui::Text(Control("ms_1_btn_key_3")), "Volume up");

    // A macro: the button map, then the pages of that button only (three packets each).
    packets = bus_->ReceivedPackets().size();
    page_->Page()->macroDialog = [](const MacroList& macros, const MacroChoice&) {
        return macros.empty() ? std::nullopt : std::optional<MacroChoice>(MacroChoice{0, 0, 2});
    };
    Control<QAbstractButton>("ms_1_btn_key_3")->click();
    page_->OnButtonMenuCommand("ms_1_select_macro");
    const std::array<std::uint8_t, 3> macroOnButton3 = {0x12, 0x00, 0x0B};
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Mouse().buttons[2] == macroOnButton3 && Mouse().macroPages.count(11) == 1; },
        kPatienceMs));
    EXPECT_EQ(Mouse().macroPages.size(), 1u);
    // A copy: Mouse() hands out a snapshot that is gone at the end of the statement.
    const sim::StoredMacroPage page = Mouse().macroPages.at(11);
    // Header: mode 0, loop count 2, two units: press and release of A after 10 ms each.
    const std::uint8_t expected[] = {0x19, 0x83, 0x0B, 0x00, 0x00, 0x00, 0x00,
                                     0x02, 0x02, 0x0A, 0x04, 0x8A, 0x04};
    EXPECT_EQ(std::memcmp(page.data(), expected, sizeof expected), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bus_->ReceivedPackets().size() >= packets + 4; },
                                kPatienceMs));
    EXPECT_EQ(bus_->ReceivedPackets().size(), packets + 4);  // 0x18, then one page in 3 packets
}

// The virtual mouse's window says what the mouse holds once an apply has reached it, and
// goes away and comes back with the main window.
TEST_F(SimulatedProgram, TheVirtualMouseWindowShowsWhatItHoldsAndFollowsTheMainWindow) {
    window_->Widget()->show();
    VirtualMousePanel panel(*bus_, window_->Widget());
    panel.show();
    auto* held = panel.findChild<QLabel*>("virtual_mouse_held");
    ASSERT_NE(held, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->DeviceTabFlag(); }, kPatienceMs));
    Control<QAbstractButton>("ms_1_btn_prate_2")->click();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return held->text().contains("Stage 2 at 1600 DPI · 250 reports/s"); }, kPatienceMs))
        << held->text().toStdString();
    EXPECT_TRUE(held->text().contains("Lighting mode 7, colour #00FF00"));
    EXPECT_TRUE(held->text().contains("Buttons changed: none"));
    EXPECT_TRUE(held->text().contains("Battery 80 %, on battery"));
    // Every line shows: the label has the height its wrapped lines need, inside the window.
    QCoreApplication::processEvents();
    EXPECT_GE(held->height(), held->heightForWidth(held->width()));
    EXPECT_LE(held->geometry().bottom(), panel.contentsRect().bottom());

    window_->Widget()->showMinimized();
    EXPECT_FALSE(panel.isVisible());
    window_->Widget()->showNormal();
    EXPECT_TRUE(panel.isVisible());
}

// A stored profile that the virtual mouse (fresh, as from the factory) does not hold yet:
// stage 2 at 4500 DPI, stage 3 active.
class SimulatedProgramWithStoredProfile : public SimulatedProgram {
  protected:
    void PrepareData() override {
        ProfileStore profiles(data_.path().toStdString());
        profiles.LoadProfileStore(u"Profile");
        auto access = profiles.Lock();
        access.Profiles()[0]->dpiValue[1] = 90;
        access.Profiles()[0]->activeStage = 2;
        ASSERT_TRUE(access.SaveProfileStore());
    }
    bool ApplyRingShown() { return dui::IsVisible(window_->FindControl("apply_ring")); }
    int StoredStep(int stage) {
        ProfileStore profiles(data_.path().toStdString());
        profiles.LoadProfileStore(u"Profile", StoreMode::ReadOnly);
        return profiles.Lock().Profiles()[0]->dpiValue[stage - 1];
    }
};

// The link comes up with the stored profile not yet on the mouse: it goes there whole at
// once, without waiting for the user to change something, so the mouse runs what the page shows.
TEST_F(SimulatedProgramWithStoredProfile, TheMouseGetsThePageWhenItsLinkComesUp) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->DeviceTabFlag(); }, kPatienceMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Mouse().preambles == 1; }, kPatienceMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page_->Page()->FullApplyPending(); }, kPatienceMs));
    EXPECT_EQ(Mouse().stageCode[1], 0x5A);  // 4500 DPI
    const int active = page_->Page()->Working().activeStage;
    EXPECT_EQ(active, 2) << "the stored stage 3 stays marked";
    EXPECT_EQ(Mouse().activeStage, active + 1) << "the mouse runs the stage the page marks";
    EXPECT_TRUE(
        dui::IsSelected(Control(("ms_1_option_dpi_step_" + std::to_string(active + 1)).c_str())));
}

// An edit reaches the store as its apply begins: a program killed during the seconds of
// reports and pauses (here the mouse acknowledges 1.2 s late) keeps it.
class SimulatedSlowProgram : public SimulatedProgramWithStoredProfile {
    const char* Scenario() const override { return "slowack"; }
};

TEST_F(SimulatedSlowProgram, ATypedDpiIsStoredBeforeItsApplyEnds) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->DeviceTabFlag(); }, kPatienceMs));
    // The stored profile goes to the mouse first, report by report.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !page_->Page()->FullApplyPending() && !ApplyRingShown(); }, 3 * kPatienceMs));
    // Typed into the box, then "Apply DPI" clicked: the box keeps the focus all along.
    auto* edit = Control<QLineEdit>("ms_1_edit_dpi_2");
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "4700");
    auto* apply = Control<QAbstractButton>("ms_1_btn_apply_dpi");
    QTest::mouseClick(apply, Qt::LeftButton);
    // Whether it came before the apply's end is what the ring says (the mouse acknowledges each
    // report 1.2 s late), so a slow machine may take its time to write it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return StoredStep(2) == 94; }, kPatienceMs));
    EXPECT_TRUE(ApplyRingShown()) << "stored while the apply is still under way";
    ASSERT_TRUE(QTest::qWaitFor([&] { return Mouse().stageCode[1] == 0x5E; }, kPatienceMs));
}

// The mouse on its cable: the monitor's 1539 and 1540 reach the page through the main window.
class SimulatedWiredProgram : public SimulatedProgram {
    const char* Scenario() const override { return "wired"; }
};

TEST_F(SimulatedWiredProgram, TheCableShowsChargesAndGoes) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->DeviceTabFlag(); }, kPatienceMs));
    EXPECT_TRUE(dui::IsVisible(Control("ms_1_wired")));
    EXPECT_FALSE(dui::IsVisible(Control("ms_1_wireless")));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Control<QLabel>("ms_1_label_power")->text() == "Charging"; }, kPatienceMs));

    // A change goes over the cable.
    Control<QAbstractButton>("ms_1_btn_prate_2")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Mouse().rateCode == 4; }, kPatienceMs));

    bus_->Cable()->Unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->DeviceTabFlag(); }, kPatienceMs));
    EXPECT_FALSE(dui::IsVisible(Control("ms_1_wired")));
    bus_->Cable()->Plug();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return dui::IsVisible(Control("ms_1_wired")); }, kPatienceMs));
}

// The mouse over Bluetooth LE: connected once its link can write, battery full until the
// mouse reports, no polling rate or debounce, and gone with its connection.
class SimulatedBleProgram : public SimulatedProgram {
    const char* Scenario() const override { return "ble"; }
};

TEST_F(SimulatedBleProgram, TheBluetoothMouseShowsTakesChangesAndGoes) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->DeviceTabFlag(); }, kPatienceMs));
    EXPECT_TRUE(dui::IsVisible(Control("ms_1_BLE")));
    EXPECT_FALSE(dui::IsVisible(Control("ms_1_wireless")));
    EXPECT_FALSE(dui::IsVisible(Control("ms_1_check_prate")));
    EXPECT_FALSE(dui::IsVisible(Control("ms_1_check_key_debounce")));
    auto* power = Control<QLabel>("ms_1_label_power");
    EXPECT_EQ(power->text(), "100%");
    // Subscribed two seconds after the connection: the level the mouse reports.
    ASSERT_TRUE(QTest::qWaitFor([&] { return power->text() == "80%"; }, kPatienceMs));

    Control<QAbstractButton>("ms_1_btn_reset_dpi")->click();  // the full first apply
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page_->Page()->FullApplyPending(); }, kPatienceMs));
    EXPECT_EQ(Mouse().preambles, 1);
    EXPECT_EQ(Mouse().stageCode[5], 0xD2);
    EXPECT_EQ(Mouse().rateCode, 0) << "no polling rate over Bluetooth";
    for (const auto& packet : bus_->ReceivedPackets())
        EXPECT_NE(packet.bytes[0], 0x16);

    bus_->Gatt()->Disconnect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->DeviceTabFlag(); }, kPatienceMs));
    EXPECT_FALSE(dui::IsVisible(Control("ms_1_BLE")));
    bus_->Gatt()->Connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->DeviceTabFlag(); }, kPatienceMs));
    EXPECT_TRUE(dui::IsVisible(Control("ms_1_BLE")));
}

// A receiver whose nodes belong to someone else: the empty page says which and what to do.
class SimulatedDeniedProgram : public SimulatedProgram {
    const char* Scenario() const override { return "no-access"; }
};

TEST_F(SimulatedDeniedProgram, TheEmptyPageSaysThePermissionIsMissing) {
    auto* hint = window_->Widget()->findChild<QLabel*>("empty_hint");
    ASSERT_NE(hint, nullptr);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return hint->text().contains("permission denied"); }, kPatienceMs))
        << hint->text().toStdString() << " / " << page_->AccessProblem();
    EXPECT_FALSE(window_->DeviceTabFlag());
    EXPECT_TRUE(hint->text().contains("hid#vid_1d57&pid_a001")) << hint->text().toStdString();
    EXPECT_TRUE(hint->text().contains("70-ms1.rules")) << hint->text().toStdString();
}

TEST(SimulatedProgramProcess, EndsCleanlyOnTerminationAndKeepsTheStores) {
    TestApp();
    QTemporaryDir runtime;
    QTemporaryDir data;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime.path());  // its own single-instance lock
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    for (const char* signal : {"term", "int"}) {
        SCOPED_TRACE(signal);
        QFile::remove(data.filePath("ms_1/pro.data"));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(ProgramFolder() + "/ms1", {"--simulate", "--data", data.path()});
        ASSERT_TRUE(program.waitForStarted(10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(data.filePath("ms_1/pro.data")); },
                                    kPatienceMs));
        if (std::string(signal) == "term") {
            program.terminate();
        } else {
            ::kill(static_cast<pid_t>(program.processId()), SIGINT);
        }
        ASSERT_TRUE(program.waitForFinished(kPatienceMs));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        ProfileStore profiles(data.path().toStdString());
        EXPECT_FALSE(profiles.LoadProfileStore(u"Profile", StoreMode::ReadOnly).freshStart);
        // No macro was made or changed, so the macro store was never written.
        EXPECT_FALSE(QFile::exists(data.filePath("ms_1/macro.data")));
    }
}

TEST(SimulatedProgramProcess, RefusesUnknownScenariosAndOptions) {
    TestApp();
    for (const QStringList& arguments :
         {QStringList{"--simulate=nosuch"}, QStringList{"--frobnicate"}}) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(environment);
        program.start(ProgramFolder() + "/ms1", arguments);
        ASSERT_TRUE(program.waitForFinished(kPatienceMs));
        EXPECT_EQ(program.exitCode(), 2);
        EXPECT_TRUE(program.readAllStandardError().contains("usage: ms1"));
    }
}

}  // namespace
}  // namespace ms1::test
