#include "ui/page/CMS_1_Page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>

#include "core/Utf16Text.h"
#include "platform/keyboard/XkbKeyboardLayout.h"
#include "storage/SettingsFile.h"
#include "ui/PageFixture.h"

namespace ms1 {
namespace {

namespace fs = std::filesystem;

using MousePage = test::PageFixture;

TEST_F(MousePage, FirstStartShowsTheDefaultProfile) {
    CMS_1_Page& page = Start();
    EXPECT_EQ(controls_.listLines, std::vector<std::string>{"Profile1"});
    EXPECT_EQ(controls_.listSelection, 0);
    EXPECT_TRUE(page.FullApplyPending());
    EXPECT_EQ(controls_.texts["ms_1_label_dpi_1"], "800");
    EXPECT_EQ(controls_.texts["ms_1_edit_dpi_6"], "22000");
    EXPECT_EQ(controls_.values["ms_1_slider_dpi_6"], 320);
    EXPECT_EQ(controls_.colors["ms_1_btn_dpi_color_3"], 0xFF0000FFu);
    EXPECT_EQ(controls_.values["ms_1_combo_light"], 7);
    EXPECT_TRUE(controls_.selectedOptions.count("ms_1_option_dpi_step_2"));
    EXPECT_TRUE(controls_.selectedOptions.count("ms_1_btn_prate_4"));
    EXPECT_TRUE(controls_.selectedOptions.count("ms_1_option_ripple_control_2"));
    EXPECT_TRUE(controls_.selectedOptions.count("ms_1_option_mouse_pic_1"));
    EXPECT_EQ(controls_.texts["ms_1_label_key_debounce"], "8 ms");
    EXPECT_EQ(controls_.texts["ms_1_label_light_off"], "Lights off after 0.5 min");
    EXPECT_EQ(controls_.texts["ms_1_label_sleep_timer"], "Sleep after 10 min");
    EXPECT_TRUE(controls_.IsChecked("ms_1_check_move_close_light"));
    EXPECT_EQ(controls_.texts["ms_1_btn_key_1"], "key:left_click_text");
    EXPECT_EQ(controls_.texts["ms_1_btn_key_5"], "key:button_off_text");
    EXPECT_FALSE(controls_.IsVisible("ms_1_ver_light"));
    EXPECT_FALSE(controls_.IsVisible("ms_1_check_lift_of_distance"));
    EXPECT_TRUE(fs::exists(data_ / "ms_1" / "pro.data"));
    EXPECT_EQ(std::memcmp(&page.Working(), &page.Snapshot(), sizeof(ProfileRecord)), 0);
}

TEST_F(MousePage, StoredModelPictureAndItsFallback) {
    ASSERT_TRUE(WriteModel(data_, 3));
    Start();
    EXPECT_TRUE(controls_.selectedOptions.count("ms_1_option_mouse_pic_4"));
    EXPECT_EQ(controls_.images["ms_1_container_mouse_pic"], "skins/ms_1/mouse_4.png");

    std::ofstream(data_ / "setting.ini") << "[SETTING]\nModel=7\n";
    controls_ = {};
    Start();
    EXPECT_TRUE(controls_.selectedOptions.count("ms_1_option_mouse_pic_1"));
    EXPECT_EQ(controls_.images["ms_1_container_mouse_pic"], "skins/ms_1/mouse_1.png");
    EXPECT_EQ(ReadModel(data_), 0);

    Option("ms_1_option_mouse_pic_6");
    EXPECT_EQ(ReadModel(data_), 5);
    EXPECT_EQ(controls_.images["ms_1_container_mouse_pic"], "skins/ms_1/mouse_6.png");
    EXPECT_EQ(apply_.now, 0);
}

TEST_F(MousePage, OptionsWriteTheirFieldAndApplyAtOnce) {
    CMS_1_Page& page = Start();
    Option("ms_1_btn_prate_2");
    EXPECT_EQ(page.Working().pollingRate, 1);
    Option("ms_1_option_dpi_step_6");
    EXPECT_EQ(page.Working().activeStage, 5);
    Option("ms_1_option_angle_snap_2");
    EXPECT_EQ(page.Working().angleSnap, 1);
    Option("ms_1_option_lift_of_distance_2");
    EXPECT_EQ(page.Working().liftOffDistance, 1);
    EXPECT_EQ(apply_.now, 4);
    Option("ms_1_btn_prate_5");  // no such option
    EXPECT_EQ(apply_.now, 4);

    page.Notify({"checkclick", "ms_1_check_move_close_light", -1, 0, false});
    EXPECT_EQ(page.Working().moveCloseLight, 0);
    EXPECT_EQ(apply_.now, 5);
}

// A stage that is off (switched off, or at 0 DPI like the default stages 7 and 8) would stop
// the pointer: its option is greyed out with the reason, and cannot become the active stage.
TEST_F(MousePage, StagesThatAreOffCannotBecomeTheActiveStage) {
    CMS_1_Page& page = Start();
    const std::map<std::string, std::string> offByDefault = {
        {"ms_1_option_dpi_step_7", "dpi_stage_off_tip"},
        {"ms_1_option_dpi_step_8", "dpi_stage_off_tip"}};
    EXPECT_EQ(controls_.disabled, offByDefault);
    for (const char* option : {"ms_1_option_dpi_step_7", "ms_1_option_dpi_step_8"}) {
        SCOPED_TRACE(option);
        Option(option);
        EXPECT_EQ(page.Working().activeStage, 1);
        EXPECT_EQ(controls_.selectedOptions.count("ms_1_option_dpi_step_2"), 1u);
        EXPECT_EQ(apply_.now, 0);
    }

    // Stage 3 switched off, stage 7 switched on with a DPI: the page follows the profile.
    {
        auto lock = page.Lock();
        page.Working().stageEnabled[2] = 0;
        page.Working().stageEnabled[6] = 1;
        page.Working().dpiValue[6] = 90;
    }
    page.RefreshPage();
    EXPECT_EQ(controls_.disabled, (std::map<std::string, std::string>{
                                      {"ms_1_option_dpi_step_3", "dpi_stage_off_tip"},
                                      {"ms_1_option_dpi_step_8", "dpi_stage_off_tip"}}));
    Option("ms_1_option_dpi_step_7");
    EXPECT_EQ(page.Working().activeStage, 6);
    EXPECT_EQ(apply_.now, 1);
}

TEST_F(MousePage, DpiEditsAndSlidersChangeOnlyTheProfile) {
    CMS_1_Page& page = Start();
    controls_.texts["ms_1_edit_dpi_4"] = "3200";
    page.Notify({"killfocus", "ms_1_edit_dpi_4"});
    EXPECT_EQ(page.Working().dpiValue[3], 64);
    EXPECT_EQ(controls_.values["ms_1_slider_dpi_4"], 64);
    EXPECT_EQ(controls_.texts["ms_1_label_dpi_4"], "3200");

    controls_.texts["ms_1_edit_dpi_2"] = "24001";
    page.Notify({"return", "ms_1_edit_dpi_2"});
    EXPECT_EQ(page.Working().dpiValue[1], 340);
    EXPECT_EQ(controls_.texts["ms_1_edit_dpi_2"], "24000");

    controls_.texts["ms_1_edit_dpi_3"] = "99999999999999999999";
    page.Notify({"killfocus", "ms_1_edit_dpi_3"});
    EXPECT_EQ(page.Working().dpiValue[2], 340);
    controls_.texts["ms_1_edit_dpi_3"] = "";
    page.Notify({"killfocus", "ms_1_edit_dpi_3"});
    EXPECT_EQ(page.Working().dpiValue[2], 1);

    controls_.texts["ms_1_edit_dpi_1"] = "12a5";
    page.Notify({"textchanged", "ms_1_edit_dpi_1"});
    EXPECT_EQ(controls_.texts["ms_1_edit_dpi_1"], "125");
    EXPECT_EQ(controls_.caretAtEnd, "ms_1_edit_dpi_1");

    // Typed, then a button clicked: buttons take no focus, so the box never loses it. The
    // value is taken for the profile it was typed in before the click acts.
    struct Row {
        const char* click;
        int applies;
    };
    for (const Row& row : {Row{"ms_1_btn_apply_dpi", 1}, Row{"ms_1_apply_btn", 1}}) {
        SCOPED_TRACE(row.click);
        page.Working().dpiValue[6] = 0;
        controls_.texts["ms_1_edit_dpi_7"] = "0";  // a stage at 0 stays at 0
        controls_.texts["ms_1_edit_dpi_6"] = "4100";
        controls_.texts["ms_1_edit_dpi_8"] = "";  // being typed: no value yet
        apply_.now = 0;
        Click(row.click);
        EXPECT_EQ(page.Working().dpiValue[5], 82);
        EXPECT_EQ(page.Working().dpiValue[6], 0);
        EXPECT_EQ(page.Working().dpiValue[7], 0);
        EXPECT_EQ(apply_.now, row.applies);
        page.Working().dpiValue[5] = 320;
        controls_.texts["ms_1_edit_dpi_6"] = "22000";
    }
    apply_.now = 0;

    page.Notify({"valuechanged", "ms_1_slider_dpi_5", -1, 201});
    EXPECT_EQ(page.Working().dpiValue[4], 201);
    EXPECT_EQ(controls_.texts["ms_1_label_dpi_5"], "10100");
    EXPECT_EQ(apply_.now, 0);
    EXPECT_TRUE(apply_.delayed.empty());
}

TEST_F(MousePage, SlidersAndLightingModeApplyAfterADelay) {
    CMS_1_Page& page = Start();
    page.Notify({"valuechanged", "ms_1_slider_light_off", -1, 3});
    EXPECT_EQ(controls_.texts["ms_1_label_light_off"], "Lights off after 1.5 min");
    page.Notify({"valuechanged", "ms_1_slider_key_debounce", -1, 6});
    EXPECT_EQ(controls_.texts["ms_1_label_key_debounce"], "12 ms");
    page.Notify({"valuechanged", "ms_1_slider_brightness", -1, 2});
    EXPECT_EQ(page.Working().brightness, 2);
    EXPECT_EQ(apply_.delayed, (std::vector<int>{500, 500, 500}));

    const std::pair<int, std::vector<std::string>> modes[] = {
        {1, {"ms_1_ver_brightness", "ms_1_hor_light_color"}},
        {2, {"ms_1_ver_breathspeed", "ms_1_hor_light_color"}},
        {5, {"ms_1_ver_breathspeed"}},
        {0, {}},
        {12, {}}};
    for (const auto& [mode, shown] : modes) {
        page.Notify({"itemselect", "ms_1_combo_light", mode});
        EXPECT_EQ(page.Working().lightMode, mode);
        for (const char* panel :
             {"ms_1_ver_brightness", "ms_1_ver_breathspeed", "ms_1_hor_light_color"}) {
            bool expected = std::find(shown.begin(), shown.end(), panel) != shown.end();
            EXPECT_EQ(controls_.IsVisible(panel), expected) << "mode " << mode << " " << panel;
        }
    }
    EXPECT_EQ(apply_.delayed.back(), 200);
    EXPECT_EQ(apply_.now, 0);
}

TEST_F(MousePage, ProfilesAreAddedRenamedAndDeletedWithTheirSelection) {
    CMS_1_Page& page = Start();
    dialogs_.names = {u"Second", u"Third"};
    Click("ms_1_profile_add_btn");
    Click("ms_1_profile_add_btn");
    EXPECT_EQ(controls_.listLines, (std::vector<std::string>{"Profile1", "Second", "Third"}));
    EXPECT_EQ(controls_.listSelection, 2);
    EXPECT_EQ(page.SelectedIndex(), 2);
    EXPECT_EQ(page.Working().profileName.get(), u"Third");
    EXPECT_EQ(page.Working().brightness, 8);
    EXPECT_TRUE(page.FullApplyPending());
    EXPECT_EQ(apply_.now, 2);

    dialogs_.names = {u"Renamed"};
    Click("ms_1_profile_rename_btn");
    EXPECT_EQ(controls_.listLines[2], "Renamed");
    // A new profile's dialog starts empty; a rename starts with the current name.
    EXPECT_EQ(dialogs_.startNames, (std::vector<std::u16string>{u"", u"", u"Third"}));
    {  // a rename is written at once
        ProfileStore reread(data_);
        reread.LoadProfileStore(u"Profile", StoreMode::ReadOnly);
        EXPECT_EQ(reread.Lock().Profiles()[2]->profileName.get(), u"Renamed");
    }

    dialogs_.messageAnswers = {false};
    Click("ms_1_profile_delete_btn");  // cancelled
    EXPECT_EQ(controls_.listLines.size(), 3u);

    dialogs_.messageAnswers = {true};
    Click("ms_1_profile_delete_btn");  // the last of three: the second is selected
    EXPECT_EQ(controls_.listLines, (std::vector<std::string>{"Profile1", "Second"}));
    EXPECT_EQ(page.SelectedIndex(), 1);
    EXPECT_EQ(page.Working().profileName.get(), u"Second");

    page.Notify({"itemselect", "ms_1_list_profile", 0});  // the user's first own selection
    EXPECT_EQ(page.Working().profileName.get(), u"Profile1");
    dialogs_.messageAnswers = {true};
    Click("ms_1_profile_delete_btn");  // the first: the new first is selected
    EXPECT_EQ(controls_.listLines, (std::vector<std::string>{"Second"}));
    EXPECT_EQ(page.Working().profileName.get(), u"Second");

    dialogs_.messages.clear();
    Click("ms_1_profile_delete_btn");
    EXPECT_EQ(dialogs_.messages, std::vector<std::string>{"one_profile_text"});
    EXPECT_EQ(controls_.listLines.size(), 1u);
}

TEST_F(MousePage, ResetsKeepTheNameAndApply) {
    CMS_1_Page& page = Start();
    page.Working().brightness = 1;
    page.Working().dpiValue[0] = 5;
    page.FullApplyPending() = false;
    Click("ms_1_btn_reset_dpi");
    EXPECT_EQ(page.Working().dpiValue[0], 16);
    EXPECT_EQ(page.Working().brightness, 1);
    EXPECT_FALSE(page.FullApplyPending());
    EXPECT_EQ(apply_.now, 1);

    dialogs_.messageAnswers = {true};
    Click("ms_1_btn_reset");
    EXPECT_EQ(page.Working().brightness, 8);
    EXPECT_EQ(page.Working().profileName.get(), u"Profile1");
    EXPECT_TRUE(page.FullApplyPending());
    EXPECT_EQ(dialogs_.messages, std::vector<std::string>{"restore_text"});
}

// Apply with nothing to send says so in the status line; with a change, or a full apply to
// come, it says nothing and the apply goes ahead either way.
TEST_F(MousePage, ApplyWithNothingChangedSaysThereIsNothingToSend) {
    CMS_1_Page& page = Start();
    struct Row {
        const char* what;
        std::function<void()> before;
        const char* button;
        bool nothing;
    };
    const Row rows[] = {
        {"as the mouse holds it", [] {}, "ms_1_apply_btn", true},
        {"Apply DPI, the same", [] {}, "ms_1_btn_apply_dpi", true},
        {"a changed polling rate",
         [&] { page.Working().pollingRate = page.Working().pollingRate == 1 ? 2 : 1; },
         "ms_1_apply_btn", false},
        {"a full apply asked for", [&] { page.FullApplyPending() = true; }, "ms_1_apply_btn",
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        page.FullApplyPending() = false;
        std::memcpy(&page.Snapshot(), &page.Working(), sizeof(ProfileRecord));
        dialogs_.statuses.clear();
        row.before();
        const int applies = apply_.now;
        Click(row.button);
        EXPECT_EQ(dialogs_.statuses, row.nothing ? std::vector<std::string>{"nothing_to_send_text "}
                                                 : std::vector<std::string>{});
        EXPECT_EQ(apply_.now, applies + 1);
    }
}

TEST_F(MousePage, SectionsColoursAndButtons) {
    CMS_1_Page& page = Start();
    page.Notify({"checkclick", "ms_1_check_angle_snap", -1, 0, true});
    EXPECT_TRUE(controls_.IsVisible("ms_1_hor_angle_snap"));
    EXPECT_EQ(apply_.timers[514], 10);
    page.OnDeferredScroll();
    EXPECT_EQ(controls_.scrolled, "ms_1_ver_setting");
    apply_.timers.clear();
    page.Notify({"checkclick", "ms_1_check_angle_snap", -1, 0, false});
    EXPECT_FALSE(controls_.IsVisible("ms_1_hor_angle_snap"));
    page.Notify({"checkclick", "ms_1_check_dpi", -1, 0, true});
    EXPECT_TRUE(apply_.timers.empty());

    dialogs_.color.reset();
    Click("ms_1_btn_dpi_color_2");
    EXPECT_EQ(apply_.now, 0);
    dialogs_.color = 0xFF102030;
    Click("ms_1_btn_dpi_color_2");
    EXPECT_EQ(page.Working().stageColor[1].r, 0x10);
    EXPECT_EQ(page.Working().stageColor[1].b, 0x30);
    EXPECT_EQ(controls_.colors["ms_1_btn_dpi_color_2"], 0xFF102030u);
    EXPECT_EQ(apply_.now, 1);

    Click("ms_1_btn_key_13");
    EXPECT_EQ(dialogs_.menuAnchor, "");
    Click("ms_1_btn_key_3");
    EXPECT_EQ(dialogs_.menuAnchor, "ms_1_btn_key_3");
    EXPECT_EQ(page.MenuButton(), 2);
    page.OnMenuItem("ms_1_volume_up");
    EXPECT_EQ(page.Working().button[2].function, 69);
    EXPECT_EQ(controls_.texts["ms_1_btn_key_3"], "key:volume_up_text");

    page.Notify({"timer", "ms_1_low_power_label", -1, 50});
    EXPECT_EQ(controls_.attributes["ms_1_low_power_label.padding"], "-210,-82,0,0");
}

TEST_F(MousePage, TheLowBatteryBannerStopsItsTimerWhenInAndHidesWhenOut) {
    CMS_1_Page& page = Start();
    controls_.StartControlTimer("ms_1_low_power_label", 50, 5);
    controls_.SetVisible("ms_1_low_power_label", true);
    for (int step = 1; step < 106; ++step)
        page.Notify({"timer", "ms_1_low_power_label", -1, 50});
    EXPECT_EQ(controls_.attributes["ms_1_low_power_label.padding"], "-2,-82,0,0");
    EXPECT_EQ(controls_.controlTimers.count("ms_1_low_power_label.50"), 1u);
    page.Notify({"timer", "ms_1_low_power_label", -1, 50});  // in: 0
    EXPECT_EQ(controls_.attributes["ms_1_low_power_label.padding"], "0,-82,0,0");
    EXPECT_EQ(controls_.controlTimers.count("ms_1_low_power_label.50"), 0u);
    EXPECT_EQ(controls_.hidden.count("ms_1_low_power_label"), 0u);

    // Out again, from where the slide in left the offset (-212).
    controls_.StartControlTimer("ms_1_low_power_label", 51, 5);
    page.Notify({"timer", "ms_1_low_power_label", -1, 51});
    EXPECT_EQ(controls_.attributes["ms_1_low_power_label.padding"], "-214,-82,0,0");
    EXPECT_EQ(controls_.controlTimers.count("ms_1_low_power_label.51"), 0u);
    EXPECT_EQ(controls_.hidden.count("ms_1_low_power_label"), 1u);
}

struct EditorCloseRow {
    const char* name;
    // What the user does in the editor, to the store, and what the editor reports of it.
    std::function<void(MacroList&)> edit;
    MacroNameChanges changes;
    int function;       // of button 4 afterwards
    const char* label;  // of button 4 afterwards
    int applies;
};

TEST_F(MousePage, ClosingTheMacroEditorBringsMacroButtonsUpToDate) {
    const EditorCloseRow rows[] = {
        // Nothing changed: nothing to send, not even the full apply still pending.
        {"nothing", [](MacroList&) {}, {}, kFunctionMacro, "assign_macro_textMacro1", 0},
        {"renamed",
         [](MacroList& m) { m[0].name.set(u"Greeting"); },
         {{u"Macro1", u"Greeting"}},
         kFunctionMacro,
         "assign_macro_textGreeting",
         1},
        {"an action added",
         [](MacroList& m) {
             m[0].actionCount = 1;
             m[0].actions[0].key = 0x04;
             m[0].actions[0].direction = 1;
         },
         {},
         kFunctionMacro,
         "assign_macro_textMacro1",
         1},
        {"deleted", [](MacroList& m) { m.clear(); }, {{u"Macro1", {}}}, 6, "key:dpi_cycle_text", 1},
        {"deleted, another made with its name",
         [](MacroList& m) {
             m.clear();
             m.push_back(MakeEmptyMacro(u"Macro1"));
         },
         {{u"Macro1", {}}},
         6,
         "key:dpi_cycle_text",
         1},
    };
    for (const EditorCloseRow& row : rows) {
        SCOPED_TRACE(row.name);
        page_.reset();
        fs::remove_all(data_);
        fs::create_directories(data_);
        CMS_1_Page& page = Start();
        {
            auto macros = macros_->Lock();
            macros.Macros().clear();
            macros.AddMacro(u"Macro");
        }
        page.shortcutDialog = nullptr;
        page.macroDialog = [](const MacroList&, const MacroChoice&) {
            return std::optional<MacroChoice>(MacroChoice{0, 0, 1});
        };
        Click("ms_1_btn_key_4");
        page.OnMenuItem("ms_1_select_macro");
        ASSERT_EQ(page.Working().button[3].function, kFunctionMacro);
        EXPECT_EQ(controls_.texts["ms_1_btn_key_4"], "assign_macro_textMacro1");

        apply_.now = 0;
        page.FullApplyPending() = true;  // as after start-up, with nothing applied yet
        dialogs_.duringMacroEditor = [&] {
            auto macros = macros_->Lock();
            row.edit(macros.Macros());
            macros.SaveMacroStore();
        };
        dialogs_.macroNameChanges = row.changes;
        Click("ms_1_btn_macro");
        EXPECT_EQ(page.Working().button[3].function, row.function);
        EXPECT_EQ(controls_.texts["ms_1_btn_key_4"], row.label);
        EXPECT_EQ(apply_.now, row.applies);
    }
}

TEST_F(MousePage, ImportRefusesBadFilesAndSwitchesToGoodOnes) {
    CMS_1_Page& page = Start();
    std::ofstream(data_ / "short.pro", std::ios::binary) << "too short";
    dialogs_.openFile = data_ / "short.pro";
    Click("ms_1_profile_import_btn");
    ASSERT_EQ(dialogs_.problems.size(), 1u);
    EXPECT_NE(dialogs_.problems[0].find("short.pro"), std::string::npos);
    EXPECT_EQ(controls_.listLines.size(), 1u);

    dialogs_.saveFile = data_ / "mine.pro";
    Click("ms_1_profile_export_btn");
    EXPECT_EQ(fs::file_size(data_ / "mine.pro"), 47776u);
    EXPECT_EQ(dialogs_.proposedFiles, std::vector<std::u16string>{u"Profile1.pro"});
    dialogs_.openFile = data_ / "mine.pro";
    page.FullApplyPending() = false;
    Click("ms_1_profile_import_btn");
    EXPECT_EQ(controls_.listLines, (std::vector<std::string>{"Profile1", "Profile1_1"}));
    EXPECT_EQ(controls_.listSelection, 1);
    EXPECT_EQ(page.Working().profileName.get(), u"Profile1_1");
    EXPECT_TRUE(page.FullApplyPending());
    EXPECT_EQ(apply_.now, 1);
    {  // on disk at once, before the apply that follows has sent anything
        ProfileStore stored(data_);
        stored.LoadProfileStore(u"Profile", StoreMode::ReadOnly);
        auto access = stored.Lock();
        ASSERT_EQ(access.Profiles().size(), 2u);
        EXPECT_EQ(access.Profiles()[1]->profileName.get(), u"Profile1_1");
    }
    // Only what was done is told in the status line, not the refused import.
    EXPECT_EQ(dialogs_.statuses, (std::vector<std::string>{"export_done_text mine.pro",
                                                           "import_done_text Profile1_1"}));
}

// A damaged store is kept aside and the user is told once where; a store that loads cleanly
// says nothing.
TEST_F(MousePage, ADamagedStoreIsReportedOnceWithWhereItWasKept) {
    fs::create_directories(data_ / "ms_1");
    std::ofstream(data_ / "ms_1" / "pro.data", std::ios::binary) << "too short";
    Start();
    page_->ShowStoreNotices();
    ASSERT_EQ(dialogs_.problems.size(), 1u);
    EXPECT_NE(dialogs_.problems[0].find("store_kept_aside_text"), std::string::npos);
    EXPECT_NE(dialogs_.problems[0].find((data_ / "ms_1" / "pro.data.bad").string()),
              std::string::npos);
    page_->ShowStoreNotices();
    EXPECT_EQ(dialogs_.problems.size(), 1u);

    dialogs_.problems.clear();
    Start();  // the store written by the fresh start loads cleanly
    page_->ShowStoreNotices();
    EXPECT_TRUE(dialogs_.problems.empty());
}

}  // namespace
}  // namespace ms1
