#include "ui/page/qt/PageAccessibility.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QColor>
#include <QLabel>
#include <QWidget>

#include "core/ProfileRecord.h"
#include "ui/dialogs/qt/AccessibleNames.h"
#include "ui/page/PageNames.h"
#include "ui/page/PageRanges.h"
#include "ui/page/qt/ElidedButtonText.h"
#include "ui/page/qt/ScaledSliderAccessible.h"

namespace ms1 {
namespace {

constexpr int kPageButtonCount = 18;
constexpr int kMousePictures = 6;

QString Name(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

int Number(const QString& name, const char* prefix, int count) {
    return NumberAfter(name.toStdString(), prefix, count);
}

// A slider whose value is one of a number of levels: "5 of 15".
QString LevelWords(const dui::LanguageTexts* texts, int value, const PageRange& range) {
    return AccessibleWords(texts, "acc_level_words", QString::number(range.Shown(value)),
                           QString::number(range.max));
}

}  // namespace

PageAccessibility::PageAccessibility(QWidget* page, const dui::LanguageTexts* texts)
    : QObject(page), page_(page), texts_(texts) {}

QString PageAccessibility::SliderWords(const QString& slider, int value,
                                       const dui::LanguageTexts* texts) {
    const QString shown = QString::number(ScaledSliderAccessible::Shown(slider, value), 'f',
                                          slider == Name(pageui::kSliderLightOff) ? 1 : 0);
    if (Number(slider, pageui::kSliderDpiPrefix, kDpiStages) != 0)
        return AccessibleWords(texts, "acc_dpi_words", shown);
    if (slider == Name(pageui::kSliderBrightness))
        return LevelWords(texts, value, kBrightnessRange);
    if (slider == Name(pageui::kSliderBreathspeed))
        return LevelWords(texts, value, kBreathSpeedRange);
    // The light-off timer counts half minutes, as the label beside it shows them.
    if (slider == Name(pageui::kSliderLightOff))
        return AccessibleWords(texts, "acc_minutes_words", shown);
    if (slider == Name(pageui::kSliderSleepTimer)) {
        return AccessibleWords(texts, "acc_minutes_words",
                               QString::number(kSleepTimerRange.Shown(value)));
    }
    if (slider == Name(pageui::kSliderKeyDebounce))
        return AccessibleWords(texts, "acc_milliseconds_words", shown);
    return {};
}

void PageAccessibility::Apply() {
    if (page_ == nullptr)
        return;
    NameAccessibly(page_, texts_,
                   {
                       {kProfileList, "acc_profile_list_name", "acc_profile_list_desc"},
                       {pageui::kVerSetting, "acc_settings_name", ""},
                       {pageui::kProgressPower, "acc_battery_name", ""},
                       {pageui::kComboLight, "acc_light_effect_name", ""},
                       {pageui::kSliderBrightness, "acc_brightness_name", ""},
                       {pageui::kSliderBreathspeed, "acc_breath_speed_name", ""},
                       {pageui::kSliderLightOff, "acc_light_off_name", ""},
                       {pageui::kSliderSleepTimer, "acc_sleep_name", ""},
                       {pageui::kSliderKeyDebounce, "acc_debounce_name", ""},
                   });
    for (int i = 1; i <= kDpiStages; ++i) {
        const QString stage = QString::number(i);
        if (QWidget* option =
                page_->findChild<QWidget*>(Name(Numbered(pageui::kOptionDpiStepPrefix, i)))) {
            option->setAccessibleName(AccessibleWords(texts_, "acc_stage_name", stage));
        }
        if (QWidget* slider =
                page_->findChild<QWidget*>(Name(Numbered(pageui::kSliderDpiPrefix, i)))) {
            slider->setAccessibleName(AccessibleWords(texts_, "acc_stage_dpi_name", stage));
        }
        if (QWidget* edit = page_->findChild<QWidget*>(Name(Numbered(pageui::kEditDpiPrefix, i)))) {
            edit->setAccessibleName(AccessibleWords(texts_, "acc_stage_dpi_edit_name", stage));
            edit->setAccessibleDescription(AccessibleWords(texts_, "acc_stage_dpi_edit_desc"));
        }
    }
    for (int i = 1; i <= kMousePictures; ++i) {
        if (QWidget* option =
                page_->findChild<QWidget*>(Name(Numbered(pageui::kOptionMousePicPrefix, i)))) {
            option->setAccessibleName(
                AccessibleWords(texts_, "acc_mouse_model_name", QString::number(i)));
        }
    }
    // Values the user changes refresh their own texts; the page's changes come to Refresh().
    for (QWidget* control : page_->findChildren<QWidget*>()) {
        if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
            connect(slider, &QAbstractSlider::valueChanged, this,
                    [this, slider] { Refresh(slider); });
        }
        Refresh(control);
    }
}

void PageAccessibility::Refresh(QWidget* control) {
    if (control == nullptr || page_ == nullptr || !page_->isAncestorOf(control))
        return;
    const QString name = control->objectName();
    if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        const QString words = SliderWords(name, slider->value(), texts_);
        if (!words.isEmpty() && control->accessibleDescription() != words)
            control->setAccessibleDescription(words);
    } else if (name == Name(pageui::kProgressPower) || name == Name(pageui::kLabelPower)) {
        DescribeBattery();
    } else if (Number(name, pageui::kBtnKeyPrefix, kPageButtonCount) != 0) {
        NameFunctionButton(control);
    } else if (Number(name, pageui::kBtnDpiColorPrefix, kDpiStages) != 0 ||
               name == Name(pageui::kBtnLightColor)) {
        NameColourDot(control);
    }
}

