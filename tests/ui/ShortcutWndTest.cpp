#include "ui/dialogs/qt/CShortcutWnd.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QTest>
#include <string>
#include <thread>
#include <vector>

#include "core/ProfileRecord.h"
#include "platform/keyboard/XkbKeyboardLayout.h"
#include "tests/support/TableTexts.h"
#include "ui/DialogTestEnv.h"
#include "ui/dialogs/FunctionChoice.h"
#include "ui/dialogs/qt/FunctionDialogs.h"

namespace ms1 {
namespace {

// A stand-in for libHook.so: it records every call and, like the library, keeps the window
// handle from installhook until removehook. Plain C functions cannot carry a context, so the
// record is file-wide and each test starts it afresh.
struct FakeHookLibrary {
    std::vector<std::string> calls;
    const Ms1WindowHandle* window = nullptr;
};
FakeHookLibrary gHook;

extern "C" int FakeInstallHook(const Ms1WindowHandle* window) {
    gHook.calls.push_back("installhook");
    gHook.window = window;
    return 1;
}
extern "C" int FakeRemoveHook() {
    gHook.calls.push_back("removehook");
    gHook.window = nullptr;
    return 1;
}
extern "C" int FakeEnableHook(int flag) {
    gHook.calls.push_back("enablehook(" + std::to_string(flag) + ")");
    return 1;
}
extern "C" int FakeMouseCall() {
    gHook.calls.push_back("mouse hook call");
    return 1;
}
extern "C" int FakeMouseFlag(int) {
    gHook.calls.push_back("mouse hook call");
    return 1;
}

HookTable FullTable() {
    return HookTable{FakeMouseCall,  FakeMouseCall,  FakeMouseFlag, FakeInstallHook,
                     FakeRemoveHook, FakeEnableHook, FakeMouseFlag};
}

// What the library does on a key event: post 1034 to the installed window.
void HookPostsKey(std::uintptr_t virtualKey, bool release) {
    ASSERT_NE(gHook.window, nullptr) << "no window installed";
    Ms1PostMessage(gHook.window, 1034, virtualKey, release ? 1 : 0);
}

class ShortcutWnd : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { us_ = XkbKeyboardLayout::FromNames("us").release(); }
    static void TearDownTestSuite() { delete us_; }
    void SetUp() override {
        ASSERT_NE(us_, nullptr) << "xkb data (xkb-data) is missing";
        gHook = {};
    }

    void Open(const HookTable& table, std::uint8_t key, std::uint8_t modifiers) {
        texts_ = dialogtest::Texts();
        dialog_ =
            std::make_unique<CShortcutWnd>(dialogtest::Skins(), texts_, table, *us_, keyTexts_);
        dialog_->ctrlFlag = modifiers & 1;
        dialog_->shiftFlag = (modifiers >> 1) & 1;
        dialog_->altFlag = (modifiers >> 2) & 1;
        dialog_->winFlag = (modifiers >> 3) & 1;
        dialog_->shortcutKey = key;
        ASSERT_TRUE(dialog_->Create()) << "shortcut.xml missing";
        edit_ = dialog_->FindControlAs<QLineEdit>("edit_key");
        ASSERT_NE(edit_, nullptr);
    }
    QCheckBox* Box(int n) {
        return dialog_->FindControlAs<QCheckBox>(QString("check_flag_%1").arg(n));
    }
    void FocusKeyField() { dialog_->RaiseNotify(edit_, "setfocus"); }
    void LeaveKeyField() { dialog_->RaiseNotify(edit_, "killfocus"); }
    static void DeliverPosted() { QCoreApplication::sendPostedEvents(); }

