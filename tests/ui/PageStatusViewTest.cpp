#include "ui/page/PageStatusView.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/ProtocolFakes.h"

namespace ms1 {
namespace {

// The page's status controls as one line: "shown:", "checked:", "option:" and "battery:"
// entries, texts as name=text, bars as name@value, combo boxes as name#index.
std::string Dump(const test::FakeStatusControls& c) {
    std::string out;
    auto add = [&out](const std::string& entry) { out += (out.empty() ? "" : " ") + entry; };
    for (const auto& name : c.visible)
        add("shown:" + name);
    for (const auto& name : c.checked)
        add("checked:" + name);
    for (const auto& [name, text] : c.text)
        add(name + "=" + text);
    for (const auto& [name, value] : c.progress)
        add(name + "@" + std::to_string(value));
    if (!c.selectedOption.empty())
        add("option:" + c.selectedOption);
    for (const auto& [name, index] : c.combo)
        add(name + "#" + std::to_string(index));
    if (c.lightRefreshes != 0)
        add("light-refreshes:" + std::to_string(c.lightRefreshes));
    for (const auto& battery : c.battery)
        add("battery:" + battery);
    return out;
}

// What each thing the status decoding shows does to the page's controls, by their skin names.
TEST(PageStatusView, ShowsTheStatusOnThePagesControls) {
    struct Row {
        const char* name;
        std::function<void(StatusView&)> show;
        bool sectionsOpen;  // before: the rate and debounce sections open, the cable up
        const char* expected;
    };
    const Row rows[] = {
        {"wired up", [](StatusView& v) { v.ShowLink(StatusLink::kWired, true); }, false,
         "shown:ms_1_wired"},
        {"receiver up", [](StatusView& v) { v.ShowLink(StatusLink::kWireless, true); }, false,
         "shown:ms_1_wireless"},
        {"Bluetooth up", [](StatusView& v) { v.ShowLink(StatusLink::kBle, true); }, false,
         "shown:ms_1_BLE"},
        {"wired down", [](StatusView& v) { v.ShowLink(StatusLink::kWired, false); }, true,
         "shown:ms_1_check_key_debounce shown:ms_1_check_prate shown:ms_1_hor_key_debounce "
         "shown:ms_1_ver_prate checked:ms_1_check_key_debounce checked:ms_1_check_light "
         "checked:ms_1_check_prate"},
        {"level", [](StatusView& v) { v.ShowBatteryLevel(9); }, false,
         "ms_1_label_power=9% ms_1_progress_power@9 battery:9"},
        {"full", [](StatusView& v) { v.ShowBatteryFull(); }, false,
         "ms_1_label_power=100% ms_1_progress_power@100 battery:100"},
        {"charging", [](StatusView& v) { v.ShowBatteryCharging(7, false); }, false,
         "ms_1_label_power=key:charging_text battery:7 charging"},
        {"unreported", [](StatusView& v) { v.ShowBatteryUnreported(); }, false,
         "ms_1_label_power=100% ms_1_progress_power@100"},
        {"cleared", [](StatusView& v) { v.ClearBattery(); }, false, "ms_1_label_power="},
        {"stage", [](StatusView& v) { v.ShowStage(8); }, false, "option:ms_1_option_dpi_step_8"},
        {"rate 0", [](StatusView& v) { v.ShowPollingRate(0); }, false, "option:ms_1_btn_prate_1"},
        {"rate 3", [](StatusView& v) { v.ShowPollingRate(3); }, false, "option:ms_1_btn_prate_4"},
        {"light mode", [](StatusView& v) { v.ShowLightMode(15); }, false,
         "ms_1_combo_light#15 light-refreshes:1"},
        {"light sections", [](StatusView& v) { v.RefreshLightSections(); }, false,
         "light-refreshes:1"},
        // Hiding the rate and debounce settings closes their open panels; the rest stays.
        {"rate and debounce hidden", [](StatusView& v) { v.ShowRateAndDebounce(false); }, true,
         "shown:ms_1_wired checked:ms_1_check_light"},
        // Showing them shows their headers only: the panels stay shut.
        {"rate and debounce shown", [](StatusView& v) { v.ShowRateAndDebounce(true); }, false,
         "shown:ms_1_check_key_debounce shown:ms_1_check_prate"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::FakeStatusControls controls;
        if (row.sectionsOpen) {
            controls.visible = {"ms_1_check_prate", "ms_1_ver_prate", "ms_1_check_key_debounce",
                                "ms_1_hor_key_debounce", "ms_1_wired"};
            controls.checked = {"ms_1_check_prate", "ms_1_check_key_debounce", "ms_1_check_light"};
        }
        PageStatusView view(controls);
        row.show(view);
        EXPECT_EQ(Dump(controls), row.expected);
    }
}

// While the mouse charges, each frame moves the battery bar on by 2 from empty to full and
// starts again; the cable's arrival starts the sweep from empty, other charging goes on.
TEST(PageStatusView, TheChargingSweepFillsTheBarAndStartsOver) {
    struct Row {
        const char* name;
        int framesBefore;   // frames shown before the charging report
        bool cableArrived;  // the report says the cable has just come
        int framesAfter;
        int bar;   // the bar after the last frame
        int next;  // where the next frame puts it
    };
    const Row rows[] = {
        {"first frame", 0, false, 1, 0, 2},
        {"two frames", 0, false, 2, 2, 4},
        {"full bar", 0, false, 51, 100, 0},
        {"after the full bar", 0, false, 52, 0, 2},
        {"charging again goes on", 5, false, 1, 10, 12},
        {"the cable starts it over", 5, true, 1, 0, 2},
        {"the cable after a wrap", 53, true, 3, 4, 6},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::FakeStatusControls controls;
        PageStatusView view(controls);
        for (int i = 0; i < row.framesBefore; ++i)
            view.ShowChargeFrame();
        view.ShowBatteryCharging(50, row.cableArrived);
        for (int i = 0; i < row.framesAfter; ++i)
            view.ShowChargeFrame();
        EXPECT_EQ(controls.progress["ms_1_progress_power"], row.bar);
        EXPECT_EQ(view.chargeStep(), row.next);
        EXPECT_EQ(controls.text["ms_1_label_power"], "key:charging_text");
    }
}

}  // namespace
}  // namespace ms1
