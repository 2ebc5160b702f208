#include "sheetprint.h"

#include "platform/printerinfo.h"
#include "sheetpainter.h"

#include <QPainter>
#include <QPageSize>
#include <cmath>

namespace Sheet {

namespace {
constexpr double kPx = 96.0;           // sheet pixels per inch
constexpr double kHeadingWidth = 40;   // row numbers on paper
constexpr double kHeadingHeight = 18;  // column letters on paper
} // namespace

QSizeF SheetPrinter::paperInches(const PrintSettings& print) {
    QPageSize size = PrinterInfo::pageSizeForCode(print.paperSize);
    if (!size.isValid()) size = QPageSize(QPageSize::A4);
    QSizeF in = size.size(QPageSize::Inch);
    if (print.landscape) in.transpose();
    return in;
}

SheetPrinter::SheetPrinter(const SheetModel& m) : m_model(m) {
    const PrintSettings& pr = m.print();
    const ViewSettings& v = m.view();
    m_paper = paperInches(pr);
    const CellRange used = m.usedRange();
    m_lastRow = qMin(used.row2, v.maxRow);
    m_lastCol = qMin(used.col2, v.maxCol);
    m_titleRows = qMin(v.fixedRows, m_lastRow);
    m_titleCols = qMin(v.fixedCols, m_lastCol);
    if (m_lastRow < 1 || m_lastCol < 1) {
        m_pages.push_back({0, 0}); // an empty sheet prints one blank page
        return;
    }
    if (!pr.fitToPages) {
        m_scale = pr.scale;
        layout(pr.scale / 100.0);
        return;
    }
    for (int s = 100; s >= 10; --s) {
        m_scale = s;
        if (layout(s / 100.0) && int(m_colBands.size()) <= pr.pagesWide && int(m_rowBands.size()) <= pr.pagesHigh)
            return;
    }
}

std::vector<SheetPrinter::Band> SheetPrinter::split(const std::vector<double>& sizes, int firstBody,
                                                    double titles, double avail) {
    std::vector<Band> bands;
    const int last = int(sizes.size()) - 1; // sizes[0] unused: indexes are rows or columns
    if (firstBody > last) {
        bands.push_back({firstBody, firstBody - 1});
        return bands;
    }
    double room = avail - titles;
    if (room < avail * 0.2) room = avail; // titles that leave no room are not repeated
    int start = firstBody;
    double used = 0;
    for (int i = firstBody; i <= last; ++i) {
        if (used > 0 && used + sizes[size_t(i)] > room + 1e-6) {
            bands.push_back({start, i - 1});
            start = i;
            used = 0;
        }
        used += sizes[size_t(i)];
    }
    bands.push_back({start, last});
    return bands;
}

bool SheetPrinter::layout(double scale) {
    const PrintSettings& pr = m_model.print();
    double availW = (m_paper.width() - pr.leftMargin - pr.rightMargin) * kPx / scale;
    double availH = (m_paper.height() - pr.topMargin - pr.bottomMargin) * kPx / scale;
    if (pr.headings) {
        availW -= kHeadingWidth;
        availH -= kHeadingHeight;
    }
    availW = qMax(availW, kPx / scale);
    availH = qMax(availH, kPx / scale);
    std::vector<double> widths(size_t(m_lastCol) + 1), heights(size_t(m_lastRow) + 1);
    double titleW = 0, titleH = 0;
    for (int c = 1; c <= m_lastCol; ++c) {
        widths[size_t(c)] = m_model.columnWidth(c);
        if (c <= m_titleCols) titleW += widths[size_t(c)];
    }
    for (int r = 1; r <= m_lastRow; ++r) {
        heights[size_t(r)] = m_model.rowHeight(r);
        if (r <= m_titleRows) titleH += heights[size_t(r)];
    }
    // Titles count against the first page too; they are part of every page.
    m_colBands = split(widths, m_titleCols + 1, titleW, availW);
    m_rowBands = split(heights, m_titleRows + 1, titleH, availH);
    m_pages.clear();
    for (int c = 0; c < int(m_colBands.size()); ++c)
        for (int r = 0; r < int(m_rowBands.size()); ++r) m_pages.push_back({r, c});
    return true;
}

std::vector<int> SheetPrinter::pageRows(int page) const {
    std::vector<int> out;
    if (page < 1 || page > pageCount() || m_lastRow < 1) return out;
    const Band b = m_rowBands[size_t(m_pages[size_t(page - 1)].rowBand)];
    for (int r = 1; r <= m_titleRows; ++r) out.push_back(r);
    for (int r = b.first; r <= b.last; ++r) out.push_back(r);
    return out;
}

std::vector<int> SheetPrinter::pageCols(int page) const {
    std::vector<int> out;
    if (page < 1 || page > pageCount() || m_lastCol < 1) return out;
    const Band b = m_colBands[size_t(m_pages[size_t(page - 1)].colBand)];
    for (int c = 1; c <= m_titleCols; ++c) out.push_back(c);
    for (int c = b.first; c <= b.last; ++c) out.push_back(c);
    return out;
}

void SheetPrinter::drawPage(QPainter& p, const QRectF& target, int page) const {
    if (page < 1 || page > pageCount() || target.width() <= 0 || target.height() <= 0) return;
    const PrintSettings& pr = m_model.print();
    // Device pixels per inch, keeping the paper's proportions inside the rectangle.
    const double perInch = qMin(target.width() / m_paper.width(), target.height() / m_paper.height());
    const QRectF paper(target.x() + (target.width() - m_paper.width() * perInch) / 2,
                       target.y() + (target.height() - m_paper.height() * perInch) / 2,
                       m_paper.width() * perInch, m_paper.height() * perInch);
    const double unit = perInch / kPx * m_scale / 100.0; // device pixels per sheet pixel
    const std::vector<int> rows = pageRows(page), cols = pageCols(page);
    if (rows.empty() || cols.empty()) return;
    double blockW = 0, blockH = 0;
    for (int c : cols) blockW += m_model.columnWidth(c) * unit;
    for (int r : rows) blockH += m_model.rowHeight(r) * unit;
    const double headW = pr.headings ? kHeadingWidth * unit : 0;
    const double headH = pr.headings ? kHeadingHeight * unit : 0;
    const double areaW = (m_paper.width() - pr.leftMargin - pr.rightMargin) * perInch;
    const double areaH = (m_paper.height() - pr.topMargin - pr.bottomMargin) * perInch;
    double x = paper.x() + pr.leftMargin * perInch;
    double y = paper.y() + pr.topMargin * perInch;
    if (pr.hCenter) x += qMax(0.0, (areaW - blockW - headW) / 2);
    if (pr.vCenter) y += qMax(0.0, (areaH - blockH - headH) / 2);

    std::vector<Span> rowSpans, colSpans;
    double pos = y + headH;
    for (int r : rows) {
        rowSpans.push_back({r, pos, m_model.rowHeight(r) * unit});
        pos += m_model.rowHeight(r) * unit;
    }
    pos = x + headW;
    for (int c : cols) {
        colSpans.push_back({c, pos, m_model.columnWidth(c) * unit});
        pos += m_model.columnWidth(c) * unit;
    }
    p.save();
    p.setClipRect(paper);
    CellPaintOptions o;
    o.unit = unit;
    o.gridLines = pr.gridLines;
    o.gridColor = QColor(0xA0, 0xA0, 0xA0);
    o.background = Qt::white;
    paintCells(p, m_model, rowSpans, colSpans, o);
    if (pr.gridLines) {
        // Close the grid on its top and left.
        QPen pen(o.gridColor);
        pen.setWidthF(qMax(1.0, unit * 0.75));
        p.setPen(pen);
        p.drawLine(QPointF(x + headW, y + headH), QPointF(x + headW + blockW, y + headH));
        p.drawLine(QPointF(x + headW, y + headH), QPointF(x + headW, y + headH + blockH));
    }
    if (pr.headings) {
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(qMax(1, int(std::lround(9 * 96.0 / 72.0 * unit))));
        p.setFont(f);
        p.setPen(QPen(QColor(0x60, 0x60, 0x60), qMax(1.0, unit * 0.75)));
        for (const Span& c : colSpans) {
            const QRectF r(c.pos, y, c.size, headH);
            p.drawRect(r);
            p.drawText(r, Qt::AlignCenter, columnName(c.index));
        }
        for (const Span& r : rowSpans) {
            const QRectF box(x, r.pos, headW, r.size);
            p.drawRect(box);
            p.drawText(box, Qt::AlignCenter, QString::number(r.index));
        }
    }
    p.restore();
}

} // namespace Sheet
