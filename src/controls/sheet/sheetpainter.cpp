#include "sheetpainter.h"

#include "numberformat.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <cmath>
#include <unordered_map>

namespace Sheet {

QFont cellFont(const CellFormat& f, double unit) {
    QFont font(f.fontName);
    font.setPixelSize(qMax(1, int(std::lround(f.fontSize * 96.0 / 72.0 * unit))));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeout);
    // The same shapes on paper as on screen: no hinting that would change widths.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

namespace {

int effectiveAlign(const CellFormat& f, const Value& v) {
    if (f.hAlign != AlignGeneral && f.hAlign != AlignFill) return f.hAlign;
    switch (v.type) {
    case Value::Number: return AlignRight;
    case Value::Bool:
    case Value::Error: return AlignCentre;
    default: return AlignLeft;
    }
}

bool isEmptyCell(const SheetModel& m, int row, int col) {
    const Cell* c = m.cell(row, col);
    return !c || c->value.isEmpty();
}

} // namespace

void paintCells(QPainter& p, const SheetModel& m, const std::vector<Span>& rows,
                const std::vector<Span>& cols, const CellPaintOptions& o) {
    if (rows.empty() || cols.empty()) return;
    const double left = cols.front().pos, right = cols.back().pos + cols.back().size;
    const double top = rows.front().pos, bottom = rows.back().pos + rows.back().size;
    p.save();
    p.fillRect(QRectF(left, top, right - left, bottom - top), o.background);
    if (o.gridLines) {
        QPen pen(o.gridColor);
        pen.setWidthF(qMax(1.0, o.unit * 0.75));
        pen.setCosmetic(false);
        p.setPen(pen);
        for (const Span& c : cols) p.drawLine(QPointF(c.pos + c.size, top), QPointF(c.pos + c.size, bottom));
        for (const Span& r : rows) p.drawLine(QPointF(left, r.pos + r.size), QPointF(right, r.pos + r.size));
    }
    const double pad = 3 * o.unit;
    // Fonts and their metrics once per format, not once per cell.
    struct FontInfo {
        QFont font;
        QFontMetricsF metrics;
    };
    std::unordered_map<int, FontInfo> fonts;
    auto fontFor = [&](int format) -> const FontInfo& {
        auto it = fonts.find(format);
        if (it == fonts.end()) {
            const QFont f = cellFont(m.formats()[size_t(format)], o.unit);
            it = fonts.emplace(format, FontInfo{f, QFontMetricsF(f, p.device())}).first;
        }
        return it->second;
    };
    for (const Span& r : rows) {
        for (size_t ci = 0; ci < cols.size(); ++ci) {
            const Span& c = cols[ci];
            const Cell* cell = m.cell(r.index, c.index);
            if (!cell || cell->value.isEmpty()) continue;
            const CellFormat& f = m.formats()[size_t(cell->format)];
            QColor color;
            QString text = formatValue(cell->value, f.numberFormat, &color);
            if (text.isEmpty()) continue;
            if (!color.isValid()) color = QColor::fromRgb(f.color);
            const FontInfo& fi = fontFor(cell->format);
            const QFont& font = fi.font;
            const QFontMetricsF& fm = fi.metrics;
            const int align = effectiveAlign(f, cell->value);
            // Where the text may go: its cell, or beyond into empty neighbours.
            double x1 = c.pos, x2 = c.pos + c.size;
            const double width = fm.horizontalAdvance(text);
            const bool isText = cell->value.isText() || cell->value.type == Value::Bool;
            if (!f.wrap && width + 2 * pad > c.size && isText) {
                if (align == AlignLeft || align == AlignJustify || align == AlignCentre) {
                    for (size_t k = ci + 1; k < cols.size() && width + 2 * pad > x2 - x1; ++k) {
                        if (!isEmptyCell(m, r.index, cols[k].index)) break;
                        x2 = cols[k].pos + cols[k].size;
                    }
                }
                if (align == AlignRight || align == AlignCentre) {
                    for (size_t k = ci; k-- > 0 && width + 2 * pad > x2 - x1;) {
                        if (!isEmptyCell(m, r.index, cols[k].index)) break;
                        x1 = cols[k].pos;
                    }
                }
                if (x2 - x1 > c.size) {
                    // Paint over the grid line the text crosses.
                    p.fillRect(QRectF(x1 + 1, r.pos + 1, x2 - x1 - 2, r.size - 2), o.background);
                }
            } else if (!isText && width + 2 * pad > c.size && cell->value.isNumber()) {
                const double hash = fm.horizontalAdvance(u'#');
                text = QString(qMax(1, int((c.size - 2 * pad) / qMax(1.0, hash))), u'#');
            }
            int flags = 0;
            switch (align) {
            case AlignCentre: flags |= Qt::AlignHCenter; break;
            case AlignRight: flags |= Qt::AlignRight; break;
            case AlignJustify: flags |= f.wrap ? Qt::AlignJustify : Qt::AlignLeft; break;
            default: flags |= Qt::AlignLeft; break;
            }
            flags |= f.vAlign == AlignTop ? Qt::AlignTop : f.vAlign == AlignMiddle ? Qt::AlignVCenter : Qt::AlignBottom;
            if (f.wrap) flags |= Qt::TextWordWrap;
            const QRectF box(x1 + pad, r.pos + o.unit, x2 - x1 - 2 * pad, r.size - 3 * o.unit);
            p.save();
            p.setClipRect(QRectF(x1, r.pos, x2 - x1, r.size), Qt::IntersectClip);
            p.setFont(font);
            p.setPen(color);
            p.drawText(box, flags, text);
            p.restore();
        }
    }
    p.restore();
}

} // namespace Sheet
