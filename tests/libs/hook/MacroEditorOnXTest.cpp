// The macro editor's window shown on an X server of the test's own, with the built libHook.so:
// the pointer is moved onto the editor's controls and clicked, and keys typed, with XTest, so
// the library sees the same clicks the window gets.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <memory>
#include <vector>

#include "platform/HookBinding.h"
#include "platform/keyboard/XkbKeyboardLayout.h"
#include "ports/WindowMessages.h"
#include "storage/MacroStore.h"
#include "tests/app/TestResources.h"
#include "tests/libs/hook/XTestTypist.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "ui/macro/MacroEditor.h"
#include "ui/macro/qt/CMS_1_Macro.h"

namespace ms1::test {
namespace {

constexpr int kPatienceMs = 20000;
constexpr unsigned kKeyC = 54;  // X key code: evdev code + 8
constexpr std::uint8_t kUsageC = 0x06;
constexpr std::uint8_t kLeft = 0xF1;
constexpr std::uint8_t kPress = 1;
constexpr std::uint8_t kRelease = 2;

// Mouse events the library posted to the editor's window, counted on their way: a click's
// press is known to be in the window's queue before its release is made.
std::atomic<int> g_mousePosts{0};
const Ms1WindowHandle* g_editorHandle = nullptr;
HookInstallFn g_realInstall = nullptr;

void CountingPost(void*, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == MSG_HOOK_EVENT && wParam >= 0x200)
        ++g_mousePosts;
    Ms1PostMessage(g_editorHandle, message, wParam, lParam);
}

const Ms1WindowHandle g_countingHandle{nullptr, &CountingPost};

int CountingInstall(const Ms1WindowHandle* window) {
    g_editorHandle = window;
    return g_realInstall(&g_countingHandle);
}

struct Action {
    std::uint8_t key;
    std::uint8_t direction;
    bool operator==(const Action&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Action& a) {
    return out << std::hex << "{0x" << int(a.key) << "," << int(a.direction) << "}";
}

class MacroEditorOnX : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Real windows on the X server, where the pointer can be over them.
        qputenv("QT_QPA_PLATFORM", "xcb");
        TestApp();
    }
    void SetUp() override {
        ASSERT_TRUE(typist_.Ready()) << "runs under xvfb-run (tests/run_under_xvfb)";
        ASSERT_TRUE(binding_.Load(ProgramFolder()));
        ASSERT_NE(binding_.Table().installhook, nullptr);
        table_ = binding_.Table();
        g_realInstall = table_.installhook;
        table_.installhook = &CountingInstall;
        layout_ = XkbKeyboardLayout::FromNames("us");
        ASSERT_TRUE(layout_);
    }
    void TearDown() override { window_.reset(); }

