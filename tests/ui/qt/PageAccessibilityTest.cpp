// What a screen reader hears of the mouse page and the main window: the accessible names and
// descriptions from the language texts, and that they follow the values the page shows.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAccessible>
#include <QColor>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "app/CMainWnd.h"
#include "app/MousePageWindow.h"
#include "core/MacroRecord.h"
#include "platform/keyboard/XkbKeyboardLayout.h"
#include "storage/MacroStore.h"
#include "tests/support/TableTexts.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "tests/ui/qt/RecordingSession.h"
#include "ui/dialogs/qt/AccessibleNames.h"
#include "ui/dialogs/qt/CDpiColorWnd.h"
#include "ui/dialogs/qt/CMS_1_ProfileName.h"
#include "ui/dialogs/qt/CMS_1_SelectMacro.h"
#include "ui/dialogs/qt/CShortcutWnd.h"
#include "ui/macro/qt/CMS_1_Macro.h"
#include "ui/page/qt/PageAccessibility.h"
#include "ui/page/qt/ScaledSliderAccessible.h"

namespace ms1::test {
namespace {

std::shared_ptr<dui::LanguageTexts> TextsFor(const char* locale) {
    auto texts = std::make_shared<dui::LanguageTexts>();
    texts->LoadForLocale(ResourceFolder(), QString::fromLatin1(locale));
    return texts;
}

TEST(PageAccessibilityWords, SlidersSayTheirValueWithItsUnit) {
    const auto english = TextsFor("C");
    const auto german = TextsFor("de_DE.UTF-8");
    struct Row {
        const char* slider;
        int value;
        const dui::LanguageTexts* texts;
        const char* words;
    };
    const auto chinese = TextsFor("zh_CN.UTF-8");
    const Row rows[] = {
        {"ms_1_slider_dpi_3", 60, english.get(), "3000 DPI"},
        {"ms_1_slider_dpi_1", 16, english.get(), "800 DPI"},
        {"ms_1_slider_dpi_8", 220, english.get(), "12000 DPI"},  // 100 a step above 200
        {"ms_1_slider_dpi_2", 340, english.get(), "24000 DPI"},  // the top step
        {"ms_1_slider_dpi_2", 0, english.get(), "50 DPI"},       // below the slider: its least
        {"ms_1_slider_brightness", 5, english.get(), "5 of 15"},
        {"ms_1_slider_brightness", 5, german.get(), "5 von 15"},
        {"ms_1_slider_breathspeed", 8, english.get(), "8 of 8"},
        {"ms_1_slider_light_off", 5, english.get(), "2.5 min"},  // half minutes
        {"ms_1_slider_sleep_timer", 3, english.get(), "3 min"},
        {"ms_1_slider_key_debounce", 4, english.get(), "8 ms"},  // 2 ms a step
        {"ms_1_slider_key_debounce", 4, chinese.get(), "8 毫秒"},
        {"ms_1_slider_dpi_9", 60, english.get(), ""},  // no ninth stage
        {"ms_1_edit_dpi_3", 60, english.get(), ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PageAccessibility::SliderWords(row.slider, row.value, row.texts).toStdString(),
                  row.words)
            << row.slider << " at " << row.value;
    }
}

TEST(PageAccessibilityWords, ColourDotsSayTheNearestColourAndItsValue) {
    const auto english = TextsFor("C");
    const auto german = TextsFor("de_DE.UTF-8");
    struct Row {
        QRgb colour;
        const dui::LanguageTexts* texts;
        const char* words;
    };
    const Row rows[] = {
        {0xFFFF0000, english.get(), "red (#FF0000)"},
        {0xFFFF0000, german.get(), "rot (#FF0000)"},
        {0xFFFF5400, english.get(), "orange (#FF5400)"},
        {0xFFFFFF00, english.get(), "yellow (#FFFF00)"},
        {0xFF1EB40A, english.get(), "green (#1EB40A)"},
        {0xFF00FFFF, english.get(), "cyan (#00FFFF)"},
        {0xFF48B1FF, english.get(), "blue (#48B1FF)"},
        {0xFF7F00FF, english.get(), "purple (#7F00FF)"},
        {0xFFFF00FF, english.get(), "magenta (#FF00FF)"},
        {0xFFFF48B0, english.get(), "pink (#FF48B0)"},
        {0xFFFF0030, english.get(), "red (#FF0030)"},  // past pink, round to red again
        {0xFFFFFFFF, english.get(), "white (#FFFFFF)"},
        {0xFFFFFFFF, german.get(), "weiß (#FFFFFF)"},
        {0xFF808080, english.get(), "grey (#808080)"},
        {0xFF000000, english.get(), "black (#000000)"},
        {0xFF100000, english.get(), "black (#100000)"},  // too dark to tell its hue
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ColourWords(QColor::fromRgba(row.colour), row.texts).toStdString(), row.words)
            << std::hex << row.colour;
    }
}

TEST(ScaledSliderValues, TheValueIsTheNumberThePageShows) {
    struct Row {
        const char* slider;
        int position;
        double shown;
    };
    const Row rows[] = {
        {"ms_1_slider_dpi_1", 16, 800},    {"ms_1_slider_dpi_3", 64, 3200},
        {"ms_1_slider_dpi_8", 200, 10000}, {"ms_1_slider_dpi_8", 201, 10100},
        {"ms_1_slider_dpi_2", 340, 24000}, {"ms_1_slider_light_off", 5, 2.5},
        {"ms_1_slider_light_off", 20, 10}, {"ms_1_slider_key_debounce", 4, 8},
        {"ms_1_slider_brightness", 5, 5},  // its position is its level
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ScaledSliderAccessible::Shown(row.slider, row.position), row.shown)
            << row.slider << " at " << row.position;
        EXPECT_EQ(ScaledSliderAccessible::Position(row.slider, row.shown), row.position)
            << row.slider << " told " << row.shown;
    }
    // A number between positions, or beyond the ends, goes to the nearest position.
    EXPECT_EQ(ScaledSliderAccessible::Position("ms_1_slider_dpi_1", 99999), 340);
    EXPECT_EQ(ScaledSliderAccessible::Position("ms_1_slider_dpi_1", 10), 1);
    EXPECT_EQ(ScaledSliderAccessible::Position("ms_1_slider_key_debounce", 40), 15);
    EXPECT_FALSE(ScaledSliderAccessible::Scaled("ms_1_slider_sleep_timer"));
}

