#include "widgets/toolglyphs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kNavy(0, 0, 128);

void page(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(kPaper);
    QPainterPath path;
    const qreal fold = 3.5;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void textLines(QPainter& p, const QRectF& r, int count, qreal step = 2.0) {
    p.setPen(QPen(QColor(120, 120, 160), 1));
    for (int i = 0; i < count; ++i) {
        const qreal y = r.top() + i * step;
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
    }
}

void printer(QPainter& p, const QColor& sheet) {
    // Paper going in, the body, the tray.
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(sheet);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(200, 200, 205));
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 5.5), 1, 1);
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 10.5, 9, 4));
    p.setPen(QPen(QColor(40, 160, 40), 1));
    p.drawPoint(QPointF(12.5, 8.5));
}

void alignLines(QPainter& p, int mode) {
    p.setPen(QPen(kInk, 1.2));
    const qreal widths[] = {12, 8, 12, 6, 10};
    for (int i = 0; i < 5; ++i) {
        const qreal y = 3 + i * 2.5;
        qreal w = mode == 3 ? 12 : widths[i];
        if (mode == 3 && i == 4) w = 7;
        qreal x = 2;
        if (mode == 1)
            x = 2 + (12 - w) / 2;
        else if (mode == 2)
            x = 14 - w;
        p.drawLine(QPointF(x, y), QPointF(x + w, y));
    }
}

void letter(QPainter& p, const QString& text, bool bold, bool italic, bool underline,
            const QColor& colour = kInk) {
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(13);
    f.setBold(bold);
    f.setItalic(italic);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(QRectF(0, -1, 16, 15), Qt::AlignCenter, text);
    if (underline) {
        p.setPen(QPen(colour, 1.2));
        p.drawLine(QPointF(4, 14.5), QPointF(12, 14.5));
    }
}

void triangle(QPainter& p, qreal x, bool right) {
    QPainterPath t;
    if (right) {
        t.moveTo(x, 3.5);
        t.lineTo(x + 5.5, 8);
        t.lineTo(x, 12.5);
    } else {
        t.moveTo(x + 5.5, 3.5);
        t.lineTo(x, 8);
        t.lineTo(x + 5.5, 12.5);
    }
    t.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kNavy);
    p.drawPath(t);
}

