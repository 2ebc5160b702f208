#include "charts/chartstyle.h"

#include <QImage>
#include <QPainter>

namespace ChartStyle {

namespace {

enum class Pattern { Solid, Diagonal, Dots, Cross, BackDiagonal, Horizontal, Vertical };

struct Style {
    QRgb colour;
    Pattern pattern;
};

// Dark and light colours alternate, so that neighbours differ in grey as well.
const Style kStyles[] = {
    {0x0072B2, Pattern::Solid},        // blue
    {0xE69F00, Pattern::Diagonal},     // orange
    {0x009E73, Pattern::Dots},         // bluish green
    {0xF0E442, Pattern::Cross},        // yellow
    {0xD55E00, Pattern::BackDiagonal}, // vermilion
    {0x56B4E9, Pattern::Horizontal},   // sky blue
    {0xCC79A7, Pattern::Vertical},     // reddish purple
};
constexpr int kStyleCount = int(sizeof kStyles / sizeof kStyles[0]);

const Style& style(int n) {
    return kStyles[((n % kStyleCount) + kStyleCount) % kStyleCount];
}

// The pattern's tile is drawn at print resolution (300 dots an inch) and scaled back to
// chart units, so its lines come out sharp on paper.
constexpr int kTile = 30;
constexpr double kTileDpi = 300.0;

QImage tile(const Style& s) {
    QImage image(kTile, kTile, QImage::Format_RGB32);
    const QColor base = QColor::fromRgb(s.colour);
    image.fill(base);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Light lines on dark colours, dark lines on light ones.
    const QColor line = qGray(s.colour) > 150 ? QColor(40, 40, 40) : QColor(255, 255, 255);
    p.setPen(QPen(line, 4.0, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(line);
    switch (s.pattern) {
    case Pattern::Solid:
        break;
    case Pattern::Diagonal:
        for (int k = -kTile; k <= kTile; k += kTile / 2)
            p.drawLine(QPointF(k, kTile), QPointF(k + kTile, 0));
        break;
    case Pattern::BackDiagonal:
        for (int k = -kTile; k <= kTile; k += kTile / 2)
            p.drawLine(QPointF(k, 0), QPointF(k + kTile, kTile));
        break;
    case Pattern::Dots:
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(kTile / 4.0, kTile / 4.0), 4.5, 4.5);
        p.drawEllipse(QPointF(3 * kTile / 4.0, 3 * kTile / 4.0), 4.5, 4.5);
        break;
    case Pattern::Cross:
        p.setPen(QPen(line, 3.0));
        p.drawLine(QPointF(kTile / 2.0, 0), QPointF(kTile / 2.0, kTile));
        p.drawLine(QPointF(0, kTile / 2.0), QPointF(kTile, kTile / 2.0));
        break;
    case Pattern::Horizontal:
        p.drawLine(QPointF(0, kTile / 2.0), QPointF(kTile, kTile / 2.0));
        break;
    case Pattern::Vertical:
        p.drawLine(QPointF(kTile / 2.0, 0), QPointF(kTile / 2.0, kTile));
        break;
    }
    return image;
}

} // namespace

QFont font(double points, bool bold) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(qRound(points * UnitsPerInch / 72.0));
    f.setBold(bold);
    return f;
}

QColor ink() {
    return QColor(30, 30, 30);
}

QColor gridGrey() {
    return QColor(200, 200, 200);
}

QColor colour(int n) {
    return QColor::fromRgb(style(n).colour);
}

QBrush fill(int n) {
    const Style& s = style(n);
    if (s.pattern == Pattern::Solid) return QBrush(QColor::fromRgb(s.colour));
    QBrush brush(tile(s));
    brush.setTransform(QTransform::fromScale(UnitsPerInch / kTileDpi, UnitsPerInch / kTileDpi));
    return brush;
}

QPen outline() {
    return QPen(ink(), 0.75);
}

} // namespace ChartStyle