// The page in the real main window, in the language of `locale`.
class PageAccessibilityTest : public ::testing::Test {
  protected:
    void SetUp() override { TestApp(); }
    void TearDown() override {
        if (window_ != nullptr)
            window_->UnregisterPage();
        window_.reset();
        page_.reset();
    }

    void Start(const char* locale = "C") {
        ASSERT_TRUE(temp_.isValid());
        auto session = std::make_unique<RecordingSession>();
        session_ = session.get();
        page_ = std::make_unique<MousePageWindow>(std::filesystem::path(temp_.path().toStdString()),
                                                  std::move(session));
        window_ = std::make_unique<CMainWnd>(Skins(), TextsFor(locale),
                                             CMainWnd::Options{"", CMainWnd::Tray::Off});
        window_->RegisterPage(page_.get());
        ASSERT_TRUE(window_->Create());
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    template <typename T = QWidget>
    T* Find(const char* name) const {
        return qobject_cast<T*>(window_->FindControl(name));
    }
    // What the accessibility bridge hands a screen reader.
    static QString Heard(QWidget* control, QAccessible::Text text) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
        return face != nullptr ? face->text(text) : QString();
    }

    QTemporaryDir temp_;
    RecordingSession* session_ = nullptr;
    std::unique_ptr<MousePageWindow> page_;
    std::unique_ptr<CMainWnd> window_;
};

// A control a person can use: buttons, sliders, fields, lists, the battery bar.
bool IsControl(QWidget* widget) {
    return qobject_cast<QAbstractButton*>(widget) != nullptr ||
           qobject_cast<QAbstractSlider*>(widget) != nullptr ||
           qobject_cast<QLineEdit*>(widget) != nullptr ||
           qobject_cast<QComboBox*>(widget) != nullptr ||
           qobject_cast<QAbstractItemView*>(widget) != nullptr ||
           qobject_cast<QPlainTextEdit*>(widget) != nullptr ||
           qobject_cast<QProgressBar*>(widget) != nullptr;
}

TEST_F(PageAccessibilityTest, ScaledSlidersTellAndTakeTheShownNumber) {
    Start();
    auto* slider = Find<QSlider>("ms_1_slider_dpi_3");
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(slider);
    ASSERT_NE(face, nullptr);
    QAccessibleValueInterface* value = face->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(face->role(), QAccessible::Slider);
    EXPECT_EQ(value->currentValue().toDouble(), 2400);
    EXPECT_EQ(value->minimumValue().toDouble(), 50);
    EXPECT_EQ(value->maximumValue().toDouble(), 24000);

    // A screen reader setting 3200 moves the slider as the user would: the page follows.
    value->setCurrentValue(3200);
    QCoreApplication::processEvents();
    EXPECT_EQ(slider->value(), 64);
    EXPECT_EQ(Find<QLabel>("ms_1_label_dpi_3")->text(), "3200");
    EXPECT_EQ(Heard(slider, QAccessible::Description), "3200 DPI");
}

