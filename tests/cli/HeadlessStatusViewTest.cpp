#include "cli/HeadlessStatusView.h"

#include <gtest/gtest.h>

namespace ms1::cli {
namespace {

TEST(HeadlessStatusView, BatteryIsWhatTheLabelShowsLast) {
    HeadlessStatusView view;
    int changes = 0;
    view.SetOnChange([&] { ++changes; });
    EXPECT_EQ(view.Battery(), std::nullopt) << "nothing reported yet";

    view.SetTextKey("ms_1_label_power", "charging_text");
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
    EXPECT_EQ(changes, 6);
}

TEST(HeadlessStatusView, StageAndRateCountOnlyWhenTheirOptionsAreSelected) {
    HeadlessStatusView view;
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

}  // namespace
}  // namespace ms1::cli
