#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <string>

#include "ui/MousePage.h"
#include "ui/PageFixture.h"

namespace ms1 {
namespace {

using StoredOptions = test::PageFixture;

// The option groups show the stored value counted from 1. A damaged store may hold any
// number there: the page then selects the nearest option it offers, and nothing overflows.
TEST_F(StoredOptions, AnyStoredValueSelectsTheNearestOptionCountedFromOne) {
    struct Row {
        std::function<void(ProfileRecord&, std::int32_t)> store;
        std::int32_t value;
        const char* option;
    };
    const Row rows[] = {
        {[](ProfileRecord& p, std::int32_t v) { p.activeStage = v; }, 3, "ms_1_option_dpi_step_4"},
        {[](ProfileRecord& p, std::int32_t v) { p.activeStage = v; }, INT_MAX,
         "ms_1_option_dpi_step_8"},
        {[](ProfileRecord& p, std::int32_t v) { p.activeStage = v; }, INT_MIN,
         "ms_1_option_dpi_step_1"},
        {[](ProfileRecord& p, std::int32_t v) { p.pollingRate = v; }, INT_MAX, "ms_1_btn_prate_4"},
        {[](ProfileRecord& p, std::int32_t v) { p.liftOffDistance = v; }, INT_MAX,
         "ms_1_option_lift_of_distance_2"},
        {[](ProfileRecord& p, std::int32_t v) { p.rippleControl = v; }, INT_MAX,
         "ms_1_option_ripple_control_2"},
        {[](ProfileRecord& p, std::int32_t v) { p.angleSnap = v; }, INT_MAX,
         "ms_1_option_angle_snap_2"},
        {[](ProfileRecord& p, std::int32_t v) { p.angleSnap = v; }, -1, "ms_1_option_angle_snap_1"},
    };
    CMS_1_Page& page = Start();
    for (const Row& row : rows) {
        row.store(page.Working(), row.value);
        page.RefreshPage();
        EXPECT_TRUE(controls_.selectedOptions.count(row.option)) << row.option;
    }
}

}  // namespace
}  // namespace ms1
