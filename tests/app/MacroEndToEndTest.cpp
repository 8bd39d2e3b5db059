// A macro from the editor to the mouse, the whole way: recorded in the real editor from
// events the hook library posts, stored, given to button 3 with the macro selection dialog and
// sent to the virtual mouse.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/CMainWnd.h"
#include "app/MouseDeviceSession.h"
#include "app/MousePageWindow.h"
#include "sim/VirtualHidBus.h"
#include "tests/app/HookCallLog.h"
#include "tests/support/ModalActions.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "ui/page/CMS_1_Page.h"

namespace ms1::test {
namespace {

constexpr int kPatienceMs = 15000;

// The stand-in library's way in: it posts an event to the window it was given.
class PostingHook {
  public:
    PostingHook()
        : handle_(dlopen((TestLibraryFolder("posting") + "/libHook.so").toLocal8Bit().constData(),
                         RTLD_NOW)) {}
    ~PostingHook() {
        if (handle_ != nullptr)
            dlclose(handle_);
    }
    bool Post(std::uintptr_t code, std::intptr_t kind) const {
        auto post = handle_ != nullptr ? reinterpret_cast<int (*)(std::uintptr_t, std::intptr_t)>(
                                             dlsym(handle_, "hook_test_post"))
                                       : nullptr;
        return post != nullptr && post(code, kind) == 1;
    }

  private:
    void* handle_;
};

TEST(MacroEndToEnd, RecordedMacroOnButton3ReachesTheVirtualMouse) {
    TestApp();
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    PostingHook hook;
    auto session = MouseDeviceSession::Create("receiver");
    ASSERT_NE(session, nullptr);
    sim::VirtualHidBus* bus = session->VirtualBus();
    MousePageWindow page(data.path().toStdString(), std::move(session));
    CMainWnd window(Skins(), Texts(),
                    CMainWnd::Options{TestLibraryFolder("posting"), CMainWnd::Tray::Off});
    window.RegisterPage(&page);
    ASSERT_TRUE(window.Create());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.DeviceTabFlag(); }, kPatienceMs));
    page.PageWidget()->findChild<QAbstractButton*>("ms_1_btn_reset_dpi")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.Page()->FullApplyPending(); }, kPatienceMs));

    // In the editor: record A and a left click with a default delay of 200 ms, then close.
    bool recorded = false;
    WhenModal([&](QWidget* editor) {
        Click(editor, "ms_1_default_delay_btn");
        editor->findChild<QLineEdit*>("ms_1_default_delay_edit")->setText("200");
        Click(editor, "ms_1_macro_record_btn");  // no macro yet: Macro1 is made
        // The left click goes to another window: the pointer is away from the editor.
        QCursor::setPos(editor->frameGeometry().bottomRight() + QPoint(50, 50));
        for (auto [code, kind] : {std::pair{0x41, 0}, {0x41, 0}, {0x41, 1}, {0x201, 0}, {0x202, 0}})
            EXPECT_TRUE(hook.Post(code, kind));
        auto* actions = editor->findChild<QListWidget*>("ms_1_macro_action_list");
        recorded = QTest::qWaitFor([&] { return actions->count() == 4; }, kPatienceMs);
        Click(editor, "ms_1_macro_record_btn");
        EXPECT_FALSE(hook.Post(0x42, 0));  // the hook is gone with the recording
        Click(editor, "btn_exit");
    });
    page.PageWidget()->findChild<QAbstractButton*>("ms_1_btn_macro")->click();
    ASSERT_TRUE(recorded);

    // macro.data as written out by hand: the name, repeat 0, 4 actions, then zeros.
    QFile file(data.filePath("ms_1/macro.data"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray stored = file.readAll();
    QByteArray expected(856, '\0');
    const char head[] = {'M', 0, 'a', 0, 'c', 0, 'r', 0, 'o', 0, '1', 0};
    std::copy(std::begin(head), std::end(head), expected.begin());
    expected[52] = 4;
    const unsigned char actions[] = {0x04, 0x01, 0xC8, 0x00, 0x04, 0x02, 0xC8, 0x00,
                                     0xF1, 0x01, 0xC8, 0x00, 0xF1, 0x02, 0x0A, 0x00};
    std::copy(std::begin(actions), std::end(actions), expected.begin() + 56);
    EXPECT_EQ(stored.toHex(), expected.toHex());

    // Button 3 gets it in the selection dialog; the mouse gets the map and page 11.
    WhenModal([](QWidget* dialog) {
        auto* list = dialog->findChild<QListWidget*>("list_macro");
        ASSERT_EQ(list->count(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        Click(dialog, "btn_ok");
    });
    page.PageWidget()->findChild<QAbstractButton*>("ms_1_btn_key_3")->click();
    page.OnButtonMenuCommand("ms_1_select_macro");
    const std::array<std::uint8_t, 3> macroOnButton3 = {0x12, 0x00, 0x0B};
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const sim::MouseSettings mouse = bus->Settings(0);
            return mouse.buttons[2] == macroOnButton3 && mouse.macroPages.count(11) == 1;
        },
        kPatienceMs));
    const sim::StoredMacroPage sent = bus->Settings(0).macroPages.at(11);
    // Page 11, mode 0, played once, 7 units: 200 ms is 1 ms and 2 x 100 ms (a 0x03 unit).
    const std::uint8_t expectedPage[] = {0x19, 0x83, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x01,
                                         0x07, 0x01, 0x04, 0x02, 0x03, 0x81, 0x04, 0x02,
                                         0x03, 0x01, 0xF1, 0x02, 0x03, 0x8A, 0xF1, 0x00};
    EXPECT_EQ(std::memcmp(sent.data(), expectedPage, sizeof expectedPage), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.Page()->FullApplyPending(); }, kPatienceMs));

    // The editor opened and closed without a change, then opened again: the macro renamed
    // (typed, Enter) and a right click added at its end. Button 3 keeps the macro under its new
    // name, and the mouse gets the button map (the entries hold the name) and the macro's page,
    // nothing else: four packets.
    const std::size_t packets = bus->ReceivedPackets().size();
    WhenModal([](QWidget* editor) { Click(editor, "btn_exit"); });
    page.PageWidget()->findChild<QAbstractButton*>("ms_1_btn_macro")->click();
    WhenModal([](QWidget* editor) {
        editor->findChild<QListWidget*>("ms_1_macro_list")->setCurrentRow(0);
        auto* name = editor->findChild<QLineEdit*>("ms_1_macro_name_edit");
        name->selectAll();
        QTest::keyClicks(name, "Greeting");
        QTest::keyClick(name, Qt::Key_Return);
        Click(editor, "ms_1_macro_insert_mouse_btn");
        Click(editor, "ms_1_macro_key2_btn");
        Click(editor, "btn_exit");
    });
    page.PageWidget()->findChild<QAbstractButton*>("ms_1_btn_macro")->click();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const sim::MouseSettings mouse = bus->Settings(0);
            return mouse.buttons[2] == macroOnButton3 && mouse.macroPages.count(11) == 1 &&
                   mouse.macroPages.at(11) != sent;
        },
        kPatienceMs));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return bus->ReceivedPackets().size() >= packets + 4; }, kPatienceMs));
    EXPECT_EQ(bus->ReceivedPackets().size(), packets + 4);
    EXPECT_EQ(page.Page()->Working().button[2].macroName.get(), u"Greeting");
    EXPECT_EQ(page.Page()->Working().button[2].macroActionCount, 6);
    page.Shutdown();
    window.UnregisterPage();
}

}  // namespace
}  // namespace ms1::test