// No name, or one that does not say what the control is: a digit or symbol alone ("3", "≡").
bool SaysNothing(const QString& name) {
    const QString trimmed = name.trimmed();
    return trimmed.isEmpty() || (trimmed.size() == 1 && !trimmed.front().isLetter());
}

TEST_F(PageAccessibilityTest, EveryControlOfTheWindowHasAName) {
    Start();
    QStringList unnamed;
    for (QWidget* widget : window_->Widget()->findChildren<QWidget*>()) {
        // Qt's own parts (scroll bars, a combo box's list) are not controls of the skin.
        if (!IsControl(widget) || widget->objectName().isEmpty() ||
            widget->objectName().startsWith(QLatin1String("qt_")))
            continue;
        if (SaysNothing(Heard(widget, QAccessible::Name)))
            unnamed << widget->objectName() + QLatin1Char(':') + widget->metaObject()->className();
    }
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(QLatin1String(", ")).toStdString();
}

TEST_F(PageAccessibilityTest, NamesAndDescriptionsComeFromTheLanguageTexts) {
    struct Row {
        const char* locale;
        const char* control;
        const char* name;
        const char* description;  // nullptr: not checked
    };
    const Row rows[] = {
        {"C", "ms_1_list_profile", "Profiles",
         "The profiles kept for the mouse; the chosen one is the one the mouse uses and the "
         "page shows"},
        {"C", "ms_1_option_dpi_step_3", "Stage 3", nullptr},
        {"C", "ms_1_slider_dpi_3", "Stage 3 DPI", "2400 DPI"},
        {"C", "ms_1_edit_dpi_3", "Stage 3 DPI value",
         "Type a DPI from 50 to 24000; Enter takes it"},
        {"C", "ms_1_btn_dpi_color_4", "Stage 4 colour: magenta (#FF00FF)",
         "Opens the colour choice"},
        {"C", "ms_1_slider_key_debounce", "Button debounce", nullptr},
        {"C", "ms_1_progress_power", "Battery level", nullptr},
        {"C", "ms_1_option_mouse_pic_2", "Mouse model 2", nullptr},
        {"C", "ms_1_btn_key_1", "1. Left: Left click", nullptr},
        {"C", "main_menu_btn", "Menu", nullptr},
        {"C", "exit_btn", "Close to the tray", nullptr},
        {"de_DE.UTF-8", "ms_1_slider_dpi_3", "DPI Stufe 3", "2400 DPI"},
        {"de_DE.UTF-8", "ms_1_btn_dpi_color_1", "Farbe Stufe 1: rot (#FF0000)",
         "Öffnet die Farbwahl"},
        {"de_DE.UTF-8", "ms_1_list_profile", "Profile", nullptr},
        {"de_DE.UTF-8", "ms_1_slider_brightness", "Helligkeit", nullptr},
        {"zh_CN.UTF-8", "ms_1_slider_dpi_2", "档位 2 DPI", "1600 DPI"},
        {"zh_CN.UTF-8", "min_btn", "最小化", nullptr},
    };
    const char* started = nullptr;
    for (const Row& row : rows) {
        if (started == nullptr || QByteArray(started) != row.locale) {
            TearDown();
            Start(row.locale);
            started = row.locale;
        }
        QWidget* control = Find(row.control);
        ASSERT_NE(control, nullptr) << row.control;
        EXPECT_EQ(Heard(control, QAccessible::Name).toStdString(), row.name)
            << row.locale << " " << row.control;
        if (row.description != nullptr) {
            EXPECT_EQ(Heard(control, QAccessible::Description).toStdString(), row.description)
                << row.locale << " " << row.control;
        }
    }
}

