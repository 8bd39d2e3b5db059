// Draws the pictures of the macro editor's action rows into the folder given as the only
// argument: "mouse.png" (a mouse-button action), "keyboard_key_action.png" (a key action),
// "macro_key_down.png" and "macro_key_up.png" (press and release). Run at build time. Each is
// drawn at twice the size the rows show it, so it stays sharp when scaled down.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <functional>

namespace {

const QColor kBlue(19, 127, 208);
const QColor kInk(50, 63, 75);

using Drawing = std::function<void(QPainter&)>;

bool Draw(const QString& file, QSize size, const Drawing& draw) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    if (!image.save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

// A mouse seen from above, the left button marked: 52 x 52.
void Mouse(QPainter& p) {
    const QRectF body(12, 3, 28, 46);
    QLinearGradient shade(body.topLeft(), body.bottomRight());
    shade.setColorAt(0, QColor(236, 241, 246));
    shade.setColorAt(1, QColor(196, 206, 218));
    p.setPen(QPen(kInk, 2.5));
    p.setBrush(shade);
    p.drawRoundedRect(body, 14, 14);
    QPainterPath left;
    left.moveTo(26, 3.5);
    left.lineTo(26, 20);
    left.lineTo(12.5, 20);
    left.lineTo(12.5, 17);
    left.arcTo(QRectF(12.5, 3.5, 27, 27), 180, -90);
    left.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPath(left);
    p.setPen(QPen(kInk, 2));
    p.drawLine(QPointF(26, 4), QPointF(26, 20));
    p.drawLine(QPointF(13, 20), QPointF(39, 20));
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(24, 8, 4, 8), 2, 2);
}

// A key cap: 60 x 36.
void KeyCap(QPainter& p) {
    const QRectF cap(2, 2, 56, 32);
    QLinearGradient shade(cap.topLeft(), cap.bottomLeft());
    shade.setColorAt(0, QColor(255, 255, 255));
    shade.setColorAt(1, QColor(206, 214, 224));
    p.setPen(QPen(kInk, 2.5));
    p.setBrush(shade);
    p.drawRoundedRect(cap, 7, 7);
    p.setPen(QPen(QColor(150, 162, 176), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(cap.adjusted(6, 4, -6, -8), 4, 4);
}

// An arrow down (press) or up (release) over a bar: 32 x 36.
void Arrow(QPainter& p, bool down) {
    const QColor colour = down ? kBlue : QColor(49, 160, 110);
    QPainterPath arrow;
    if (down) {
        arrow.moveTo(11, 2);
        arrow.lineTo(21, 2);
        arrow.lineTo(21, 15);
        arrow.lineTo(29, 15);
        arrow.lineTo(16, 28);
        arrow.lineTo(3, 15);
        arrow.lineTo(11, 15);
    } else {
        arrow.moveTo(16, 2);
        arrow.lineTo(29, 15);
        arrow.lineTo(21, 15);
        arrow.lineTo(21, 28);
        arrow.lineTo(11, 28);
        arrow.lineTo(11, 15);
        arrow.lineTo(3, 15);
    }
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(arrow);
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(3, 31, 26, 4), 2, 2);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.mkpath(QStringLiteral("."));
    bool written = true;
    written &= Draw(folder.filePath("mouse.png"), {52, 52}, Mouse);
    written &= Draw(folder.filePath("keyboard_key_action.png"), {60, 36}, KeyCap);
    written &=
        Draw(folder.filePath("macro_key_down.png"), {32, 36}, [](QPainter& p) { Arrow(p, true); });
    written &=
        Draw(folder.filePath("macro_key_up.png"), {32, 36}, [](QPainter& p) { Arrow(p, false); });
    return written ? 0 : 1;
}
