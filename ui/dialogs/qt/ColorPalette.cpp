#include "ui/dialogs/qt/ColorPalette.h"

#include <QColor>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace ms1 {
namespace {

QColor FromRelative(double x, double y) {
    const double hue = std::clamp(x, 0.0, 1.0) * 359.0 / 360.0;
    const double lightness = 1.0 - std::clamp(y, 0.0, 1.0);
    return QColor::fromHslF(static_cast<float>(hue), 1.0f, static_cast<float>(lightness));
}

}  // namespace

ColorPalette::ColorPalette(QWidget* parent) : QWidget(parent) {
    setMinimumSize(120, 48);
    setCursor(Qt::CrossCursor);
}

std::uint32_t ColorPalette::ColorAt(QPoint point) const {
    const double x = width() > 1 ? double(point.x()) / (width() - 1) : 0.0;
    const double y = height() > 1 ? double(point.y()) / (height() - 1) : 0.0;
    return FromRelative(x, y).rgba() | 0xFF000000u;
}

void ColorPalette::SetSelectColor(std::uint32_t argb) {
    selected_ = argb;
    const QColor color = QColor::fromRgba(argb).toHsl();
    const double hue = color.hslHueF() < 0 ? 0.0 : color.hslHueF();
    marker_ = QPointF(hue, 1.0 - color.lightnessF());
    update();
}

void ColorPalette::PickAt(QPoint point) {
    const int x = std::clamp(point.x(), 0, std::max(0, width() - 1));
    const int y = std::clamp(point.y(), 0, std::max(0, height() - 1));
    selected_ = ColorAt(QPoint(x, y));
    marker_ = QPointF(width() > 1 ? double(x) / (width() - 1) : 0.0,
                      height() > 1 ? double(y) / (height() - 1) : 0.0);
    update();
}

void ColorPalette::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    QLinearGradient hues(area.topLeft(), area.topRight());
    for (int i = 0; i <= 12; ++i) {
        hues.setColorAt(i / 12.0, FromRelative(i / 12.0, 0.5));
    }
    painter.fillRect(area, hues);
    QLinearGradient shade(area.topLeft(), area.bottomLeft());
    shade.setColorAt(0.0, QColor(255, 255, 255, 255));
    shade.setColorAt(0.5, QColor(255, 255, 255, 0));
    shade.setColorAt(0.5, QColor(0, 0, 0, 0));
    shade.setColorAt(1.0, QColor(0, 0, 0, 255));
    painter.fillRect(area, shade);

    const QPointF at(marker_.x() * (width() - 1), marker_.y() * (height() - 1));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawEllipse(at, 5, 5);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawEllipse(at, 4, 4);
}

void ColorPalette::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        PickAt(event->position().toPoint());
        emit colorChanged();
    }
}

void ColorPalette::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        PickAt(event->position().toPoint());
        emit colorChanged();
    }
}

void ColorPalette::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        PickAt(event->position().toPoint());
        emit colorChangedButtonUp();
    }
}

}  // namespace ms1
