#include "ui/page/qt/SectionHeaderLook.h"

#include <QCheckBox>
#include <QEvent>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QWidget>

namespace ms1 {
namespace {

constexpr int kSide = 10;
// What the icon shows now: open or closed, and in which colour.
const char* const kShown = "_ms1_header_shows";

QIcon Triangle(bool open, const QColor& colour, qreal ratio) {
    QPixmap pixmap(QSize(kSide, kSide) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const QPolygonF shape = open ? QPolygonF({{0.5, 2.5}, {9.5, 2.5}, {5.0, 8.0}})
                                 : QPolygonF({{2.5, 0.5}, {8.0, 5.0}, {2.5, 9.5}});
    painter.drawPolygon(shape);
    return QIcon(pixmap);
}

void Refresh(QCheckBox* header) {
    const QColor colour = header->palette().color(header->foregroundRole());
    const QString shows =
        QStringLiteral("%1 %2").arg(header->isChecked() ? 1 : 0).arg(colour.name());
    if (header->property(kShown).toString() == shows)
        return;
    header->setProperty(kShown, shows);
    header->setIcon(Triangle(header->isChecked(), colour, header->devicePixelRatioF()));
}

}  // namespace

void SectionHeaderLook::Apply(QWidget* page) {
    if (page == nullptr)
        return;
    for (QCheckBox* header : page->findChildren<QCheckBox*>()) {
        if (!header->property("section").toBool())
            continue;
        header->setIconSize(QSize(kSide, kSide));
        header->installEventFilter(new SectionHeaderLook(header));
        Refresh(header);
    }
}

bool SectionHeaderLook::eventFilter(QObject* watched, QEvent* event) {
    // Before each paint: the state may have been set quietly, or the style changed colour.
    if (event->type() == QEvent::Paint) {
        if (auto* header = qobject_cast<QCheckBox*>(watched))
            Refresh(header);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace ms1