void draw(QPainter& p, Glyph g) {
    switch (g) {
    case Glyph::Open: {
        p.setPen(QPen(QColor(150, 110, 20), 1));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(1.5, 4.5, 11, 9));
        p.drawRect(QRectF(1.5, 3, 5, 1.5));
        QPainterPath flap;
        flap.moveTo(3.5, 7.5);
        flap.lineTo(15, 7.5);
        flap.lineTo(12.5, 13.5);
        flap.lineTo(1.5, 13.5);
        flap.closeSubpath();
        p.setBrush(QColor(252, 226, 140));
        p.drawPath(flap);
        break;
    }
    case Glyph::Save:
        p.setPen(QPen(QColor(30, 50, 100), 1));
        p.setBrush(QColor(70, 100, 170));
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1, 1);
        p.setBrush(kPaper);
        p.drawRect(QRectF(4, 1.5, 8, 5.5));
        p.setBrush(QColor(190, 190, 200));
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
        p.setBrush(QColor(30, 50, 100));
        p.drawRect(QRectF(9, 2.5, 1.5, 3));
        break;
    case Glyph::PrintAll:
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(kPaper);
        p.drawRect(QRectF(7.5, 0.5, 6, 4));
        printer(p, kPaper);
        break;
    case Glyph::Print:
        printer(p, kPaper);
        p.setPen(QPen(QColor(120, 120, 160), 1));
        p.drawLine(QPointF(5.5, 3.5), QPointF(10.5, 3.5));
        break;
    case Glyph::PrintBudget:
        printer(p, QColor(220, 240, 220));
        p.setPen(QPen(QColor(60, 140, 60), 1));
        p.drawLine(QPointF(8, 1.5), QPointF(8, 6.5));
        p.drawLine(QPointF(4.5, 4), QPointF(11.5, 4));
        break;
    case Glyph::Cut: {
        p.setPen(QPen(QColor(70, 70, 70), 1.2));
        p.drawLine(QPointF(5, 1.5), QPointF(10, 10));
        p.drawLine(QPointF(11, 1.5), QPointF(6, 10));
        p.setPen(QPen(QColor(170, 30, 30), 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(5, 12), 2.4, 2.4);
        p.drawEllipse(QPointF(11, 12), 2.4, 2.4);
        break;
    }
    case Glyph::Copy:
        page(p, QRectF(1.5, 1.5, 8, 10));
        textLines(p, QRectF(3, 5, 4, 0), 3);
        page(p, QRectF(6.5, 4.5, 8, 10));
        textLines(p, QRectF(8, 8, 4.5, 0), 3);
        break;
    case Glyph::Paste:
        p.setPen(QPen(QColor(110, 70, 30), 1));
        p.setBrush(QColor(190, 140, 80));
        p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1, 1);
        p.setBrush(QColor(200, 200, 200));
        p.setPen(QPen(QColor(80, 80, 80), 1));
        p.drawRect(QRectF(4.5, 1, 4, 3));
        page(p, QRectF(7.5, 6.5, 7, 8));
        textLines(p, QRectF(9, 9.5, 3.5, 0), 2);
        break;
    case Glyph::Navigator:
        p.setPen(QPen(QColor(70, 70, 90), 1));
        p.setBrush(kPaper);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.setBrush(QColor(200, 215, 240));
        p.drawRect(QRectF(1.5, 2.5, 5, 11));
        p.setPen(QPen(kNavy, 1));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(3, 5 + i * 2.2), QPointF(5.5, 5 + i * 2.2));
        textLines(p, QRectF(8.5, 5, 4.5, 0), 4, 2.2);
        break;
    case Glyph::Find:
        p.setPen(QPen(QColor(60, 60, 60), 1.5));
        p.setBrush(QColor(215, 235, 250));
        p.drawEllipse(QPointF(6.5, 6.5), 4.3, 4.3);
        p.setPen(QPen(QColor(110, 70, 30), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9.8, 9.8), QPointF(14, 14));
        break;
    case Glyph::Undo: {
        p.setPen(QPen(kNavy, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        QPainterPath arc;
        arc.moveTo(4, 6.5);
        arc.cubicTo(9, 3, 15, 6, 13.5, 10.5);
        arc.cubicTo(12.5, 13, 10, 13.5, 8, 13.5);
        p.drawPath(arc);
        QPainterPath head;
        head.moveTo(1.5, 6.5);
        head.lineTo(6.5, 2.5);
        head.lineTo(6.5, 10);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(kNavy);
        p.drawPath(head);
        break;
    }
    case Glyph::Spell: {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(7);
        f.setBold(true);
        p.setFont(f);
        p.setPen(kNavy);
        p.drawText(QRectF(0, 0, 16, 8), Qt::AlignCenter, QStringLiteral("ABC"));
        p.setPen(QPen(QColor(30, 140, 30), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(4, 11);
        tick.lineTo(7, 14);
        tick.lineTo(13, 8.5);
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
        break;
    }
    case Glyph::Calendar:
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(kPaper);
        p.drawRect(QRectF(1.5, 2.5, 13, 12));
        p.setBrush(QColor(190, 40, 40));
        p.drawRect(QRectF(1.5, 2.5, 13, 3));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 120, 140));
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                p.drawRect(QRectF(3 + c * 3, 7 + r * 2.4, 1.6, 1.4));
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.drawLine(QPointF(4.5, 1), QPointF(4.5, 4));
        p.drawLine(QPointF(11.5, 1), QPointF(11.5, 4));
        break;
    case Glyph::Example: {
        page(p, QRectF(2.5, 1.5, 11, 13));
        QFont f(QStringLiteral("DejaVu Serif"));
        f.setPixelSize(7);
        f.setItalic(true);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(0, 110, 0));
        p.drawText(QRectF(2.5, 2, 11, 7), Qt::AlignCenter, QStringLiteral("e.g."));
        textLines(p, QRectF(4.5, 10, 7, 0), 2);
        break;
    }
    case Glyph::Bold:
        letter(p, QStringLiteral("B"), true, false, false);
        break;
    case Glyph::Italic:
        letter(p, QStringLiteral("I"), false, true, false);
        break;
    case Glyph::Underline:
        letter(p, QStringLiteral("U"), false, false, true);
        break;
    case Glyph::Colour: {
        QFont f(QStringLiteral("DejaVu Serif"));
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.setPen(kInk);
        p.drawText(QRectF(0, -1, 16, 12), Qt::AlignCenter, QStringLiteral("A"));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(220, 0, 0));
        p.drawRect(QRectF(1, 12, 4.7, 3));
        p.setBrush(QColor(0, 160, 0));
        p.drawRect(QRectF(5.7, 12, 4.6, 3));
        p.setBrush(QColor(0, 0, 220));
        p.drawRect(QRectF(10.3, 12, 4.7, 3));
        break;
    }
    case Glyph::AlignLeft:
        alignLines(p, 0);
        break;
    case Glyph::AlignCentre:
        alignLines(p, 1);
        break;
    case Glyph::AlignRight:
        alignLines(p, 2);
        break;
    case Glyph::Justify:
        alignLines(p, 3);
        break;
    case Glyph::First:
        p.setPen(Qt::NoPen);
        p.setBrush(kNavy);
        p.drawRect(QRectF(3, 3.5, 1.8, 9));
        triangle(p, 5.5, false);
        break;
    case Glyph::Previous:
        triangle(p, 5, false);
        break;
    case Glyph::Next:
        triangle(p, 5.5, true);
        break;
    case Glyph::Last:
        triangle(p, 4.5, true);
        p.setPen(Qt::NoPen);
        p.setBrush(kNavy);
        p.drawRect(QRectF(11.2, 3.5, 1.8, 9));
        break;
    case Glyph::Pointer: {
        QPainterPath arrow;
        arrow.moveTo(2, 6);
        arrow.lineTo(8, 6);
        arrow.lineTo(8, 3);
        arrow.lineTo(14, 8);
        arrow.lineTo(8, 13);
        arrow.lineTo(8, 10);
        arrow.lineTo(2, 10);
        arrow.closeSubpath();
        p.setPen(QPen(QColor(120, 0, 0), 1));
        p.setBrush(QColor(200, 30, 30));
        p.drawPath(arrow);
        break;
    }
    }
}

} // namespace