    static XkbKeyboardLayout* us_;
    test::TableTexts keyTexts_;  // every key as its own text
    std::shared_ptr<const dui::LanguageTexts> texts_;
    // The dialog keeps a reference to its hook table, so both tables are members declared
    // before it: they outlive the dialog of every test, also one left open at its end.
    HookTable table_ = FullTable();
    const HookTable noLibrary_{};
    std::unique_ptr<CShortcutWnd> dialog_;
    QLineEdit* edit_ = nullptr;
};
XkbKeyboardLayout* ShortcutWnd::us_ = nullptr;

TEST_F(ShortcutWnd, ShowsTheButtonsModifiersAndKey) {
    Open(table_, 0x06, 0b1010);  // Shift + Win + C
    EXPECT_FALSE(Box(1)->isChecked());
    EXPECT_TRUE(Box(2)->isChecked());
    EXPECT_FALSE(Box(3)->isChecked());
    EXPECT_TRUE(Box(4)->isChecked());
    EXPECT_EQ(edit_->text(), "C");
    EXPECT_TRUE(edit_->isEnabled());
    EXPECT_EQ(dialog_->Widget()->windowTitle(), "Keyboard shortcut");
    // Nothing is hooked before the key field has the focus.
    EXPECT_TRUE(gHook.calls.empty());
}

TEST_F(ShortcutWnd, CheckBoxesSetTheirFlags) {
    Open(table_, 0, 0b0001);
    Box(1)->click();
    Box(3)->click();
    EXPECT_EQ(dialog_->ctrlFlag, 0);
    EXPECT_EQ(dialog_->altFlag, 1);
    Box(2)->click();
    Box(4)->click();
    EXPECT_EQ(dialog_->shiftFlag, 1);
    EXPECT_EQ(dialog_->winFlag, 1);
    Box(4)->click();
    EXPECT_EQ(dialog_->winFlag, 0);
}

TEST_F(ShortcutWnd, HooksKeysOnlyWhileTheKeyFieldHasTheFocus) {
    Open(table_, 0, 0);
    FocusKeyField();
    EXPECT_EQ(gHook.calls, (std::vector<std::string>{"installhook", "enablehook(1)"}));
    ASSERT_NE(gHook.window, nullptr);
    LeaveKeyField();
    EXPECT_EQ(gHook.calls, (std::vector<std::string>{"installhook", "enablehook(1)", "removehook",
                                                     "enablehook(0)"}));
    EXPECT_EQ(gHook.window, nullptr);
}

// A captured key may be part of a password: with every diagnostic switched on, none is
// written while keys arrive.
TEST_F(ShortcutWnd, CapturedKeysNeverReachTheDiagnostics) {
    static std::vector<QString> logged;
    logged.clear();
    QLoggingCategory::setFilterRules("ms1.debug=true");
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext& context, const QString& text) {
            if (context.category != nullptr && QByteArray(context.category) == "ms1")
                logged.push_back(text);
        });
    Open(table_, 0, 0);
    FocusKeyField();
    HookPostsKey(0x43, false);
    HookPostsKey(0x43, true);
    DeliverPosted();
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules("ms1.debug=false");
    EXPECT_EQ(dialog_->shortcutKey, 0x06);
    EXPECT_EQ(logged, std::vector<QString>{});
}

