#include "engine/StatusRecorder.h"

#include <gtest/gtest.h>

#include "tests/support/ProtocolFakes.h"

namespace ms1 {
namespace {

TEST(StatusRecorder, BatteryIsWhatTheLabelShowsLast) {
    StatusRecorder view;
    int changes = 0;
    view.SetOnChange([&] { ++changes; });
    EXPECT_EQ(view.Battery(), std::nullopt) << "nothing reported yet";
    // A fresh Bluetooth connection shows a full bar, but the mouse has reported nothing.
    view.SetPlainText("ms_1_label_power", "100%");
    EXPECT_EQ(view.Battery(), std::nullopt) << "the connection's 100% is no report";

    view.SetTextKey("ms_1_label_power", "charging_text");
    view.ShowBattery(0, true);
    EXPECT_EQ(view.Battery(), "charging");
    // Leaving the charger: the full form first, then the level replaces it.
    view.SetPlainText("ms_1_label_power", "100%");
    view.SetPlainText("ms_1_label_power", "75%");
    EXPECT_EQ(view.Battery(), "75%");
    view.SetTextKey("ms_1_label_power", "charging_text");
    EXPECT_EQ(view.Battery(), "charging");
    // The wired mouse leaving empties the label: nothing known any more.
    view.SetPlainText("ms_1_label_power", "");
    EXPECT_EQ(view.Battery(), std::nullopt);
    // Other labels do not count.
    view.SetPlainText("ms_1_label_other", "12%");
    EXPECT_EQ(view.Battery(), std::nullopt);
    EXPECT_EQ(changes, 8);
}

TEST(StatusRecorder, StageAndRateCountOnlyWhenTheirOptionsAreSelected) {
    StatusRecorder view;
    view.SelectOption("ms_1_btn_lift_1");
    EXPECT_FALSE(view.StageReported());
    EXPECT_FALSE(view.RateReported());
    view.SelectOption("ms_1_option_dpi_step_3");
    EXPECT_TRUE(view.StageReported());
    EXPECT_FALSE(view.RateReported());
    view.SelectOption("ms_1_btn_prate_4");
    EXPECT_TRUE(view.RateReported());

    view.SetVisible("ms_1_wireless", true);
    EXPECT_TRUE(view.IsVisible("ms_1_wireless"));
    view.SetVisible("ms_1_wireless", false);
    EXPECT_FALSE(view.IsVisible("ms_1_wireless"));
}

// In the program the recorder stands in front of the page's controls: they see every call,
// and what is visible is theirs to say.
TEST(StatusRecorder, PassesEveryCallOnToTheShownControls) {
    test::FakeView shown;
    StatusRecorder view(&shown);
    view.SetVisible("ms_1_wireless", true);
    view.SetTextKey("ms_1_label_power", "charging_text");
    view.ShowBattery(10, true);
    view.SelectOption("ms_1_btn_prate_2");
    view.SetProgress("ms_1_progress_power", 40);
    view.SelectComboItem("ms_1_combo_light", 3);
    view.SetChecked("ms_1_check_x", true);
    view.RefreshLightSections();
    EXPECT_TRUE(shown.visible.count("ms_1_wireless"));
    EXPECT_EQ(shown.text["ms_1_label_power"], "key:charging_text");
    EXPECT_EQ(shown.selectedOption, "ms_1_btn_prate_2");
    EXPECT_EQ(shown.progress["ms_1_progress_power"], 40);
    EXPECT_EQ(shown.combo["ms_1_combo_light"], 3);
    EXPECT_TRUE(view.IsChecked("ms_1_check_x"));
    EXPECT_EQ(shown.lightRefreshes, 1);
    EXPECT_EQ(view.Battery(), "charging");
    EXPECT_TRUE(view.RateReported());
    shown.visible.clear();
    EXPECT_FALSE(view.IsVisible("ms_1_wireless"));
}

}  // namespace
}  // namespace ms1
