#include "app/Autostart.h"
#include "app/CMainWnd.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <thread>

#include "HookCallLog.h"
#include "TestResources.h"
#include "app/MainWndPage.h"
#include "platform/dui/ControlOps.h"
#include "ports/WindowMessages.h"
#include "protocol/WiredMessages.h"
#include "tests/support/QtTestApp.h"
#include "transport/DeviceAccessHint.h"

namespace ms1 {
namespace {

constexpr int kWaitMs = 5000;

// Records what the main window hands to its page.
class FakePage : public MainWndPage {
  public:
    void InitPage(CMainWnd& window) override {
        calls.push_back("InitPage");
        hostAtInit = window.PageHost();
        hooksAtInit = &window.Hooks();
    }
    void LoadProfiles() override { calls.push_back("LoadProfiles"); }
    void Notify(const dui::TNotify& notify) override { notifies.push_back(notify); }
    bool AnyConnected() const override { return anyConnected; }
    std::string AccessProblem() const override { return deniedNode; }
    bool ReceiverPluggedIn() const override { return receiverPluggedIn; }
    void OnButtonMenuCommand(const QString& name) override { menuCommands << name; }
    bool OnOtherMessage(const Message& message) override {
        others.push_back(message.number);
        if (message.number == MSG_WIRED_DATA)
            vendorStatus.push_back(WiredDataValue(message.wParam, message.lParam));
        if (message.number == MSG_WIRED_STATE)
            vendorStatus.push_back(WiredStateValue(message.wParam));
        return message.number == 0x219;  // say the page handles device changes
    }

    std::vector<std::string> calls;
    QWidget* hostAtInit = nullptr;
    const HookTable* hooksAtInit = nullptr;
    std::vector<dui::TNotify> notifies;
    bool anyConnected = false;
    std::string deniedNode;
    bool receiverPluggedIn = false;
    std::vector<std::uint32_t> vendorStatus;
    QStringList menuCommands;
    std::vector<std::uint32_t> others;
};

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        window_ =
            std::make_unique<CMainWnd>(ProgramSkins(), ProgramTexts(),
                                       CMainWnd::Options{ProgramFolder(), CMainWnd::Tray::Off});
        window_->RegisterPage(&page_);
        ASSERT_TRUE(window_->Create());
        window_->Widget()->show();
    }
    void TearDown() override { window_.reset(); }

    // Posts a message as another part of the program would and lets the window handle it.
    void PostAndHandle(std::uint32_t number, std::uintptr_t wParam, std::intptr_t lParam,
                       QString text = {}) {
        window_->Messages().Post(Message{number, wParam, lParam, std::move(text)});
        QCoreApplication::sendPostedEvents(&window_->Messages());
    }
    int Tab() const { return dui::SelectedTab(window_->FindControl("device_tab_switch")); }

    FakePage page_;
    std::unique_ptr<CMainWnd> window_;
};

TEST_F(MainWindowTest, SkinHasTheNamedControlsAndTheTitleComesFromTheLanguageFile) {
    for (const char* name : {"skin_btn", "main_menu_btn", "min_btn", "exit_btn", "apply_progress",
                             "device_tab_switch", "apply_ring"}) {
        EXPECT_NE(window_->FindControl(name), nullptr) << name;
    }
    EXPECT_EQ(window_->Widget()->windowTitle(), "MS-1 Gaming Mouse");
    EXPECT_EQ(window_->Widget()->size(), QSize(800, 572));
    EXPECT_FALSE(window_->Widget()->windowIcon().isNull());
    // The page was set up first and loaded its profiles last, with the host and hook table.
    EXPECT_EQ(page_.calls, (std::vector<std::string>{"InitPage", "LoadProfiles"}));
    EXPECT_EQ(page_.hostAtInit, window_->PageHost());
    EXPECT_EQ(page_.hooksAtInit, &window_->Hooks());
    EXPECT_EQ(Tab(), CMainWnd::kEmptyTab);
}

TEST_F(MainWindowTest, ConnectionChangeSelectsTheDeviceOrEmptyPageEveryTime) {
    page_.anyConnected = true;
    PostAndHandle(MSG_CONNECTION_CHANGED, 0, 0);
    EXPECT_EQ(Tab(), CMainWnd::kDeviceTab);
    EXPECT_TRUE(window_->DeviceTabFlag());

    page_.anyConnected = false;
    PostAndHandle(MSG_CONNECTION_CHANGED, 0, 0);
    EXPECT_EQ(Tab(), CMainWnd::kEmptyTab);
    EXPECT_FALSE(window_->DeviceTabFlag());

    // Selected although the empty page is already the current one: someone switched the tab
    // behind the window's back, and the message puts it right.
    dui::SelectTab(window_->FindControl("device_tab_switch"), CMainWnd::kDeviceTab);
    PostAndHandle(MSG_CONNECTION_CHANGED, 0, 0);
    EXPECT_EQ(Tab(), CMainWnd::kEmptyTab);
}