void PageAccessibility::DescribeBattery() {
    // The bar sweeps while the mouse charges; the label beside it says the level or "Charging".
    QWidget* bar = page_->findChild<QWidget*>(Name(pageui::kProgressPower));
    auto* label = page_->findChild<QLabel*>(Name(pageui::kLabelPower));
    if (bar != nullptr && label != nullptr && bar->accessibleDescription() != label->text())
        bar->setAccessibleDescription(label->text());
}

void PageAccessibility::NameFunctionButton(QWidget* button) {
    auto* pushButton = qobject_cast<QAbstractButton*>(button);
    if (pushButton == nullptr)
        return;
    // The caption beside the button says which mouse button it is ("1. Left").
    QString caption;
    if (QWidget* row = button->parentWidget()) {
        if (auto* label = row->findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
            caption = label->text();
    }
    const QString function = ElidedButtonText::WholeText(pushButton);
    const QString words =
        caption.isEmpty() ? function
                          : AccessibleWords(texts_, "acc_button_function_name", caption, function);
    if (button->accessibleName() != words)
        button->setAccessibleName(words);
}

void PageAccessibility::NameColourDot(QWidget* dot) {
    const QVariant stored = dot->property("bkcolor");
    const QString colour = stored.canConvert<QColor>() && stored.value<QColor>().isValid()
                               ? ColourWords(stored.value<QColor>(), texts_)
                               : AccessibleWords(texts_, "acc_colour_unknown");
    const int stage = Number(dot->objectName(), pageui::kBtnDpiColorPrefix, kDpiStages);
    const QString words = stage != 0 ? AccessibleWords(texts_, "acc_stage_colour_name",
                                                       QString::number(stage), colour)
                                     : AccessibleWords(texts_, "acc_light_colour_name", colour);
    if (dot->accessibleName() != words)
        dot->setAccessibleName(words);
    const QString description = AccessibleWords(texts_, "acc_colour_dot_desc");
    if (dot->accessibleDescription() != description)
        dot->setAccessibleDescription(description);
}

void PageAccessibility::NameMainWindow(QWidget* window, const dui::LanguageTexts* texts) {
    NameAccessibly(window, texts,
                   {
                       {"skin_btn", "acc_skin_btn_name", ""},
                       {"main_menu_btn", "acc_main_menu_name", ""},
                       {"min_btn", "acc_minimise_name", ""},
                       {"exit_btn", "acc_close_to_tray_name", ""},
                       {"apply_progress", "acc_apply_progress_name", ""},
                   });
}

}  // namespace ms1