// What a person types into the key field, as the library reports it: each key as
// (virtual key, released), and the key and boxes the dialog shows after it.
TEST_F(ShortcutWnd, HeldModifiersTickTheirBoxesAndAModifierAloneIsTheKey) {
    struct Event {
        std::uintptr_t key;
        bool release;
    };
    struct Row {
        const char* what;
        std::vector<Event> events;
        std::uint8_t key;
        const char* shown;
        std::uint8_t boxes;  // bit 0 Ctrl ... bit 3 Win
    };
    const Row rows[] = {
        {"Ctrl+K", {{0xA2, false}, {0x4B, false}, {0x4B, true}, {0xA2, true}}, 0x0E, "K", 0b0001},
        {"Ctrl released before K",
         {{0xA2, false}, {0x43, false}, {0xA2, true}, {0x43, true}},
         0x06,
         "C",
         0b0001},
        {"right Ctrl+Shift+F1",
         {{0xA3, false}, {0xA1, false}, {0x70, false}, {0x70, true}, {0xA1, true}, {0xA3, true}},
         0x3A,
         "key_F1",
         0b0011},
        {"Win+Alt+D",
         {{0x5B, false}, {0xA4, false}, {0x44, false}, {0x44, true}},
         0x07,
         "D",
         0b1100},
        // A key pressed alone leaves the boxes as they were ticked.
        {"A alone", {{0x41, false}, {0x41, true}}, 0x04, "A", 0b0000},
        // Pressed and released with no other key: Left Ctrl is the key itself.
        {"Left Ctrl alone", {{0xA2, false}, {0xA2, true}}, 0xE0, "key_LCtrl", 0b0000},
        {"C, then Ctrl alone",
         {{0x43, false}, {0xA2, false}, {0x43, true}, {0xA2, true}},
         0xE0,
         "key_LCtrl",
         0b0000},
        // The generic Shift has no row of its own: no key.
        {"generic Shift alone", {{0x10, false}, {0x10, true}}, 0, "", 0b0000},
        // Tab, Shift+Tab and Esc leave the field; with Ctrl, Alt or Win held they are keys.
        {"Tab alone", {{0x09, false}, {0x09, true}}, 0, "", 0b0000},
        {"Shift+Tab", {{0xA0, false}, {0x09, false}, {0x09, true}, {0xA0, true}}, 0, "", 0b0000},
        {"Esc alone", {{0x1B, false}, {0x1B, true}}, 0, "", 0b0000},
        {"Alt+Tab",
         {{0xA4, false}, {0x09, false}, {0x09, true}, {0xA4, true}},
         0x2B,
         "key_Tab",
         0b0100},
        {"Ctrl+Esc",
         {{0xA2, false}, {0x1B, false}, {0x1B, true}, {0xA2, true}},
         0x29,
         "key_Esc",
         0b0001},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Open(table_, 0, 0);
        FocusKeyField();
        for (const Event& event : row.events)
            HookPostsKey(event.key, event.release);
        DeliverPosted();
        EXPECT_EQ(dialog_->shortcutKey, row.key);
        EXPECT_EQ(edit_->text(), row.shown);
        const std::uint8_t flags[4] = {dialog_->ctrlFlag, dialog_->shiftFlag, dialog_->altFlag,
                                       dialog_->winFlag};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(flags[i], (row.boxes >> i) & 1) << "box " << i + 1;
            EXPECT_EQ(Box(i + 1)->isChecked(), ((row.boxes >> i) & 1) != 0) << "box " << i + 1;
        }
        LeaveKeyField();
    }
}

TEST_F(ShortcutWnd, AKeyPressedAloneKeepsTheTickedBoxes) {
    Open(table_, 0x06, 0b0101);  // Ctrl + Alt + C, ticked by hand
    FocusKeyField();
    HookPostsKey(0x4B, false);
    HookPostsKey(0x4B, true);
    DeliverPosted();
    EXPECT_EQ(dialog_->shortcutKey, 0x0E);
    EXPECT_EQ(dialog_->ctrlFlag, 1);
    EXPECT_EQ(dialog_->altFlag, 1);
    EXPECT_TRUE(Box(1)->isChecked());
    EXPECT_TRUE(Box(3)->isChecked());
}

TEST_F(ShortcutWnd, MouseButtonEventsDoNotWipeTheCapturedKey) {
    Open(table_, 0, 0);
    FocusKeyField();
    HookPostsKey(0x41, false);
    Ms1PostMessage(gHook.window, 1034, 0x201, 0);  // left button down, on OK say
    Ms1PostMessage(gHook.window, 1034, 0x20C, 2);  // X button up
    DeliverPosted();
    EXPECT_EQ(dialog_->shortcutKey, 0x04);
    EXPECT_EQ(edit_->text(), "A");
}