    // A store of two macros, "Keys" (empty) and "Other" (one key), and the editor over it
    // with "Keys" chosen.
    void Open(bool mouseEventPanel) {
        data_ = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(data_->isValid());
        store_ = std::make_unique<MacroStore>(data_->path().toStdString());
        store_->LoadMacroStore();
        {
            auto access = store_->Lock();
            access.Macros().push_back(MakeEmptyMacro(u"Keys"));
            MacroRecord other = MakeEmptyMacro(u"Other");
            other.actionCount = 1;
            other.actions[0] = {0x05, kPress, {}};
            access.Macros().push_back(other);
            ASSERT_TRUE(access.SaveMacroStore());
        }
        window_ = std::make_unique<CMS_1_Macro>(
            ProgramSkins(), ProgramTexts(),
            CMS_1_Macro::Deps{*store_, table_, *layout_, data_->path().toStdString()});
        ASSERT_TRUE(window_->Create());
        window_->Widget()->resize(CMS_1_Macro::kWidth, CMS_1_Macro::kHeight);
        window_->Widget()->move(100, 50);
        window_->Widget()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_->Widget()));
        Find<QListWidget>("ms_1_macro_list")->setCurrentRow(0);
        if (mouseEventPanel)
            Find<QAbstractButton>("ms_1_macro_insert_mouse_btn")->click();
    }
    template <typename T = QWidget>
    T* Find(const char* name) const {
        return window_->FindControlAs<T>(QString::fromLatin1(name));
    }
    void PointAt(QWidget* control, QPoint local) {
        const QPoint at = control->mapToGlobal(local);
        typist_.Move(at.x(), at.y());
    }
    // The left button pressed and released where the pointer is, as one click. While the
    // library captures, its press reaches the window's queue before the release is made.
    bool ClickHere(bool captured = true) {
        const int before = g_mousePosts.load();
        typist_.Button(1, true);
        const bool posted =
            !captured || QTest::qWaitFor([&] { return g_mousePosts.load() > before; }, kPatienceMs);
        QCoreApplication::processEvents();
        typist_.Button(1, false);
        return posted;
    }
    bool Click(QWidget* control, bool captured = true) {
        PointAt(control, control->rect().center());
        return ClickHere(captured);
    }
    // "c" typed: held until the editor has its press (the capture starts listening a moment
    // after the recording), then released.
    bool TypeC() {
        auto* actions = Find<QListWidget>("ms_1_macro_action_list");
        const bool pressed = QTest::qWaitFor(
            [&] {
                typist_.Key(kKeyC, true);
                return actions->count() == 1;
            },
            kPatienceMs);
        typist_.Key(kKeyC, false);
        return pressed && QTest::qWaitFor([&] { return actions->count() == 2; }, kPatienceMs);
    }
    std::vector<Action> Stored(int index) const {
        MacroStore reread(data_->path().toStdString());
        reread.LoadMacroStore(StoreMode::ReadOnly);
        const MacroRecord macro = reread.Lock().Macros().at(static_cast<std::size_t>(index));
        std::vector<Action> actions;
        for (int i = 0; i < macro.actionCount; ++i)
            actions.push_back({macro.actions[i].key, macro.actions[i].direction});
        return actions;
    }

    hook::test::XTestTypist typist_;
    HookBinding binding_;
    HookTable table_;
    std::unique_ptr<XkbKeyboardLayout> layout_;
    std::unique_ptr<QTemporaryDir> data_;
    std::unique_ptr<MacroStore> store_;
    std::unique_ptr<CMS_1_Macro> window_;
};

// Record clicked, "c" typed, then a control that ends the recording clicked: none of the
// clicks is in the macro, whichever control and whether or not the pointer moved onto it
// after the recording began.
TEST_F(MacroEditorOnX, AClickOnTheEditorsOwnControlsIsNeverRecorded) {
    const std::vector<Action> justC = {{kUsageC, kPress}, {kUsageC, kRelease}};
    struct Case {
        const char* control;
        // The pointer leaves Record after the click that starts, and comes to the control.
        bool moves;
        bool mouseEventPanel;
        std::vector<Action> stored;
    } cases[] = {
        {"ms_1_macro_record_btn", false, false, justC},
        {"ms_1_macro_record_btn", true, false, justC},
        {"ms_1_macro_add_btn", true, false, justC},
        {"ms_1_macro_list", true, false, justC},
        {"btn_exit", true, false, justC},
        // These act on the macro once the recording has stopped.
        {"ms_1_macro_up_btn", true, false, {{kUsageC, kRelease}, {kUsageC, kPress}}},
        {"ms_1_macro_down_btn", true, false, justC},
        {"ms_1_macro_delete_action_btn", true, false, {{kUsageC, kPress}}},
        {"ms_1_macro_key1_btn",
         true,
         true,
         {{kUsageC, kPress}, {kUsageC, kRelease}, {kLeft, kPress}, {kLeft, kRelease}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + (c.moves ? ", pointer moved" : ""));
        Open(c.mouseEventPanel);
        auto* record = Find("ms_1_macro_record_btn");
        ASSERT_TRUE(Click(record, false));
        ASSERT_TRUE(QTest::qWaitFor([&] { return window_->Editor()->Recording(); }, kPatienceMs));
        if (c.moves)
            PointAt(window_->Widget(), {5, 5});
        ASSERT_TRUE(TypeC());
        QWidget* control = Find(c.control);
        ASSERT_NE(control, nullptr);
        if (std::string(c.control) == "ms_1_macro_list") {
            auto* list = static_cast<QListWidget*>(control);
            PointAt(list->viewport(), list->visualItemRect(list->item(1)).center());
            ASSERT_TRUE(ClickHere());
        } else {
            ASSERT_TRUE(c.moves ? Click(control) : ClickHere());
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->Editor()->Recording(); }, kPatienceMs));
        EXPECT_EQ(Stored(0), c.stored);
        window_.reset();
        store_.reset();
    }
}

}  // namespace
}  // namespace ms1::test
