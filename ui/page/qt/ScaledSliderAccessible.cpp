#include "ui/page/qt/ScaledSliderAccessible.h"

#include <QAbstractSlider>
#include <cmath>

#include "core/ProfileRecord.h"
#include "ui/page/PageNames.h"
#include "ui/page/PageRanges.h"

namespace ms1 {
namespace {

enum class Scale { None, Dpi, HalfMinutes, TwoMilliseconds };

Scale ScaleOf(const QString& slider) {
    const std::string name = slider.toStdString();
    if (NumberAfter(name, pageui::kSliderDpiPrefix, kDpiStages) != 0)
        return Scale::Dpi;
    if (name == pageui::kSliderLightOff)
        return Scale::HalfMinutes;
    if (name == pageui::kSliderKeyDebounce)
        return Scale::TwoMilliseconds;
    return Scale::None;
}

QAccessibleInterface* Factory(const QString&, QObject* object) {
    auto* slider = qobject_cast<QAbstractSlider*>(object);
    if (slider == nullptr || !ScaledSliderAccessible::Scaled(slider->objectName()))
        return nullptr;
    return new ScaledSliderAccessible(slider);
}

}  // namespace

ScaledSliderAccessible::ScaledSliderAccessible(QAbstractSlider* slider)
    : QAccessibleWidget(slider, QAccessible::Slider) {}

void ScaledSliderAccessible::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

bool ScaledSliderAccessible::Scaled(const QString& slider) {
    return ScaleOf(slider) != Scale::None;
}

double ScaledSliderAccessible::Shown(const QString& slider, int position) {
    switch (ScaleOf(slider)) {
        case Scale::Dpi:
            return DpiStepToDisplay(kDpiStepRange.Shown(position));
        case Scale::HalfMinutes:
            return kLightOffRange.Shown(position) * 0.5;
        case Scale::TwoMilliseconds:
            return 2 * kDebounceRange.Shown(position);
        case Scale::None:
            break;
    }
    return position;
}

int ScaledSliderAccessible::Position(const QString& slider, double shown) {
    switch (ScaleOf(slider)) {
        case Scale::Dpi:
            return kDpiStepRange.Shown(DisplayToDpiStep(std::llround(shown)));
        case Scale::HalfMinutes:
            return kLightOffRange.Shown(static_cast<int>(std::lround(shown * 2)));
        case Scale::TwoMilliseconds:
            return kDebounceRange.Shown(static_cast<int>(std::lround(shown / 2)));
        case Scale::None:
            break;
    }
    return static_cast<int>(std::lround(shown));
}

QAbstractSlider* ScaledSliderAccessible::Slider() const {
    return qobject_cast<QAbstractSlider*>(object());
}

void* ScaledSliderAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString ScaledSliderAccessible::text(QAccessible::Text text) const {
    if (text == QAccessible::Value)
        return QString::number(currentValue().toDouble());
    return QAccessibleWidget::text(text);
}

QVariant ScaledSliderAccessible::currentValue() const {
    return Shown(widget()->objectName(), Slider()->value());
}

void ScaledSliderAccessible::setCurrentValue(const QVariant& value) {
    // Moves the slider as the user would, so the page takes the new value.
    Slider()->setValue(Position(widget()->objectName(), value.toDouble()));
}

QVariant ScaledSliderAccessible::maximumValue() const {
    return Shown(widget()->objectName(), Slider()->maximum());
}

QVariant ScaledSliderAccessible::minimumValue() const {
    return Shown(widget()->objectName(), Slider()->minimum());
}

QVariant ScaledSliderAccessible::minimumStepSize() const {
    const QString name = widget()->objectName();
    return Shown(name, Slider()->minimum() + 1) - Shown(name, Slider()->minimum());
}

}  // namespace ms1