TEST_F(MainWindowTest, EmptyPageSaysWhyThereIsNoMouse) {
    struct Row {
        bool receiverPluggedIn;
        const char* deniedNode;
        const char* titleKey;
        const char* hintKey;
    };
    const Row rows[] = {
        {false, "", "no_device_text", "no_device_hint_text"},
        // The watchdog ended the 2.4 GHz link but the receiver is still there: asleep.
        {true, "", "mouse_silent_text", "mouse_silent_hint_text"},
        {false, "/dev/hidraw3", "no_device_text", "no_access_text"},
        {true, "/dev/hidraw3", "no_device_text", "no_access_text"},
        // And back: the receiver was pulled out while its mouse slept.
        {false, "", "no_device_text", "no_device_hint_text"},
    };
    const auto texts = ProgramTexts();
    auto* title = window_->FindControlAs<QLabel>("empty_title");
    auto* hint = window_->FindControlAs<QLabel>("empty_hint");
    ASSERT_NE(title, nullptr);
    ASSERT_NE(hint, nullptr);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hintKey);
        page_.receiverPluggedIn = row.receiverPluggedIn;
        page_.deniedNode = row.deniedNode;
        PostAndHandle(MSG_CONNECTION_CHANGED, 0, 0);
        EXPECT_EQ(Tab(), CMainWnd::kEmptyTab);
        EXPECT_EQ(title->text(), texts->Text(row.titleKey));
        const QString hintText = texts->Text(row.hintKey).replace("%s", row.deniedNode);
        EXPECT_TRUE(hint->text().startsWith(hintText)) << hint->text().toStdString();
    }
    // The two states are told apart in words, not only by key.
    EXPECT_NE(texts->Text("mouse_silent_hint_text"), texts->Text("no_device_hint_text"));
    EXPECT_TRUE(texts->Text("mouse_silent_hint_text").contains("receiver is plugged in"));
}

// The page shown when the receiver's node may not be opened gives the whole command that
// fixes it in a field of its own, wrapped and selectable, and a button that copies it.
TEST_F(MainWindowTest, TheAccessPageShowsTheWholeCommandAndCopiesIt) {
    const DeviceAccessHint advice = DeviceAccessHint::For(ProgramFolder().toStdString());
    if (advice.kind != DeviceAccessHint::Kind::InstallRule)
        GTEST_SKIP() << "the rule is installed on this machine: the page says to replug";
    auto* copy = window_->FindControlAs<QAbstractButton>("empty_copy_btn");
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(copy->isVisible());
    // The field is made when there is a command to show, not at start.
    EXPECT_EQ(window_->FindControlAs<QPlainTextEdit>("empty_command"), nullptr);

    page_.receiverPluggedIn = true;
    page_.deniedNode = "/dev/hidraw3";
    PostAndHandle(MSG_CONNECTION_CHANGED, 0, 0);
    auto* command = window_->FindControlAs<QPlainTextEdit>("empty_command");
    ASSERT_NE(command, nullptr);
    const QString expected = QString::fromStdString(advice.InstallCommand());
    EXPECT_TRUE(command->isVisible());
    EXPECT_EQ(command->size(), QSize(480, 66));
    EXPECT_EQ(command->accessibleName(), window_->Texts()->Text("acc_access_command_name"));
    // Tab goes from the field to its button (a new widget would otherwise be last in the chain).
    QWidget* next = command->nextInFocusChain();
    while (next != copy && !(next->isVisible() && (next->focusPolicy() & Qt::TabFocus)))
        next = next->nextInFocusChain();
    EXPECT_EQ(next, copy);
    EXPECT_EQ(command->toPlainText(), expected);
    EXPECT_TRUE(command->isReadOnly());
    EXPECT_TRUE(command->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_NE(command->lineWrapMode(), QPlainTextEdit::NoWrap);
    // All of it in view: no line runs past the field, no scrolling needed.
    QCoreApplication::processEvents();
    // Between the hint and the button.
    EXPECT_LT(window_->FindControl("empty_hint")->geometry().bottom(), command->geometry().top());
    EXPECT_LT(command->geometry().bottom(), copy->geometry().top());
    EXPECT_EQ(command->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(command->verticalScrollBar()->maximum(), 0) << expected.toStdString();
    // The hint names the node and no longer carries the command.
    auto* hint = window_->FindControlAs<QLabel>("empty_hint");
    EXPECT_TRUE(hint->text().contains("/dev/hidraw3"));
    EXPECT_FALSE(hint->text().contains("udevadm"));

    QGuiApplication::clipboard()->clear();
    EXPECT_EQ(copy->text(), "Copy the command");
    copy->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
    EXPECT_EQ(copy->text(), "Copied: paste it into a terminal");

    // The mouse's own hint has no command.
    page_.receiverPluggedIn = false;
    page_.deniedNode = "";
    PostAndHandle(MSG_CONNECTION_CHANGED, 0, 0);
    EXPECT_FALSE(command->isVisible());
    EXPECT_FALSE(copy->isVisible());
}

TEST_F(MainWindowTest, WiredMonitorMessagesFromAnotherThreadReachThePageInOrder) {
    const Ms1WindowHandle* handle = window_->Handle();
    std::thread monitor([handle] {
        Ms1PostMessage(handle, MSG_WIRED_STATE, 1, 0);
        Ms1PostMessage(handle, MSG_WIRED_DATA, 0x0158, 0x0300);
        Ms1PostMessage(handle, MSG_WIRED_STATE, 2, 0);
        Ms1PostMessage(handle, MSG_WIRED_STATE, 0, 0);
    });
    monitor.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page_.vendorStatus.size() == 4; }, kWaitMs));
    EXPECT_EQ(page_.vendorStatus,
              (std::vector<std::uint32_t>{0x7F000001, 0x01580300, 0x7F000000, 0x7F000002}));
}