// Letters typed into the field are for the capture alone; Tab and Esc do what they do in
// every dialog, so a keyboard user is never held in the field.
TEST_F(ShortcutWnd, KeysTypedIntoTheFieldAreTheCapturesButTabAndEscLeave) {
    Open(table_, 0x04, 0);
    QWidget* window = dialog_->Widget();
    window->show();
    QApplication::setActiveWindow(window);
    edit_->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit_->hasFocus(); }, 5000));
    QTest::keyClicks(edit_, "xyz");
    EXPECT_EQ(edit_->text(), "A");
    EXPECT_EQ(dialog_->shortcutKey, 0x04);

    QTest::keyClick(edit_, Qt::Key_Tab);
    EXPECT_FALSE(edit_->hasFocus()) << "Tab did not leave the key field";
    edit_->setFocus(Qt::TabFocusReason);
    QTest::keyClick(edit_, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible()) << "Esc in the key field did not close the dialog";
    EXPECT_EQ(dialog_->shortcutKey, 0x04);
}

TEST_F(ShortcutWnd, DestroyingTheDialogRemovesTheHookEvenWithTheFieldFocused) {
    Open(table_, 0, 0);
    FocusKeyField();
    gHook.calls.clear();
    dialog_.reset();
    ASSERT_FALSE(gHook.calls.empty());
    EXPECT_EQ(gHook.calls.front(), "removehook");
    EXPECT_EQ(gHook.window, nullptr);
}

TEST_F(ShortcutWnd, WithoutTheHookLibraryNothingIsCalledAndTheFieldSaysSo) {
    Open(noLibrary_, 0, 0);
    const QString note = texts_->Text("hook_unavailable_text");
    EXPECT_FALSE(dialog_->KeyCaptureAvailable());
    EXPECT_FALSE(edit_->isEnabled());
    EXPECT_EQ(edit_->text(), note);
    // Focus changes and destruction must not touch a null entry (that would crash here).
    FocusKeyField();
    LeaveKeyField();
    dialog_.reset();

    // A key the button already has stays visible, next to the note.
    Open(noLibrary_, 0x04, 0);
    EXPECT_TRUE(edit_->text().startsWith("A"));
    EXPECT_TRUE(edit_->text().contains(note));
    EXPECT_EQ(dialog_->shortcutKey, 0x04);
}

extern "C" const char* FakeCaptureStatus() {
    return "on Wayland, key capture needs read access to /dev/input";
}
extern "C" const char* FakeCaptureWorks() {
    return nullptr;
}

TEST_F(ShortcutWnd, TheLibrarysReasonReplacesTheGeneralNoteAndNothingIsHooked) {
    HookTable says = FullTable();
    says.capturestatus = FakeCaptureStatus;
    Open(says, 0x04, 0);
    EXPECT_FALSE(dialog_->KeyCaptureAvailable());
    EXPECT_FALSE(edit_->isEnabled());
    EXPECT_EQ(edit_->text(), "A - on Wayland, key capture needs read access to /dev/input");
    EXPECT_EQ(edit_->toolTip(), "on Wayland, key capture needs read access to /dev/input");
    FocusKeyField();
    EXPECT_EQ(gHook.calls, (std::vector<std::string>{}));
    dialog_.reset();
    gHook = {};

    // A library that can capture says nothing, and the field works.
    HookTable works = FullTable();
    works.capturestatus = FakeCaptureWorks;
    Open(works, 0x04, 0);
    EXPECT_TRUE(dialog_->KeyCaptureAvailable());
    EXPECT_EQ(edit_->text(), "A");
    FocusKeyField();
    EXPECT_EQ(gHook.calls, (std::vector<std::string>{"installhook", "enablehook(1)"}));
    dialog_.reset();
}

