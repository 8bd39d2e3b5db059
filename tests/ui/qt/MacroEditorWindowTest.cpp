// The macro editor's window with the real skins, offscreen: the names the program relies on,
// and recording through the window with a stand-in hook library.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include "platform/HookBinding.h"
#include "platform/keyboard/XkbKeyboardLayout.h"
#include "ports/WindowMessages.h"
#include "storage/MacroStore.h"
#include "tests/app/HookCallLog.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "ui/macro/MacroEditor.h"
#include "ui/macro/MacroEditorNames.h"
#include "ui/macro/qt/CMS_1_Macro.h"
#include "ui/macro/qt/DuiMacroControls.h"

namespace ms1::test {
namespace {

const char* const kControls[] = {
    "btn_exit",
    "ms_1_macro_list",
    "ms_1_macro_name_edit",
    "ms_1_macro_add_btn",
    "ms_1_macro_delete_btn",
    "ms_1_macro_insert_mouse_btn",
    "ms_1_macro_record_btn",
    "ms_1_macro_action_list",
    "ms_1_record_delay_btn",
    "ms_1_default_delay_btn",
    "ms_1_no_delay_btn",
    "ms_1_default_delay_edit",
    "ms_1_macro_up_btn",
    "ms_1_macro_down_btn",
    "ms_1_macro_delete_action_btn",
    "ms_1_macro_clear_action_btn",
    "ms_1_macro_action_edit_check",
    "ms_1_macro_action_edit",
    "ms_1_macro_delay_edit",
    "ms_1_macro_action_edit_tab",
    "ms_1_macro_mouse_action_combo",
    "ms_1_macro_mouseaction_delay_edit",
    "ms_1_macro_import_btn",
    "ms_1_macro_export_btn",
    "ms_1_macro_name_tab",
    "ms_1_macro_mouse_event_tab",
    "ms_1_macro_key1_btn",
    "ms_1_macro_key2_btn",
    "ms_1_macro_key3_btn",
    "ms_1_macro_key4_btn",
    "ms_1_macro_key5_btn",
    "ms_1_macro_save_btn",
    "ms_1_macro_cancel_btn",
    "ms_1_macro_hook_note",
};

class MacroEditorWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(data_.isValid());
        layout_ = XkbKeyboardLayout::FromNames("us");
        ASSERT_TRUE(layout_);
        store_ = std::make_unique<MacroStore>(Folder());
        store_->LoadMacroStore();
    }
    std::filesystem::path Folder() const { return data_.path().toStdString(); }
    void Open(const HookTable& hooks) {
        window_ = std::make_unique<CMS_1_Macro>(
            Skins(), Texts(), CMS_1_Macro::Deps{*store_, hooks, *layout_, Folder()});
        ASSERT_TRUE(window_->Create());
        window_->Widget()->resize(CMS_1_Macro::kWidth, CMS_1_Macro::kHeight);
        window_->Widget()->show();
    }
    template <typename T = QWidget>
    T* Find(const char* name) const {
        return window_->FindControlAs<T>(QString::fromLatin1(name));
    }
    QString RowCell(int row, const char* sub) const {
        return window_->Controls()->RowText(macroui::kActionList, row, sub);
    }
    static void Deliver() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    QTemporaryDir data_;
    std::unique_ptr<XkbKeyboardLayout> layout_;
    std::unique_ptr<MacroStore> store_;
    std::unique_ptr<CMS_1_Macro> window_;
};

TEST_F(MacroEditorWindow, TheSkinsHoldEveryNameOnceAndTheLanguageFileItsTexts) {
    const HookTable none;
    Open(none);
    EXPECT_EQ(window_->Widget()->windowTitle(), "Macro editor");
    for (const char* name : kControls) {
        EXPECT_EQ(window_->Widget()->findChildren<QWidget*>(name).size(), 1) << name;
    }
    EXPECT_EQ(Find<QLineEdit>("ms_1_macro_name_edit")->maxLength(), 23);
    EXPECT_EQ(Find<QStackedWidget>("ms_1_macro_action_edit_tab")->count(), 3);

    dui::SkinLoader skins(ResourceFolder());
    std::unique_ptr<QWidget> row(skins.Load("keylistitem.xml", nullptr));
    ASSERT_NE(row, nullptr);
    for (const char* sub : {"key", "action", "delay"}) {
        EXPECT_EQ(row->findChildren<QLabel*>(sub).size(), 1) << sub;
    }

    const std::shared_ptr<dui::LanguageTexts> texts = Texts();
    for (const char* key : {"key_down_action", "key_up_action", "start_recording_text",
                            "stop_recording_text", "delete_macro_text", "warning_title_text",
                            "add_macro_text", "hook_unavailable_text", "Sleep", "Kana/Roma", "`"}) {
        EXPECT_TRUE(texts->Contains(key)) << key;
    }
    for (const char* picture : {"skins/mouse.png", "skins/keyboard_key_action.png",
                                "skins/macro_key_down.png", "skins/macro_key_up.png"}) {
        EXPECT_FALSE(QPixmap(QDir(ResourceFolder()).filePath(picture)).isNull()) << picture;
    }

    // No hook library: no recording, no key capture, and a line that says why.
    EXPECT_FALSE(Find("ms_1_macro_record_btn")->isEnabled());
    EXPECT_FALSE(Find("ms_1_macro_action_edit")->isEnabled());
    EXPECT_FALSE(Find("ms_1_macro_hook_note")->isHidden());
    EXPECT_EQ(Find<QLabel>("ms_1_macro_hook_note")->text(), texts->Text("hook_unavailable_text"));
}