QPixmap glyphPixmap(Glyph glyph, int size) {
    const qreal scale = 2.0;
    QPixmap pm(QSize(size, size) * scale);
    pm.fill(Qt::transparent);
    pm.setDevicePixelRatio(scale);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p, glyph);
    return pm;
}

QIcon glyphIcon(Glyph glyph) {
    QIcon icon;
    const QPixmap normal = glyphPixmap(glyph);
    icon.addPixmap(normal, QIcon::Normal);
    // Disabled buttons show a pale grey form of the picture.
    QImage img = normal.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = line[x];
            const int grey = 150 + qGray(c) * 90 / 255;
            line[x] = qRgba(grey, grey, grey, qAlpha(c) * 3 / 5);
        }
    }
    QPixmap disabled = QPixmap::fromImage(img);
    disabled.setDevicePixelRatio(normal.devicePixelRatio());
    icon.addPixmap(disabled, QIcon::Disabled);
    return icon;
}

namespace {

// A small marketing scene: a rising bar chart with a trend arrow in front of a sky.
void drawChartScene(QPainter& p, const QRectF& r, bool sky) {
    if (sky) {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, QColor(70, 110, 190));
        g.setColorAt(0.65, QColor(160, 190, 235));
        g.setColorAt(1, QColor(235, 240, 250));
        p.fillRect(r, g);
    }
    const qreal base = r.bottom() - r.height() * 0.12;
    const qreal left = r.left() + r.width() * 0.14;
    const qreal barW = r.width() * 0.12;
    const qreal gap = r.width() * 0.06;
    const qreal heights[] = {0.18, 0.30, 0.42, 0.58};
    const QColor colours[] = {QColor(200, 60, 50), QColor(230, 150, 40), QColor(60, 150, 70),
                              QColor(40, 80, 160)};
    for (int i = 0; i < 4; ++i) {
        const qreal h = r.height() * heights[i];
        QRectF bar(left + i * (barW + gap), base - h, barW, h);
        QLinearGradient bg(bar.topLeft(), bar.topRight());
        bg.setColorAt(0, colours[i].lighter(135));
        bg.setColorAt(1, colours[i].darker(115));
        p.setPen(QPen(colours[i].darker(150), 1));
        p.setBrush(bg);
        p.drawRect(bar);
    }
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.drawLine(QPointF(r.left() + r.width() * 0.08, base),
               QPointF(r.right() - r.width() * 0.08, base));
    QPainterPath trend;
    trend.moveTo(left, base - r.height() * 0.22);
    trend.cubicTo(left + r.width() * 0.25, base - r.height() * 0.30, left + r.width() * 0.40,
                  base - r.height() * 0.50, left + r.width() * 0.66, base - r.height() * 0.72);
    p.setPen(QPen(QColor(255, 255, 255), r.width() * 0.025, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(trend);
    const QPointF tip(left + r.width() * 0.70, base - r.height() * 0.76);
    QPainterPath head;
    const qreal s = r.width() * 0.06;
    head.moveTo(tip);
    head.lineTo(tip.x() - s * 1.3, tip.y() + s * 0.2);
    head.lineTo(tip.x() - s * 0.2, tip.y() + s * 1.3);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(head);
}

} // namespace

QPixmap splashPicture(const QSize& size) {
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF all(QPointF(0, 0), QSizeF(size));
    QLinearGradient sky(all.topLeft(), all.bottomLeft());
    sky.setColorAt(0, QColor(40, 70, 150));
    sky.setColorAt(0.6, QColor(150, 180, 230));
    sky.setColorAt(1, QColor(235, 240, 250));
    p.fillRect(all, sky);
    // The chart sits below the room left for the program's name.
    drawChartScene(p, all.adjusted(all.width() * 0.06, 85, -all.width() * 0.06, -4), false);
    return pm;
}

QPixmap aboutPicture(const QSize& size) {
    QPixmap pm(size);
    pm.fill(QColor(240, 240, 240));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF r(QPointF(1, 1), QSizeF(size) - QSizeF(2, 2));
    drawChartScene(p, r, true);
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(-0.5, -0.5, 0.5, 0.5));
    return pm;
}
