// A profile whose numbers hold any bytes at all, as a damaged pro.data or a foreign .pro can:
// the page shows every value within the range its control offers, and the record keeps its
// bytes as they were read, so looking at the profile neither changes nor rewrites it.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "storage/ProfileStore.h"
#include "ui/PageFixture.h"

namespace ms1 {
namespace {

namespace fs = std::filesystem;
using DamagedProfile = test::PageFixture;

// The default profile "Odd" with every byte of its numeric settings (DPI stages, lighting,
// timers, options, debounce and the reserved numbers between them) and of each button's macro
// numbers set to `fill`.
std::unique_ptr<ProfileRecord> FilledProfile(std::uint8_t fill) {
    auto profile = MakeZeroedProfile();
    ResetProfileToDefaults(*profile);
    profile->profileName.set(u"Odd");
    auto* bytes = reinterpret_cast<std::uint8_t*>(profile.get());
    constexpr std::size_t first = offsetof(ProfileRecord, reserved2200);
    std::memset(bytes + first, fill, offsetof(ProfileRecord, lightColor) - first);
    for (ButtonEntry& entry : profile->button) {
        auto* button = reinterpret_cast<std::uint8_t*>(&entry);
        for (std::size_t at : {offsetof(ButtonEntry, macroMode), offsetof(ButtonEntry, macroRepeat),
                               offsetof(ButtonEntry, macroIndex)})
            std::memset(button + at, fill, sizeof(std::int32_t));
    }
    return profile;
}

std::vector<std::uint8_t> FileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool SameBytes(const ProfileRecord& a, const ProfileRecord& b) {
    return std::memcmp(&a, &b, sizeof(ProfileRecord)) == 0;
}

TEST_F(DamagedProfile, ShowsEveryValueWithinItsControlAndKeepsTheBytes) {
    // 0xFF.. is -1, 0x80.. the most negative of the fills, 0x7F.. the largest. A DPI step
    // below 0 reads 0, like an unused stage, while its slider rests at its lowest.
    struct Row {
        std::uint8_t fill;
        // DPI (every stage), brightness, breathing speed, light effect, lights off, sleep,
        // debounce.
        std::array<int, 7> values;
        // DPI (label and edit of every stage), lights off, sleep, debounce.
        std::array<const char*, 4> texts;
        // Active stage, polling rate, lift-off, ripple control, angle snapping.
        std::array<const char*, 5> options;
    };
    const Row rows[] = {
        {0xFF,
         {1, 0, 1, 0, 1, 1, 1},
         {"0", "Lights off after 0.5 min", "Sleep after 1 min", "2 ms"},
         {"ms_1_option_dpi_step_1", "ms_1_btn_prate_1", "ms_1_option_lift_of_distance_1",
          "ms_1_option_ripple_control_1", "ms_1_option_angle_snap_1"}},
        {0x80,
         {1, 0, 1, 0, 1, 1, 1},
         {"0", "Lights off after 0.5 min", "Sleep after 1 min", "2 ms"},
         {"ms_1_option_dpi_step_1", "ms_1_btn_prate_1", "ms_1_option_lift_of_distance_1",
          "ms_1_option_ripple_control_1", "ms_1_option_angle_snap_1"}},
        {0x7F,
         {340, 15, 8, 15, 20, 15, 15},
         {"24000", "Lights off after 10.0 min", "Sleep after 15 min", "30 ms"},
         {"ms_1_option_dpi_step_8", "ms_1_btn_prate_4", "ms_1_option_lift_of_distance_2",
          "ms_1_option_ripple_control_2", "ms_1_option_angle_snap_2"}},
    };
    enum class From { Store, Import };
    for (const Row& row : rows) {
        for (From from : {From::Store, From::Import}) {
            SCOPED_TRACE(testing::Message()
                         << "fill 0x" << std::hex << int{row.fill}
                         << (from == From::Store ? " in pro.data" : " imported"));
            fs::remove_all(data_);
            fs::create_directories(data_);
            controls_ = {};
            const auto odd = FilledProfile(row.fill);
            const fs::path store = data_ / "ms_1" / "pro.data";
            if (from == From::Store) {
                ProfileStore profiles(data_);
                profiles.LoadProfileStore(u"Profile");
                auto access = profiles.Lock();
                access.Profiles().clear();
                access.Profiles().push_back(std::make_unique<ProfileRecord>(*odd));
                ASSERT_TRUE(access.SaveProfileStore().ok());
            }
            const std::vector<std::uint8_t> storeBefore = FileBytes(store);
            CMS_1_Page& page = Start();
            if (from == From::Import) {
                std::ofstream(data_ / "odd.pro", std::ios::binary)
                    .write(reinterpret_cast<const char*>(odd.get()), sizeof(ProfileRecord));
                dialogs_.openFile = data_ / "odd.pro";
                Click("ms_1_profile_import_btn");
                ASSERT_TRUE(dialogs_.problems.empty()) << dialogs_.problems[0];
            }
            ASSERT_EQ(page.Working().profileName.get(), u"Odd");

            for (int i = 1; i <= kDpiStages; ++i) {
                const std::string n = std::to_string(i);
                EXPECT_EQ(controls_.values["ms_1_slider_dpi_" + n], row.values[0]) << n;
                EXPECT_EQ(controls_.texts["ms_1_label_dpi_" + n], row.texts[0]) << n;
                EXPECT_EQ(controls_.texts["ms_1_edit_dpi_" + n], row.texts[0]) << n;
            }
            const char* const valueControls[] = {
                "ms_1_slider_brightness", "ms_1_slider_breathspeed", "ms_1_combo_light",
                "ms_1_slider_light_off",  "ms_1_slider_sleep_timer", "ms_1_slider_key_debounce"};
            for (std::size_t i = 0; i < std::size(valueControls); ++i)
                EXPECT_EQ(controls_.values[valueControls[i]], row.values[i + 1])
                    << valueControls[i];
            const char* const textControls[] = {"ms_1_label_light_off", "ms_1_label_sleep_timer",
                                                "ms_1_label_key_debounce"};
            for (std::size_t i = 0; i < std::size(textControls); ++i)
                EXPECT_EQ(controls_.texts[textControls[i]], row.texts[i + 1]) << textControls[i];
            for (const char* option : row.options)
                EXPECT_TRUE(controls_.selectedOptions.count(option)) << option;
            EXPECT_EQ(controls_.selectedOptions.size(), 6u);  // and the mouse picture
            EXPECT_FALSE(controls_.IsChecked("ms_1_check_move_close_light"));
            EXPECT_EQ(controls_.texts["ms_1_btn_key_1"], "key:left_click_text");

            // The record is the one that was read, byte for byte, and saving at the end of
            // the program writes it back unchanged.
            EXPECT_TRUE(SameBytes(page.Working(), *odd));
            page.SaveStores();
            if (from == From::Store) {
                EXPECT_EQ(FileBytes(store), storeBefore);
            } else {
                ProfileStore reread(data_);
                reread.LoadProfileStore(u"Profile", StoreMode::ReadOnly);
                auto access = reread.Lock();
                ASSERT_EQ(access.Profiles().size(), 2u);
                EXPECT_TRUE(SameBytes(*access.Profiles()[1], *odd));
            }
            page_.reset();
        }
    }
}

}  // namespace
}  // namespace ms1
