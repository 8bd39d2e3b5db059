#pragma once

#include <QAccessibleWidget>

class QAbstractSlider;

namespace ms1 {

// A slider of the page whose position is not the number it stands for: a DPI stage's step (16 is
// 800 DPI), the light-off timer's half minutes, the debounce's 2 ms steps. A screen reader gets
// the number the page shows next to it as the value, and setting a value moves the slider to the
// nearest position.
class ScaledSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit ScaledSliderAccessible(QAbstractSlider* slider);

    // Puts these in place of Qt's own for the page's scaled sliders. Once, before the page's
    // skin is loaded: Qt keeps the interface a slider got at its first value.
    static void Install();
    // Whether a slider of this name is one of them.
    static bool Scaled(const QString& slider);
    // The shown number at a position, and the position nearest a shown number.
    static double Shown(const QString& slider, int position);
    static int Position(const QString& slider, double shown);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text text) const override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

  private:
    QAbstractSlider* Slider() const;
};

}  // namespace ms1
