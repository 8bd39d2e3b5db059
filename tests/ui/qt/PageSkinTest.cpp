// The page skin holds every control the page and the status decoding address by name.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollArea>
#include <QSlider>
#include <memory>
#include <string>
#include <vector>

#include "core/ProfileRecord.h"
#include "platform/dui/SkinTexts.h"
#include "tests/ui/qt/QtPageFixtures.h"

namespace ms1::test {
namespace {

std::vector<std::string> Numbered(const std::string& prefix, int count) {
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i) {
        names.push_back(prefix + std::to_string(i));
    }
    return names;
}

std::vector<std::string> PageControlNames() {
    std::vector<std::string> names = {"ms_1_btn_macro",
                                      "ms_1_list_profile",
                                      "ms_1_profile_add_btn",
                                      "ms_1_profile_delete_btn",
                                      "ms_1_profile_rename_btn",
                                      "ms_1_profile_import_btn",
                                      "ms_1_profile_export_btn",
                                      "ms_1_profile_reset_btn",
                                      "ms_1_wired",
                                      "ms_1_wireless",
                                      "ms_1_BLE",
                                      "ms_1_check_button",
                                      "ms_1_check_profile",
                                      "ms_1_check_power",
                                      "ms_1_check_dpi",
                                      "ms_1_check_light",
                                      "ms_1_check_prate",
                                      "ms_1_check_mouse_attribute",
                                      "ms_1_check_power_setting",
                                      "ms_1_check_lift_of_distance",
                                      "ms_1_check_key_debounce",
                                      "ms_1_check_ripple_control",
                                      "ms_1_check_angle_snap",
                                      "ms_1_hor_button",
                                      "ms_1_ver_profile",
                                      "ms_1_ver_power",
                                      "ms_1_ver_dpi",
                                      "ms_1_ver_light",
                                      "ms_1_ver_prate",
                                      "ms_1_ver_mouse_attribute",
                                      "ms_1_ver_power_setting",
                                      "ms_1_hor_lift_of_distance",
                                      "ms_1_hor_key_debounce",
                                      "ms_1_hor_ripple_control",
                                      "ms_1_hor_angle_snap",
                                      "ms_1_ver_setting",
                                      "ms_1_combo_light",
                                      "ms_1_ver_brightness",
                                      "ms_1_slider_brightness",
                                      "ms_1_ver_breathspeed",
                                      "ms_1_slider_breathspeed",
                                      "ms_1_hor_light_color",
                                      "ms_1_btn_light_color",
                                      "ms_1_label_prate",
                                      "ms_1_btn_mouse_attribute",
                                      "ms_1_slider_light_off",
                                      "ms_1_label_light_off",
                                      "ms_1_slider_sleep_timer",
                                      "ms_1_label_sleep_timer",
                                      "ms_1_slider_key_debounce",
                                      "ms_1_label_key_debounce",
                                      "ms_1_check_move_close_light",
                                      "ms_1_apply_btn",
                                      "ms_1_btn_apply_dpi",
                                      "ms_1_btn_reset_dpi",
                                      "ms_1_btn_reset",
                                      "ms_1_progress_power",
                                      "ms_1_label_power",
                                      "ms_1_low_power_label",
                                      "ms_1_container_mouse_pic",
                                      "ms_1_label_unconfirmed"};
    const std::pair<const char*, int> families[] = {{"ms_1_btn_key_", 18},
                                                    {"ms_1_key_control_", 18},
                                                    {"ms_1_slider_dpi_", 8},
                                                    {"ms_1_label_dpi_", 8},
                                                    {"ms_1_option_dpi_step_", 8},
                                                    {"ms_1_btn_dpi_color_", 8},
                                                    {"ms_1_edit_dpi_", 8},
                                                    {"ms_1_btn_prate_", 4},
                                                    {"ms_1_option_lift_of_distance_", 2},
                                                    {"ms_1_option_ripple_control_", 2},
                                                    {"ms_1_option_angle_snap_", 2},
                                                    {"ms_1_option_mouse_pic_", 6}};
    for (const auto& [prefix, count] : families) {
        for (std::string& name : Numbered(prefix, count)) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

class PageSkinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        page_.reset(Skins()->Load("MS/MS_1/ms_1_page.xml", nullptr));
        ASSERT_NE(page_, nullptr) << "skin missing under " << ResourceFolder().toStdString();
        // Its texts are language keys: shown in English, as the window would.
        dui::ShowSkinTexts(page_.get(), Texts().get());
    }
    template <typename T = QWidget>
    T* Find(const std::string& name) const {
        return page_->findChild<T*>(QString::fromStdString(name));
    }
    std::unique_ptr<QWidget> page_;
};

TEST_F(PageSkinTest, HoldsEveryNamedControlOnce) {
    for (const std::string& name : PageControlNames()) {
        const auto found = page_->findChildren<QWidget*>(QString::fromStdString(name));
        EXPECT_EQ(found.size(), 1) << name;
    }
}

TEST_F(PageSkinTest, ControlsHaveTheKindAndRangesThePageExpects) {
    for (int i = 1; i <= 8; ++i) {
        auto* slider = Find<QSlider>("ms_1_slider_dpi_" + std::to_string(i));
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->minimum(), 1);
        EXPECT_EQ(slider->maximum(), 340);  // 50 .. 24000 DPI
        EXPECT_NE(Find<QLineEdit>("ms_1_edit_dpi_" + std::to_string(i)), nullptr);
        EXPECT_NE(Find<QAbstractButton>("ms_1_option_dpi_step_" + std::to_string(i)), nullptr);
    }
    auto* combo = Find<QComboBox>("ms_1_combo_light");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 16);
    EXPECT_EQ(Find<QSlider>("ms_1_slider_brightness")->maximum(), 15);
    EXPECT_EQ(Find<QSlider>("ms_1_slider_breathspeed")->minimum(), 1);
    EXPECT_EQ(Find<QSlider>("ms_1_slider_breathspeed")->maximum(), 8);
    EXPECT_EQ(Find<QSlider>("ms_1_slider_sleep_timer")->maximum(), 15);
    EXPECT_EQ(Find<QSlider>("ms_1_slider_light_off")->maximum(), 20);
    EXPECT_EQ(Find<QSlider>("ms_1_slider_key_debounce")->maximum(), 15);
    EXPECT_NE(Find<QListWidget>("ms_1_list_profile"), nullptr);
    EXPECT_NE(Find<QScrollArea>("ms_1_ver_setting"), nullptr);
}