TEST_F(MacroEditorWindow, RecordsThroughTheWindowAndStopsWhenClosed) {
    {
        auto access = store_->Lock();
        MacroRecord macro = MakeEmptyMacro(u"Burst");
        macro.actionCount = 1;
        macro.actions[0] = {0xF1, 1, {}};
        macro.actions[0].delay = 30;
        access.Macros().push_back(macro);
        ASSERT_TRUE(access.SaveMacroStore());
    }
    HookCallLog log(TestLibraryFolder("full"));
    HookBinding binding;
    ASSERT_TRUE(binding.Load(TestLibraryFolder("full")));
    log.Reset();
    Open(binding.Table());
    EXPECT_TRUE(Find("ms_1_macro_record_btn")->isEnabled());
    EXPECT_TRUE(Find("ms_1_macro_hook_note")->isHidden());

    // The user picks the macro in the list: its row shows the mouse button and the press.
    auto* macros = Find<QListWidget>("ms_1_macro_list");
    ASSERT_EQ(macros->count(), 1);
    macros->setCurrentRow(0);
    EXPECT_EQ(Find<QLineEdit>("ms_1_macro_name_edit")->text(), "Burst");
    auto* actions = Find<QListWidget>("ms_1_macro_action_list");
    ASSERT_EQ(actions->count(), 1);
    EXPECT_EQ(RowCell(0, "key"), "Left button");
    EXPECT_EQ(RowCell(0, "action"), "Press");
    EXPECT_EQ(RowCell(0, "delay"), "30");
    EXPECT_EQ(actions->item(0)->sizeHint().height(), 30);
    EXPECT_EQ(window_->Controls()->RowImage(macroui::kActionList, 0, "key"),
              "res='skins/mouse.png' dest='2,2,28,28'");

    // Record with no delay: A pressed (held, so repeated) and released, as the library posts.
    Find<QAbstractButton>("ms_1_no_delay_btn")->click();
    auto* record = Find<QCheckBox>("ms_1_macro_record_btn");
    record->click();
    EXPECT_TRUE(window_->Editor()->Recording());
    EXPECT_EQ(record->text(), "Stop recording");
    for (auto [key, kind] : {std::pair{0x41, 0}, {0x41, 0}, {0x41, 1}}) {
        Ms1PostMessage(window_->Handle(), MSG_HOOK_EVENT, key, kind);
    }
    // Keys typed meanwhile do not act on the editor: Esc does not close it.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(Find("ms_1_macro_action_list"), &escape);
    Deliver();
    EXPECT_TRUE(window_->Widget()->isVisible());
    ASSERT_EQ(actions->count(), 3);
    EXPECT_EQ(RowCell(1, "key"), "A");
    EXPECT_EQ(RowCell(2, "action"), "Release");
    EXPECT_EQ(RowCell(0, "delay"), "1");
    EXPECT_EQ(actions->currentRow(), 2);

    // Closing the window ends the recording: stored, and the hooks removed.
    window_->Close(1);
    Deliver();
    EXPECT_FALSE(window_->Editor()->Recording());
    EXPECT_EQ(log.Calls(),
              "installhook(window);enablehook(1);mousewheelenable(0);"
              "removehook;removemousehook;enablemousehook(0);enablehook(0);mousewheelenable(0);");
    MacroStore reread(Folder());
    reread.LoadMacroStore(StoreMode::ReadOnly);
    const MacroRecord stored = reread.Lock().Macros().at(0);
    ASSERT_EQ(stored.actionCount, 3);
    EXPECT_EQ(stored.actions[1].key, 0x04);
    EXPECT_EQ(stored.actions[2].direction, 2);
    EXPECT_EQ(stored.actions[0].delay, 1);
    EXPECT_EQ(stored.actions[2].delay, 10);
    window_.reset();
}

}  // namespace
}  // namespace ms1::test
