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
#include <cmath>

namespace {

constexpr double kMetresPerInch = 0.0254;

// The note on a white ground, so that grid lines and the zero line do not cross its text.
QGraphicsItem* noteItem(const ChartNote& note) {
    auto* ground = new QGraphicsRectItem(note.chart);
    ground->setPen(Qt::NoPen);
    ground->setBrush(QColor(255, 255, 255, 230));
    ground->setZValue(1000); // above the grid, the series and their lines
    auto* text = new QGraphicsSimpleTextItem(note.text, ground);
    text->setFont(ChartStyle::font(ChartStyle::NoteSize));
    text->setBrush(ChartStyle::ink());
    const double pad = 2;
    const QRectF box = text->boundingRect().adjusted(-pad, 0, pad, 0);
    text->setPos(pad, 0);
    ground->setRect(QRectF(QPointF(0, 0), box.size()));
    if (!note.series) {
        ground->setPos(note.chart->plotArea().center() - QPointF(box.width(), box.height()) / 2);
        return ground;
    }
    const QPointF at = note.chart->mapToPosition(note.value, note.series);
    const double gap = 7;
    const double x = note.leftOfPoint ? at.x() - gap - box.width() : at.x() + gap;
    ground->setPos(x, at.y() - box.height() / 2);
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
    for (const ChartNote& note : figure.notes)
        notes.push_back(noteItem(note));

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
