#include "charts/chartinsert.h"

#include "charts/chartfigure.h"
#include "charts/chartrender.h"
#include "controls/text/textcontrol.h"

#include <QTextBlock>
#include <QTextCursor>

namespace {

constexpr double kPointsPerTwip = 1.0 / 20.0;

// The figure's size, made smaller (keeping its shape) where the text area is narrower or
// a page shorter than the figure.
QSizeF fittedSize(const TextControl& text, QSizeF size) {
    const double width = text.DocWidth() * kPointsPerTwip;
    const double height = text.PageHeight() * kPointsPerTwip * 0.9;
    double scale = 1;
    if (width > 0) scale = std::min(scale, width / size.width());
    if (height > 0) scale = std::min(scale, height / size.height());
    return size * scale;
}

} // namespace

bool insertChart(TextControl& text, const ChartFigure& figure, QString* error) {
    if (text.WriteProtect() != 0) {
        if (error) *error = QStringLiteral("The text cannot be changed now.");
        return false;
    }
    const QImage image = renderFigure(figure);
    if (image.isNull()) {
        if (error) *error = QStringLiteral("The chart could not be drawn.");
        return false;
    }
    const QSizeF size = fittedSize(text, figure.sizePoints());

    text.setSelLength(0);
    text.setLineNumber(text.LineNumber() + 2);
    TextControl::EditStep step(&text);
    QTextCursor c = text.textCursor();
    c.clearSelection();
    c.movePosition(QTextCursor::StartOfBlock);
    // The paragraph found there moves down; the chart takes an empty one of its own.
    if (c.block().length() > 1) {
        c.insertBlock();
        c.movePosition(QTextCursor::PreviousBlock);
    }
    text.setTextCursor(c);
    return text.insertPicture(image, size, error);
}