// The page's side: a FunctionChoiceUi whose shortcut dialog is the real one.
struct DialogUi : FunctionChoiceUi {
    dialogtest::OwnerWindow& owner;
    const HookTable& hooks;
    const KeyboardLayout& layout;
    int applies = 0;
    DialogUi(dialogtest::OwnerWindow& window, const HookTable& table, const KeyboardLayout& keys)
        : owner(window), hooks(table), layout(keys) {}
    void ShowWarning(std::string_view) override {}
    std::optional<ShortcutChoice> RunShortcutDialog(const ShortcutChoice& initial) override {
        return ShortcutDialogFor(owner, hooks, layout)(initial);
    }
    std::optional<MacroChoice> RunMacroDialog(const MacroList&, const MacroChoice&) override {
        return std::nullopt;
    }
    void RequestApply() override { ++applies; }
    void DrawButtonLabel(int) override {}
};

TEST_F(ShortcutWnd, RunsModallyAndHandsBackWhatWasCaptured) {
    dialogtest::OwnerWindow owner;
    ASSERT_TRUE(owner.Create());
    dialogtest::PressWhenShown("shortcut_wnd", "btn_ok", [](QWidget* dialog) {
        dialog->findChild<QCheckBox*>("check_flag_3")->click();
        // The user clicks into the key field and presses A; the library posts it from its
        // own thread.
        QApplication::setActiveWindow(dialog);
        dialog->findChild<QLineEdit*>("edit_key")->setFocus(Qt::MouseFocusReason);
        std::thread library([] { HookPostsKey(0x41, false); });
        library.join();
        QCoreApplication::sendPostedEvents();
    });
    const std::optional<ShortcutChoice> chosen =
        RunShortcutDialog(owner, table_, *us_, ShortcutChoice{true, false, false, false, 0x06});
    ASSERT_TRUE(chosen.has_value());
    EXPECT_TRUE(chosen->ctrl);
    EXPECT_TRUE(chosen->alt);
    EXPECT_FALSE(chosen->shift || chosen->win);
    EXPECT_EQ(chosen->key, 0x04);
    // Closing takes the focus from the field, and the dialog's end removes the hook again.
    EXPECT_EQ(gHook.calls, (std::vector<std::string>{"installhook", "enablehook(1)", "removehook",
                                                     "enablehook(0)", "removehook"}));

    dialogtest::PressWhenShown("shortcut_wnd", "btn_exit");
    EXPECT_FALSE(RunShortcutDialog(owner, table_, *us_, ShortcutChoice{}).has_value());
}

TEST_F(ShortcutWnd, OkWithNeitherKeyNorModifierKeepsTheButtonsFunction) {
    dialogtest::OwnerWindow owner;
    ASSERT_TRUE(owner.Create());
    DialogUi ui(owner, table_, *us_);
    auto profile = MakeZeroedProfile();
    ResetProfileToDefaults(*profile);
    profile->button[4].function = 0x03;

    dialogtest::PressWhenShown("shortcut_wnd", "btn_ok");
    OnFunctionChosen(*profile, 4, "ms_1_shortcut", MacroList{}, ui);
    EXPECT_EQ(profile->button[4].function, 0x03);
    EXPECT_EQ(profile->button[4].key, 0);
    EXPECT_EQ(profile->button[4].modifiers, 0);
    EXPECT_EQ(ui.applies, 0);

    // With a modifier ticked the same OK assigns the shortcut.
    dialogtest::PressWhenShown("shortcut_wnd", "btn_ok", [](QWidget* dialog) {
        dialog->findChild<QCheckBox*>("check_flag_1")->click();
    });
    OnFunctionChosen(*profile, 4, "ms_1_shortcut", MacroList{}, ui);
    EXPECT_EQ(profile->button[4].function, 0x10);
    EXPECT_EQ(profile->button[4].modifiers, 0x01);
    EXPECT_EQ(ui.applies, 1);
}

}  // namespace
}  // namespace ms1