TEST_F(MainWindowTest, MenuCommandsShowExitOrGoToTheButtonMenu) {
    PostAndHandle(MSG_MENU_CLICK, 1, 0, "ms_1_left_click");
    PostAndHandle(MSG_MENU_CLICK, 1, 0, "MS_1_left_click");
    PostAndHandle(MSG_MENU_CLICK, 0, 0, "ms_1_right_click");  // no record: ignored
    EXPECT_EQ(page_.menuCommands, QStringList{"ms_1_left_click"});

    window_->Widget()->hide();
    PostAndHandle(MSG_MENU_CLICK, 1, 0, "CONFIGURATION");
    EXPECT_TRUE(window_->Widget()->isVisible());
    EXPECT_FALSE(window_->IsDestroyed());

    QSignalSpy ended(window_.get(), &CMainWnd::Ended);
    PostAndHandle(MSG_MENU_CLICK, 1, 0, "Exit");
    EXPECT_TRUE(window_->IsDestroyed());
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(window_->Widget()->isVisible());
    // After the end nothing brings the window back.
    PostAndHandle(MSG_ACTIVATE_INSTANCE, 0, 0);
    EXPECT_FALSE(window_->Widget()->isVisible());
}

TEST_F(MainWindowTest, ActivationAndTrayClickShowAHiddenOrMinimisedWindow) {
    window_->Widget()->hide();
    PostAndHandle(MSG_ACTIVATE_INSTANCE, 0, 0);
    EXPECT_TRUE(window_->Widget()->isVisible());

    window_->Widget()->showMinimized();
    PostAndHandle(MSG_TRAY_ICON, 0, 514);
    EXPECT_TRUE(window_->Widget()->isVisible());
    EXPECT_FALSE(window_->Widget()->isMinimized());

    // Other tray mouse messages do nothing.
    window_->Widget()->hide();
    PostAndHandle(MSG_TRAY_ICON, 0, 513);
    EXPECT_FALSE(window_->Widget()->isVisible());
}

TEST_F(MainWindowTest, TrayMenuIsReplacedOnEveryRightClickAndItsItemsPostToTheWindow) {
    PostAndHandle(MSG_TRAY_ICON, 0, 517);
    ASSERT_NE(window_->TrayMenu(), nullptr);
    EXPECT_EQ(window_->TrayMenu()->ItemNames(),
              (QStringList{"configuration", "autostart", "exit"}));
    // "Start with the desktop" is ticked when the autostart entry is there.
    for (QAction* action : window_->TrayMenu()->Menu()->actions()) {
        if (action->objectName() == "autostart") {
            EXPECT_TRUE(action->isCheckable());
            EXPECT_EQ(action->isChecked(), Autostart::ForUser().IsEnabled());
        }
    }
    QPointer<QMenu> first = window_->TrayMenu()->Menu();

    PostAndHandle(MSG_TRAY_ICON, 0, 517);
    EXPECT_TRUE(first.isNull());  // the old menu is gone
    QMenu* menu = window_->TrayMenu()->Menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->actions().first()->text(), "Open configuration");

    // Clicking "exit" posts 1027 with the item's name, which ends the program.
    for (QAction* action : menu->actions()) {
        if (action->objectName() == "exit") {
            action->trigger();
        }
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->IsDestroyed(); }, kWaitMs));
}

