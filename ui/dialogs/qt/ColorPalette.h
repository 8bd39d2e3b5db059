#pragma once

#include <QWidget>
#include <cstdint>

namespace ms1 {

// The colour palette of the colour dialog ("ColorPallet" in its skin): hue from left to
// right, lightness from white at the top through the pure colour to black at the bottom.
// Pressing or dragging picks the colour under the pointer.
class ColorPalette : public QWidget {
    Q_OBJECT
  public:
    explicit ColorPalette(QWidget* parent = nullptr);

    // The selected colour as 0xAARRGGBB; the marker goes where that colour lies.
    void SetSelectColor(std::uint32_t argb);
    std::uint32_t GetSelectColor() const { return selected_; }

    // The colour at a point of the palette (always opaque).
    std::uint32_t ColorAt(QPoint point) const;

  signals:
    // While the pointer presses or drags.
    void colorChanged();
    // When the pointer is released.
    void colorChangedButtonUp();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void PickAt(QPoint point);

    std::uint32_t selected_ = 0xFF000000;
    QPointF marker_{0.0, 1.0};  // relative position, 0..1 in both directions
};

}  // namespace ms1
