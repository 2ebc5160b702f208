#include "charts/chartrender.h"

#include "charts/chartfigure.h"
#include "charts/chartstyle.h"

#include <QAbstractSeries>
#include <QCoreApplication>
#include <QLegend>
#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kMetresPerInch = 0.0254;

// The note on a white ground, so that grid lines and the zero line do not cross its text.
// Beside its point on the side it asks for if that leaves the points and the notes placed
// before clear; else on the other side, or a line above or below; failing all, where it
// asked.
QGraphicsItem* noteItem(const ChartNote& note, QList<QRectF>* placed) {
    auto* ground = new QGraphicsRectItem(note.chart);
    ground->setPen(Qt::NoPen);
    ground->setBrush(QColor(255, 255, 255, 230));
    ground->setZValue(1000); // above the grid, the series and their lines
    auto* text = new QGraphicsSimpleTextItem(note.text, ground);
    text->setFont(ChartStyle::font(ChartStyle::NoteSize));
    text->setBrush(ChartStyle::ink());
    const double pad = 2;
    const QSizeF box = text->boundingRect().adjusted(-pad, 0, pad, 0).size();
    text->setPos(pad, 0);
    ground->setRect(QRectF(QPointF(0, 0), box));
    if (!note.series) {
        ground->setPos(note.chart->plotArea().center() - QPointF(box.width(), box.height()) / 2);
        return ground;
    }
    const QPointF at = note.chart->mapToPosition(note.value, note.series);
    const double gap = 7;
    const double right = at.x() + gap, left = at.x() - gap - box.width();
    const double middle = at.y() - box.height() / 2;
    const double first = note.leftOfPoint ? left : right, second = note.leftOfPoint ? right : left;
    const QRectF plot = note.chart->plotArea();
    const QPointF tries[] = {{first, middle}, {second, middle}, {first, middle - box.height()},
                             {first, middle + box.height()}, {second, middle - box.height()},
                             {second, middle + box.height()}};
    QPointF chosen = tries[0];
    for (const QPointF& t : tries) {
        const QRectF r(t, box);
        const bool clear = std::none_of(placed->begin(), placed->end(),
                                        [&](const QRectF& p) { return p.intersects(r); });
        if (clear && plot.contains(r)) {
            chosen = t;
            break;
        }
    }
    placed->append(QRectF(chosen, box));
    ground->setPos(chosen);
    return ground;
}

} // namespace

QImage renderFigure(const ChartFigure& figure, int dpi) {
    const double unit = ChartStyle::UnitsPerInch;
    const QSizeF size = figure.inches * unit;
    const QSize pixels(qRound(figure.inches.width() * dpi), qRound(figure.inches.height() * dpi));

    QGraphicsScene scene;
    scene.setSceneRect(QRectF(QPointF(0, 0), size));
    scene.setBackgroundBrush(Qt::white);

    double top = 0;
    if (!figure.title.isEmpty()) {
        auto* title = scene.addSimpleText(figure.title, ChartStyle::font(ChartStyle::TitleSize, true));
        title->setBrush(ChartStyle::ink());
        const QRectF box = title->boundingRect();
        title->setPos((size.width() - box.width()) / 2, 6);
        top = box.height() + 10;
    }
    const int count = int(figure.charts.size());
    const int columns = std::max(1, figure.columns);
    const int rows = (count + columns - 1) / columns;
    const double width = size.width() / columns;
    const double height = rows ? (size.height() - top) / rows : 0;
    for (int i = 0; i < count; ++i) {
        QChart* chart = figure.chart(i);
        scene.addItem(chart);
        chart->setGeometry(QRectF((i % columns) * width, top + (i / columns) * height, width, height));
    }
    // Lay the charts out now: no view and no event loop will do it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    for (int i = 0; i < count; ++i) {
        figure.chart(i)->legend()->layout()->activate();
        figure.chart(i)->layout()->activate();
    }
    std::vector<QGraphicsItem*> notes;
    // Notes keep off every point as well as off each other.
    QList<QRectF> placed;
    for (const ChartNote& note : figure.notes)
        if (note.series) {
            const QPointF at = note.chart->mapToPosition(note.value, note.series);
            placed.append(QRectF(at - QPointF(7, 7), QSizeF(14, 14)));
        }
    for (const ChartNote& note : figure.notes)
        notes.push_back(noteItem(note, &placed));

    QImage image(pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dotsPerMetre = qRound(dpi / kMetresPerInch);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                               QPainter::SmoothPixmapTransform);
        scene.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)), scene.sceneRect(),
                     Qt::IgnoreAspectRatio);
    }
    // The figure keeps its charts for another drawing (and for reading their series).
    for (QGraphicsItem* note : notes)
        delete note;
    for (int i = 0; i < count; ++i)
        scene.removeItem(figure.chart(i));
    return image;
}