TEST_F(MainWindowTest, ButtonsMinimiseAndPageNotificationsGoToThePage) {
    auto* exitButton = window_->FindControlAs<QAbstractButton>("exit_btn");
    ASSERT_NE(exitButton, nullptr);
    // Without a tray the close button minimises, so the window can still be reached.
    exitButton->click();
    EXPECT_TRUE(window_->Widget()->isMinimized());
    EXPECT_FALSE(window_->IsDestroyed());

    window_->ShowAndRaise();
    window_->FindControlAs<QAbstractButton>("min_btn")->click();
    EXPECT_TRUE(window_->Widget()->isMinimized());

    // Controls inside the page host belong to the virtual window of the page.
    EXPECT_TRUE(page_.notifies.empty());
    auto* inPage = window_->PageHost()->findChild<QLabel*>("device_placeholder");
    ASSERT_NE(inPage, nullptr);
    window_->RaiseNotify(inPage, "click");
    ASSERT_EQ(page_.notifies.size(), 1u);
    EXPECT_EQ(page_.notifies[0].virtualWindow, "MS_1_Page");
    EXPECT_EQ(page_.notifies[0].sender, "device_placeholder");

    // Once the page is unregistered its notifications go nowhere.
    window_->UnregisterPage();
    window_->RaiseNotify(inPage, "click");
    EXPECT_EQ(page_.notifies.size(), 1u);
}

TEST_F(MainWindowTest, MessagesOfTheTableAreHandledAndOthersAreNot) {
    for (std::uint32_t number : {1034u, 1129u, 1130u, 1537u, 1538u, 1542u, 5121u}) {
        EXPECT_TRUE(window_->Messages().Send({number, 0, 0, {}})) << number;
    }
    EXPECT_FALSE(window_->Messages().Send({1026, 0, 0, {}}));
    EXPECT_FALSE(window_->Messages().Send({1536, 0, 0, {}}));  // a thread message, not the window's
    // Messages without a rule are offered to the page, and only those.
    EXPECT_TRUE(window_->Messages().Send({0x219, 0, 0, {}}));
    EXPECT_EQ(page_.others, (std::vector<std::uint32_t>{1026, 1536, 0x219}));
}

}  // namespace
}  // namespace ms1

namespace ms1 {
namespace {

TEST(MainWindowTrayTest, CloseButtonHidesToTheTrayAndATrayClickBringsItBack) {
    TestApp();
    FakePage page;
    CMainWnd window(ProgramSkins(), ProgramTexts(),
                    CMainWnd::Options{ProgramFolder(), CMainWnd::Tray::Always});
    window.RegisterPage(&page);
    ASSERT_TRUE(window.Create());
    ASSERT_TRUE(window.HasTray());
    EXPECT_EQ(window.TrayIcon()->toolTip(), "MS-1 Gaming Mouse");
    EXPECT_FALSE(window.TrayIcon()->icon().isNull());
    window.ShowAndRaise();

    window.FindControlAs<QAbstractButton>("exit_btn")->click();
    EXPECT_FALSE(window.Widget()->isVisible());
    EXPECT_FALSE(window.IsDestroyed());  // the program keeps running

    // The tray icon reports a left click as message 1025 with 514.
    emit window.TrayIcon()->activated(QSystemTrayIcon::Trigger);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Widget()->isVisible(); }, kWaitMs));

    // A right click opens the tray menu.
    emit window.TrayIcon()->activated(QSystemTrayIcon::Context);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.TrayMenu() != nullptr; }, kWaitMs));
}

}  // namespace
}  // namespace ms1

namespace ms1 {
namespace {

TEST(MainWindowHookTest, ClosingTheWindowEndsTheProgramAndRemovesBothHooks) {
    TestApp();
    HookCallLog log(TestLibraryFolder("full"));
    log.Reset();
    FakePage page;
    CMainWnd window(ProgramSkins(), ProgramTexts(),
                    CMainWnd::Options{TestLibraryFolder("full"), CMainWnd::Tray::Off});
    window.RegisterPage(&page);
    ASSERT_TRUE(window.Create());
    // The table the page got at initialisation is filled once the window has shown its first
    // frame: nothing can ask for a capture before the user sees the window.
    ASSERT_NE(page.hooksAtInit, nullptr);
    EXPECT_EQ(page.hooksAtInit->installhook, nullptr);
    window.ShowAndRaise();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.hooksAtInit->installhook != nullptr; }, kWaitMs));
    EXPECT_NE(page.hooksAtInit->mousewheelenable, nullptr);

    QSignalSpy ended(&window, &CMainWnd::Ended);
    window.Widget()->close();  // as the window manager would
    EXPECT_TRUE(window.IsDestroyed());
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(log.Calls(), "removemousehook;removehook;");
    EXPECT_EQ(window.Hooks().removehook, nullptr);
}

}  // namespace
}  // namespace ms1