TEST_F(PageSkinTest, OptionGroupsAreExclusiveEachOnItsOwn) {
    // Choosing a polling rate must not clear the active stage or the model option.
    Find<QAbstractButton>("ms_1_option_dpi_step_3")->setChecked(true);
    Find<QAbstractButton>("ms_1_option_mouse_pic_2")->setChecked(true);
    Find<QAbstractButton>("ms_1_btn_prate_2")->setChecked(true);
    Find<QAbstractButton>("ms_1_option_angle_snap_2")->setChecked(true);
    EXPECT_TRUE(Find<QAbstractButton>("ms_1_option_dpi_step_3")->isChecked());
    EXPECT_TRUE(Find<QAbstractButton>("ms_1_option_mouse_pic_2")->isChecked());
    EXPECT_TRUE(Find<QAbstractButton>("ms_1_btn_prate_2")->isChecked());
    EXPECT_FALSE(Find<QAbstractButton>("ms_1_btn_prate_4")->isChecked());
    EXPECT_TRUE(Find<QAbstractButton>("ms_1_option_ripple_control_1")->isChecked());
    EXPECT_FALSE(Find<QAbstractButton>("ms_1_option_angle_snap_1")->isChecked());
}

// Each button's caption names the place on the mouse whose function the defaults give it.
TEST_F(PageSkinTest, ButtonCaptionsMatchTheDefaultFunctions) {
    struct Row {
        int button;
        const char* caption;
        std::uint8_t defaultFunction;  // codes of the function menu
    };
    const Row rows[] = {{1, "1. Left", 1},         {2, "2. Right", 2},
                        {3, "3. Wheel click", 3},  {4, "4. DPI (top)", 6},
                        {7, "7. Side forward", 4}, {8, "8. Side back", 5},
                        {15, "15. Wheel up", 11},  {16, "16. Wheel down", 12}};
    for (const Row& row : rows) {
        auto* line = Find("ms_1_key_control_" + std::to_string(row.button));
        ASSERT_NE(line, nullptr) << row.button;
        auto* caption = line->findChild<QLabel*>();
        ASSERT_NE(caption, nullptr) << row.button;
        EXPECT_EQ(caption->text().toStdString(), row.caption);
        EXPECT_EQ(DefaultButtonFunction(row.button - 1), row.defaultFunction) << row.button;
    }
}

TEST(MousePictures, SixDifferentPicturesAreBesideTheSkins) {
    TestApp();
    std::vector<QImage> images;
    for (int i = 1; i <= 6; ++i) {
        const QString file =
            QDir(ResourceFolder()).filePath(QStringLiteral("skins/ms_1/mouse_%1.png").arg(i));
        QImage image(file);
        ASSERT_FALSE(image.isNull()) << file.toStdString();
        for (const QImage& other : images) {
            EXPECT_NE(image, other) << "mouse_" << i << ".png repeats an earlier picture";
        }
        images.push_back(image);
    }
}

}  // namespace
}  // namespace ms1::test