TEST_F(PageAccessibilityTest, TextsFollowTheValuesThePageShows) {
    Start();
    // A DPI typed into its box moves the slider: the slider tells the new value.
    auto* edit = Find<QLineEdit>("ms_1_edit_dpi_4");
    edit->selectAll();
    QTest::keyClicks(edit, "3200");
    QTest::keyClick(edit, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(Heard(Find("ms_1_slider_dpi_4"), QAccessible::Description), "3200 DPI");

    // The user's own move of a slider.
    auto* debounce = Find<QSlider>("ms_1_slider_key_debounce");
    debounce->setValue(debounce->value() == 7 ? 6 : 7);
    QCoreApplication::processEvents();
    EXPECT_EQ(Heard(debounce, QAccessible::Description),
              QString::number(2 * debounce->value()) + " ms");

    // The battery level the mouse reports.
    session_->status->ShowBatteryLevel(76);
    QCoreApplication::processEvents();
    EXPECT_EQ(Heard(Find("ms_1_progress_power"), QAccessible::Description), "76%");
    // While the mouse charges the bar sweeps; it says so rather than the sweep's place.
    session_->status->ShowBatteryCharging(76, true);
    session_->status->ShowChargeFrame();
    QCoreApplication::processEvents();
    EXPECT_EQ(Heard(Find("ms_1_progress_power"), QAccessible::Description), "Charging");
}

// The dialogs a page opens and the macro editor: every control has a name a screen reader can say,
// in the language of the texts.
TEST(DialogAccessibility, EveryControlIsNamedInTheLanguage) {
    TestApp();
    const std::unique_ptr<KeyboardLayout> us = XkbKeyboardLayout::FromNames("us");
    ASSERT_NE(us, nullptr) << "xkb data (xkb-data) is missing";
    const TableTexts keyTexts;
    const HookTable noLibrary{};
    const std::vector<std::u16string> profiles{u"Work"};
    const MacroList macros{MakeEmptyMacro(u"Reload")};
    using Open =
        std::function<std::unique_ptr<dui::DuiWindow>(std::shared_ptr<const dui::LanguageTexts>)>;
    const Open profileName = [&](auto texts) {
        return std::make_unique<CMS_1_ProfileName>(Skins(), texts, "profile_name_1_text", profiles);
    };
    const Open colour = [](auto texts) { return std::make_unique<CDpiColorWnd>(Skins(), texts); };
    const Open selectMacro = [&](auto texts) {
        return std::make_unique<CMS_1_SelectMacro>(Skins(), texts, macros);
    };
    const Open shortcut = [&](auto texts) {
        return std::make_unique<CShortcutWnd>(Skins(), texts, noLibrary, *us, keyTexts);
    };
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    MacroStore store(data.path().toStdString());
    store.LoadMacroStore();
    const Open editor = [&](auto texts) {
        return std::make_unique<CMS_1_Macro>(
            Skins(), texts, CMS_1_Macro::Deps{store, noLibrary, *us, data.path().toStdString()});
    };
    struct Row {
        const Open* open;
        const char* locale;
        const char* control;
        const char* name;
    };
    const Row rows[] = {
        {&profileName, "C", "edit_name", "Profile name"},
        {&profileName, "C", "btn_exit", "Close"},
        {&profileName, "de_DE.UTF-8", "edit_name", "Profilname"},
        {&colour, "C", "r_edit", "Red"},
        {&colour, "C", "mouse_dpi_color_11", "red (#FF0000)"},
        {&colour, "C", "mouse_dpi_color_1", "cyan (#00FFFF)"},
        {&colour, "C", "ColorPallet", "Colour field"},
        {&colour, "zh_CN.UTF-8", "b_edit", "蓝"},
        {&colour, "de_DE.UTF-8", "mouse_dpi_color_16", "weiß (#FFFFFF)"},
        {&selectMacro, "C", "list_macro", "Macros"},
        {&selectMacro, "C", "edit_loop_time", "Number of repeats"},
        {&selectMacro, "de_DE.UTF-8", "btn_exit", "Schließen"},
        {&shortcut, "C", "edit_key", "Key"},
        {&shortcut, "de_DE.UTF-8", "edit_key", "Taste"},
        {&editor, "C", "ms_1_macro_action_list", "Actions"},
        {&editor, "C", "ms_1_macro_delay_edit", "Delay after the action in ms"},
        {&editor, "de_DE.UTF-8", "ms_1_macro_name_edit", "Makroname"},
        {&editor, "zh_CN.UTF-8", "btn_exit", "关闭"},
    };
    for (const Row& row : rows) {
        std::unique_ptr<dui::DuiWindow> dialog = (*row.open)(TextsFor(row.locale));
        ASSERT_TRUE(dialog->Create());
        QWidget* control = dialog->FindControl(row.control);
        ASSERT_NE(control, nullptr) << row.control;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->text(QAccessible::Name).toStdString(), row.name)
            << row.locale << " " << row.control;
        QStringList unnamed;
        for (QWidget* widget : dialog->Widget()->findChildren<QWidget*>()) {
            QAccessibleInterface* part = QAccessible::queryAccessibleInterface(widget);
            if (IsControl(widget) && !widget->objectName().isEmpty() && part != nullptr &&
                SaysNothing(part->text(QAccessible::Name)))
                unnamed << widget->objectName();
        }
        EXPECT_TRUE(unnamed.isEmpty()) << row.control << ": " << unnamed.join(' ').toStdString();
    }
}

}  // namespace
}  // namespace ms1::test
