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
    view.ShowBatteryUnreported();
    EXPECT_EQ(view.Battery(), std::nullopt) << "the connection's 100% is no report";

    view.ShowBatteryCharging(0, false);
    EXPECT_EQ(view.Battery(), "charging");
    // Leaving the charger: the full form first, then the level replaces it.
    view.ShowBatteryFull();
    EXPECT_EQ(view.Battery(), "100%");
    view.ShowBatteryLevel(75);
    EXPECT_EQ(view.Battery(), "75%");
    view.ShowBatteryCharging(75, true);
    EXPECT_EQ(view.Battery(), "charging");
    // The wired mouse leaving empties the label: nothing known any more.
    view.ClearBattery();
    EXPECT_EQ(view.Battery(), std::nullopt);
    // Nothing else the decoding shows is a battery.
    view.ShowLink(StatusLink::kWireless, true);
    view.ShowStage(2);
    view.ShowChargeFrame();
    EXPECT_EQ(view.Battery(), std::nullopt);
    // A fresh Bluetooth connection after a report shows its full bar as the battery.
    view.ShowBatteryUnreported();
    EXPECT_EQ(view.Battery(), "100%");
    EXPECT_EQ(changes, 9) << "every battery, link and stage change; no charge frame";
}

TEST(StatusRecorder, StageAndRateCountOnlyWhenReported) {
    StatusRecorder view;
    view.ShowLightMode(3);
    view.ShowRateAndDebounce(false);
    EXPECT_FALSE(view.StageReported());
    EXPECT_FALSE(view.RateReported());
    view.ShowStage(3);
    EXPECT_TRUE(view.StageReported());
    EXPECT_FALSE(view.RateReported());
    view.ShowPollingRate(3);
    EXPECT_TRUE(view.RateReported());
}

// In the program the recorder stands in front of the page's status view: it sees every call.
TEST(StatusRecorder, PassesEveryCallOnToTheShownView) {
    test::FakeView shown;
    StatusRecorder view(&shown);
    view.ShowLink(StatusLink::kWireless, true);
    view.ShowBatteryLevel(40);
    view.ShowBatteryCharging(10, false);
    view.ShowPollingRate(1);
    view.ShowLightMode(3);
    view.ShowRateAndDebounce(true);
    view.RefreshLightSections();
    EXPECT_TRUE(shown.visible.count("ms_1_wireless"));
    EXPECT_EQ(shown.text["ms_1_label_power"], "key:charging_text");
    EXPECT_EQ(shown.selectedOption, "ms_1_btn_prate_2");
    EXPECT_EQ(shown.progress["ms_1_progress_power"], 40);
    EXPECT_EQ(shown.combo["ms_1_combo_light"], 3);
    EXPECT_TRUE(shown.visible.count("ms_1_check_prate"));
    EXPECT_EQ(shown.lightRefreshes, 2);
    EXPECT_EQ(shown.battery, (std::vector<std::string>{"40", "10 charging"}));
    view.ShowChargeFrame();
    view.ShowChargeFrame();
    EXPECT_EQ(shown.progress["ms_1_progress_power"], 2);
    view.ShowBatteryUnreported();
    view.ClearBattery();
    view.ShowStage(4);
    view.ShowLink(StatusLink::kWireless, false);
    EXPECT_EQ(shown.text["ms_1_label_power"], "");
    EXPECT_EQ(shown.progress["ms_1_progress_power"], 100);
    EXPECT_EQ(shown.selectedOption, "ms_1_option_dpi_step_4");
    EXPECT_FALSE(shown.visible.count("ms_1_wireless"));
    EXPECT_EQ(view.Battery(), std::nullopt);
    EXPECT_TRUE(view.RateReported());
    EXPECT_TRUE(view.StageReported());
}

}  // namespace
}  // namespace ms1
