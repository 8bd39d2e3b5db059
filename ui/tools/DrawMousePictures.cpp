// Draws the six mouse model pictures of the page, "mouse_1.png" ... "mouse_6.png", into the
// folder given as the only argument. Run at build time; each model looks clearly different.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kWidth = 408;
constexpr int kHeight = 224;

struct Model {
    double length;  // of the body, in pixels
    double hump;    // height of the highest point above the base line
    double humpAt;  // where the highest point is, 0 = front, 1 = back
    double nose;    // height of the front
    QColor body;
    QColor accent;
    int sideButtons;  // buttons drawn on the side
    bool holes;       // a honeycomb shell
    bool cable;
    bool rainbow;  // a light strip in all colours
};

QPainterPath Body(const Model& m, QPointF origin) {
    const double x0 = origin.x();
    const double base = origin.y();
    const double x1 = x0 + m.length;
    const double top = base - m.hump;
    const double humpX = x0 + m.length * m.humpAt;
    QPainterPath path;
    path.moveTo(x0 + 10, base);
    path.cubicTo(x0 - 4, base, x0 - 2, base - m.nose, x0 + 16, base - m.nose);
    path.cubicTo(x0 + m.length * 0.25, base - m.nose - 8, humpX - m.length * 0.25, top, humpX, top);
    path.cubicTo(humpX + m.length * 0.22, top, x1, base - m.hump * 0.55, x1, base - 14);
    path.cubicTo(x1, base - 2, x1 - 8, base, x1 - 20, base);
    path.closeSubpath();
    return path;
}

void Draw(const Model& m, const QString& file) {
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QPointF origin((kWidth - m.length) / 2.0, kHeight - 40);
    // Shadow on the desk.
    QRadialGradient shadow(QPointF(kWidth / 2.0, origin.y() + 6), m.length / 2);
    shadow.setColorAt(0, QColor(0, 0, 0, 70));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(kWidth / 2.0, origin.y() + 6), m.length / 2 + 10, 12);

    if (m.cable) {
        QPainterPath cable;
        cable.moveTo(origin.x() + 4, origin.y() - m.nose + 6);
        cable.cubicTo(origin.x() - 30, origin.y() - m.nose, origin.x() - 30, origin.y() - 70, 8,
                      origin.y() - 80);
        p.setPen(QPen(QColor(60, 64, 72), 5, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(cable);
    }

    const QPainterPath body = Body(m, origin);
    QLinearGradient shade(0, origin.y() - m.hump, 0, origin.y());
    shade.setColorAt(0, m.body.lighter(135));
    shade.setColorAt(1, m.body.darker(130));
    p.setPen(QPen(m.body.darker(170), 2));
    p.setBrush(shade);
    p.drawPath(body);

    p.save();
    p.setClipPath(body);
    if (m.holes) {
        p.setPen(Qt::NoPen);
        p.setBrush(m.body.darker(190));
        for (int row = 0; row < 8; ++row) {
            for (int col = 0; col < 24; ++col) {
                const double x = origin.x() + 30 + col * 16 + (row % 2) * 8;
                const double y = origin.y() - m.hump + 12 + row * 13;
                QPainterPath hex;
                for (int k = 0; k < 6; ++k) {
                    const double angle = (60.0 * k + 30.0) * 3.14159265 / 180.0;
                    const QPointF point(x + 5.5 * std::cos(angle), y + 5.5 * std::sin(angle));
                    k == 0 ? hex.moveTo(point) : hex.lineTo(point);
                }
                hex.closeSubpath();
                p.drawPath(hex);
            }
        }
    }
    // Light strip along the bottom edge.
    QLinearGradient strip(origin.x(), 0, origin.x() + m.length, 0);
    if (m.rainbow) {
        const QColor colours[] = {Qt::red,  QColor(255, 160, 0), Qt::yellow, Qt::green, Qt::cyan,
                                  Qt::blue, Qt::magenta};
        for (int i = 0; i < 7; ++i) {
            strip.setColorAt(i / 6.0, colours[i]);
        }
    } else {
        strip.setColorAt(0, m.accent.lighter(130));
        strip.setColorAt(1, m.accent);
    }
    p.fillRect(QRectF(origin.x() - 10, origin.y() - 12, m.length + 20, 7), strip);
    p.restore();

    // Split line of the main buttons and the wheel near the front.
    const double wheelX = origin.x() + m.length * 0.22;
    p.setPen(QPen(m.body.darker(190), 2));
    p.drawLine(QPointF(wheelX + 24, origin.y() - m.hump * 0.78),
               QPointF(origin.x() + m.length * 0.5, origin.y() - m.hump + 2));
    p.setPen(QPen(QColor(30, 32, 36), 1));
    p.setBrush(m.accent);
    p.drawRoundedRect(QRectF(wheelX, origin.y() - m.nose - 24 - (m.hump - m.nose) * 0.25, 26, 15),
                      7, 7);

    // Side buttons.
    p.setBrush(m.body.darker(150));
    p.setPen(QPen(m.body.darker(200), 1));
    if (m.sideButtons == 12) {
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 4; ++col) {
                p.drawRoundedRect(QRectF(origin.x() + 44 + col * 22,
                                         origin.y() - m.hump * 0.62 + row * 18, 18, 14),
                                  3, 3);
            }
        }
    } else {
        for (int i = 0; i < m.sideButtons; ++i) {
            p.drawRoundedRect(QRectF(origin.x() + 60 + i * 40, origin.y() - m.hump * 0.58, 34, 12),
                              5, 5);
        }
    }
    // Logo.
    p.setPen(Qt::NoPen);
    p.setBrush(m.accent.lighter(150));
    p.drawEllipse(QPointF(origin.x() + m.length * 0.7, origin.y() - m.hump * 0.45), 9, 9);
    p.end();
    if (!image.save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    }
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
    const Model models[6] = {
        {300, 118, 0.60, 52, QColor(44, 52, 66), QColor(19, 127, 208), 2, false, false, false},
        {320, 92, 0.50, 50, QColor(214, 40, 57), QColor(255, 214, 10), 2, false, true, false},
        {290, 104, 0.55, 46, QColor(236, 240, 244), QColor(49, 196, 141), 2, true, false, false},
        {330, 126, 0.62, 58, QColor(88, 56, 142), QColor(190, 140, 255), 12, false, false, false},
        {270, 150, 0.48, 70, QColor(240, 134, 30), QColor(40, 40, 48), 3, false, true, false},
        {250, 84, 0.55, 42, QColor(28, 30, 34), QColor(255, 255, 255), 1, false, false, true},
    };
    int failures = 0;
    for (int i = 0; i < 6; ++i) {
        const QString file = folder.filePath(QStringLiteral("mouse_%1.png").arg(i + 1));
        Draw(models[i], file);
        failures += QFileInfo::exists(file) ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}
