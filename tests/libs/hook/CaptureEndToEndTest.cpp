// The program's windows with the real libHook.so on an X server of the test's own (Xvfb):
// keys typed there with XTest reach the shortcut dialog and the macro editor, and without a
// display the dialog says why it cannot capture.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>

#include "app/CMainWnd.h"
#include "app/MouseDeviceSession.h"
#include "app/MousePageWindow.h"
#include "libs/hook/CaptureChoice.h"
#include "libs/hook/EvdevCapture.h"
#include "tests/app/TestResources.h"
#include "tests/libs/hook/XTestTypist.h"
#include "tests/support/ModalActions.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "ui/page/CMS_1_Page.h"

namespace ms1::test {
namespace {

constexpr int kPatienceMs = 20000;
constexpr unsigned kKeyA = 38;  // X key codes: evdev code + 8
constexpr unsigned kKeyB = 56;

// The main window and the mouse page against the virtual receiver, with the hook library of
// the program folder.
class CaptureEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(data_.isValid());
        auto session = MouseDeviceSession::Create("receiver");
        ASSERT_NE(session, nullptr);
        page_ = std::make_unique<MousePageWindow>(data_.path().toStdString(), std::move(session));
        window_ = std::make_unique<CMainWnd>(
            Skins(), Texts(), CMainWnd::Options{ProgramFolder(), CMainWnd::Tray::Off});
        window_->RegisterPage(page_.get());
        ASSERT_TRUE(window_->Create());
        ASSERT_TRUE(QTest::qWaitFor([&] { return window_->DeviceTabFlag(); }, kPatienceMs));
    }
    void TearDown() override {
        if (page_ != nullptr)
            page_->Shutdown();
        if (window_ != nullptr)
            window_->UnregisterPage();
    }
    void OpenShortcutDialog() {
        page_->PageWidget()->findChild<QAbstractButton*>("ms_1_btn_key_3")->click();
        page_->OnButtonMenuCommand("ms_1_shortcut");
    }

    QTemporaryDir data_;
    std::unique_ptr<MousePageWindow> page_;
    std::unique_ptr<CMainWnd> window_;
    hook::test::XTestTypist typist_;
};

TEST_F(CaptureEndToEnd, TheShortcutDialogsKeyFieldShowsAKeyTypedOnTheXServer) {
    ASSERT_TRUE(typist_.Ready()) << "runs under xvfb-run (tests/run_under_xvfb)";
    bool shown = false;
    WhenModal([&](QWidget* dialog) {
        auto* field = dialog->findChild<QLineEdit*>("edit_key");
        ASSERT_NE(field, nullptr);
        EXPECT_TRUE(field->isEnabled());
        dialog->activateWindow();
        field->setFocus(Qt::MouseFocusReason);
        // Typed again until it shows: the capture starts listening a moment after the focus.
        shown = QTest::qWaitFor(
            [&] {
                typist_.Key(kKeyB, true);
                typist_.Key(kKeyB, false);
                return field->text() == "B";
            },
            kPatienceMs);
        Click(dialog, "btn_cancel");
    });
    OpenShortcutDialog();
    EXPECT_TRUE(shown);
}

TEST_F(CaptureEndToEnd, TheMacroEditorRecordsKeysAndButtonsTypedOnTheXServer) {
    ASSERT_TRUE(typist_.Ready()) << "runs under xvfb-run (tests/run_under_xvfb)";
    bool recorded = false;
    WhenModal([&](QWidget* editor) {
        Click(editor, "ms_1_macro_record_btn");  // no macro yet: Macro1 is made
        auto* actions = editor->findChild<QListWidget*>("ms_1_macro_action_list");
        // A held key repeats its press, and the editor takes it once: pressed until it shows.
        const bool pressed = QTest::qWaitFor(
            [&] {
                typist_.Key(kKeyA, true);
                return actions->count() == 1;
            },
            kPatienceMs);
        typist_.Key(kKeyA, false);
        // The click goes to another window: the pointer is away from the editor.
        QCursor::setPos(editor->frameGeometry().bottomRight() + QPoint(50, 50));
        typist_.Button(1, true);
        typist_.Button(1, false);
        recorded = pressed && QTest::qWaitFor([&] { return actions->count() == 4; }, kPatienceMs);
        Click(editor, "ms_1_macro_record_btn");
        Click(editor, "btn_exit");
    });
    page_->PageWidget()->findChild<QAbstractButton*>("ms_1_btn_macro")->click();
    ASSERT_TRUE(recorded);

    // macro.data as written out by hand: A down and up, left button down and up, each with
    // the default delay of 10 ms.
    QFile file(data_.filePath("ms_1/macro.data"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray stored = file.readAll();
    ASSERT_GE(stored.size(), 72);
    const unsigned char actions[] = {0x04, 0x01, 0x0A, 0x00, 0x04, 0x02, 0x0A, 0x00,
                                     0xF1, 0x01, 0x0A, 0x00, 0xF1, 0x02, 0x0A, 0x00};
    EXPECT_EQ(stored.mid(52, 1).toHex(), "04");
    EXPECT_EQ(stored.mid(56, 16).toHex(),
              QByteArray(reinterpret_cast<const char*>(actions), sizeof actions).toHex());
}

TEST_F(CaptureEndToEnd, WithoutADisplayOrInputDevicesTheDialogShowsTheLibrarysReason) {
    if (hook::EvdevCapture::OpenDevices("/dev/input") != nullptr)
        GTEST_SKIP() << "this machine lets us read input devices";
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    QString text;
    bool enabled = true;
    WhenModal([&](QWidget* dialog) {
        auto* field = dialog->findChild<QLineEdit*>("edit_key");
        ASSERT_NE(field, nullptr);
        text = field->text();
        enabled = field->isEnabled();
        Click(dialog, "btn_cancel");
    });
    OpenShortcutDialog();
    qputenv("DISPLAY", display);
    if (!wayland.isEmpty())
        qputenv("WAYLAND_DISPLAY", wayland);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(text, QString::fromLatin1(hook::kNoDisplayNoInput));
}

}  // namespace
}  // namespace ms1::test
