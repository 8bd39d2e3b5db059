// While a dialog of the page is open, the window thread goes on decoding the mouse's reports
// (which save the profiles) and the apply worker goes on with its apply. Neither may find a
// lock of the page or of the stores taken.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <vector>

#include "storage/ProfileFile.h"
#include "ui/PageFixture.h"

namespace ms1 {
namespace {

using namespace std::chrono_literals;

struct DialogCase {
    const char* name;
    std::function<void(test::PageFixture&)> prepare;
    std::function<void(CMS_1_Page&)> act;
};

void ClickOn(CMS_1_Page& page, const char* control) {
    page.Notify({"click", control});
}

class PageDialogLocks : public test::PageFixture, public ::testing::WithParamInterface<DialogCase> {
  protected:
    // Takes every lock on another thread, as the apply worker would. A lock held across the
    // dialog keeps that thread waiting until the dialog has returned.
    void CheckLocksFromAnotherThread() {
        auto done = std::make_shared<std::promise<void>>();
        std::future<void> finished = done->get_future();
        waiting_.emplace_back([this, done] {
            {
                auto page = page_->Lock();
                auto profiles = profiles_->Lock();
                auto macros = macros_->Lock();
            }
            done->set_value();
        });
        const bool free = finished.wait_for(5s) == std::future_status::ready;
        EXPECT_TRUE(free) << "a lock is held while the dialog is open";
        // What the status decoding does on the window thread inside the dialog's event loop.
        if (free) {
            EXPECT_TRUE(page_->SaveProfiles());
        }
    }
    void JoinWaiting() {
        for (auto& thread : waiting_)
            thread.join();
        waiting_.clear();
    }

    std::vector<std::thread> waiting_;
};

TEST_P(PageDialogLocks, NoLockIsHeldWhileTheDialogIsOpen) {
    CMS_1_Page& page = Start();
    GetParam().prepare(*this);
    dialogs_.duringDialog = [this] { CheckLocksFromAnotherThread(); };
    dialogs_.dialogsRun = 0;
    GetParam().act(page);
    JoinWaiting();
    EXPECT_GE(dialogs_.dialogsRun, 1) << "the dialog did not open";
}

MacroList OneMacro() {
    MacroList macros;
    macros.push_back(MakeEmptyMacro(u"Combo"));
    return macros;
}

const DialogCase kDialogCases[] = {
    {"AddProfile", [](auto& t) { t.dialogs_.names = {u"Second"}; },
     [](auto& p) { ClickOn(p, "ms_1_profile_add_btn"); }},
    {"RenameProfile", [](auto& t) { t.dialogs_.names = {u"Renamed"}; },
     [](auto& p) { ClickOn(p, "ms_1_profile_rename_btn"); }},
    {"DeleteTheOnlyProfile", [](auto&) {}, [](auto& p) { ClickOn(p, "ms_1_profile_delete_btn"); }},
    {"DeleteProfile",
     [](auto& t) {
         t.dialogs_.names = {u"Second"};
         ClickOn(*t.page_, "ms_1_profile_add_btn");
         t.dialogs_.messageAnswers = {true};
     },
     [](auto& p) { ClickOn(p, "ms_1_profile_delete_btn"); }},
    {"ResetProfile", [](auto& t) { t.dialogs_.messageAnswers = {true}; },
     [](auto& p) { ClickOn(p, "ms_1_profile_reset_btn"); }},
    {"ExportProfile", [](auto& t) { t.dialogs_.saveFile = t.data_ / "out.pro"; },
     [](auto& p) { ClickOn(p, "ms_1_profile_export_btn"); }},
    {"ImportProfile",
     [](auto& t) {
         AtomicFileWriter writer;
         auto profile = MakeZeroedProfile();
         ResetProfileToDefaults(*profile);
         profile->profileName.set(u"Imported");
         ASSERT_TRUE(ExportProfile(*profile, t.data_ / "in.pro", writer).ok());
         t.dialogs_.openFile = t.data_ / "in.pro";
     },
     [](auto& p) { ClickOn(p, "ms_1_profile_import_btn"); }},
    {"RefusedImport", [](auto& t) { t.dialogs_.openFile = t.data_ / "missing.pro"; },
     [](auto& p) { ClickOn(p, "ms_1_profile_import_btn"); }},
    {"LightColour", [](auto& t) { t.dialogs_.color = 0xFF102030; },
     [](auto& p) { ClickOn(p, "ms_1_btn_light_color"); }},
    {"StageColour", [](auto& t) { t.dialogs_.color = 0xFF102030; },
     [](auto& p) { ClickOn(p, "ms_1_btn_dpi_color_2"); }},
    {"MacroEditor", [](auto&) {}, [](auto& p) { ClickOn(p, "ms_1_btn_macro"); }},
    {"LastLeftClickWarning", [](auto&) {},
     [](auto& p) {
         p.OnMenuItem("ms_1_menu");  // button 1 holds the only left click
     }},
    {"ShortcutDialog",
     [](auto& t) {
         t.page_->shortcutDialog = [&t](const ShortcutChoice&) -> std::optional<ShortcutChoice> {
             t.dialogs_.During();
             return ShortcutChoice{true, false, false, false, 0x04};
         };
         ClickOn(*t.page_, "ms_1_btn_key_3");
     },
     [](auto& p) { p.OnMenuItem("ms_1_shortcut"); }},
    {"MacroDialog",
     [](auto& t) {
         {
             auto access = t.macros_->Lock();
             access.Macros() = OneMacro();
         }
         t.page_->macroDialog = [&t](const MacroList&,
                                     const MacroChoice&) -> std::optional<MacroChoice> {
             t.dialogs_.During();
             return MacroChoice{0, 0, 1};
         };
         ClickOn(*t.page_, "ms_1_btn_key_3");
     },
     [](auto& p) { p.OnMenuItem("ms_1_select_macro"); }},
};

INSTANTIATE_TEST_SUITE_P(EveryDialog, PageDialogLocks, ::testing::ValuesIn(kDialogCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A function chosen in a dialog reaches the button, and what the mouse reported while the
// dialog was open stays.
TEST_F(PageDialogLocks, AChoiceIsWrittenBackBesideWhatChangedMeanwhile) {
    CMS_1_Page& page = Start();
    page.shortcutDialog = [&](const ShortcutChoice&) -> std::optional<ShortcutChoice> {
        auto lock = page.Lock();
        page.Working().activeStage = 5;  // the user pressed the DPI button meanwhile
        return ShortcutChoice{true, false, false, false, 0x04};
    };
    ClickOn(page, "ms_1_btn_key_3");
    page.OnMenuItem("ms_1_shortcut");
    auto lock = page.Lock();
    EXPECT_EQ(page.Working().activeStage, 5);
    EXPECT_EQ(page.Working().button[2].function, 16);  // key combination
    EXPECT_EQ(page.Working().button[2].modifiers, 0x01);
    EXPECT_EQ(page.Working().button[2].key, 0x04);
    EXPECT_EQ(apply_.now, 1);
}

}  // namespace
}  // namespace ms1
