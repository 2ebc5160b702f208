#include "controls/text/paperlayout.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The device the paper layout measures on: 1440 dots per inch, so that fonts and lengths
// come out in twips. Made once and kept for the program's life, since every paper layout
// refers to it.
QPaintDevice* twipsDevice() {
    static QImage* device = [] {
        auto* image = new QImage(1, 1, QImage::Format_RGB32);
        const int dotsPerMeter = int(std::lround(PaperLayout::kDpi / 0.0254));
        image->setDotsPerMeterX(dotsPerMeter);
        image->setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}

// Lengths of cell paddings are kept, like every length of the model, in pixels of a
// 96-dpi screen; the layout scales them to its device.
constexpr double kModelUnit = PaperLayout::kDpi / 96.0;

struct Collector {
    QAbstractTextDocumentLayout* layout;
    double pageHeight;
    std::vector<PaperLayout::Unit>& out;
    bool breakNext = false;

    void add(double top, double bottom, bool breakBefore = false) {
        out.push_back({top, std::max(top, bottom), breakBefore || breakNext});
        breakNext = false;
    }

    // Each line of a paragraph, absolute.
    template <typename F> void forEachLine(const QTextBlock& block, F f) const {
        const QTextLayout* tl = block.layout();
        if (!tl || tl->lineCount() == 0) return;
        const QRectF rect = layout->blockBoundingRect(block);
        const double base = rect.top() - tl->lineAt(0).y();
        for (int i = 0; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            f(base + line.y(), base + line.y() + line.height());
        }
    }

    void block(const QTextBlock& b) {
        const QTextBlockFormat f = b.blockFormat();
        bool first = f.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
        forEachLine(b, [&](double top, double bottom) {
            add(top, bottom, first);
            first = false;
        });
        if (f.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter) breakNext = true;
    }

    void frame(QTextFrame* frame) {
        for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                if (auto* t = qobject_cast<QTextTable*>(child))
                    table(t);
                else
                    this->frame(child);
            } else if (it.currentBlock().isValid()) {
                block(it.currentBlock());
            }
        }
    }

    template <typename F> void forEachCellBlock(const QTextTableCell& cell, F f) const {
        const QTextDocument* doc = cell.firstCursorPosition().document();
        const int last = cell.lastPosition();
        for (QTextBlock b = doc->findBlock(cell.firstPosition()); b.isValid() && b.position() <= last;
             b = b.next())
            f(b);
    }

    // A table goes by rows; rows that a merged cell joins go together. A unit reaches from
    // the top of the border above its first row to the bottom of the border below its
    // last, so that the border between two rows is drawn on both pages when a page ends
    // between them.
    void table(QTextTable* t) {
        const int rows = t->rows();
        const int columns = t->columns();
        if (rows == 0 || columns == 0) return;
        const QRectF whole = layout->frameBoundingRect(t);
        const double inf = std::numeric_limits<double>::infinity();
        std::vector<double> spaceAbove(size_t(rows), inf);  // top of row r's cells' padding
        std::vector<double> spaceBelow(size_t(rows), -inf); // bottom of cells ending at r
        std::vector<bool> joinsNext(size_t(rows), false);

        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                const QTextTableCell cell = t->cellAt(r, c);
                if (!cell.isValid() || cell.row() != r || cell.column() != c) continue;
                double top = inf, bottom = -inf;
                forEachCellBlock(cell, [&](const QTextBlock& b) {
                    const QRectF rect = layout->blockBoundingRect(b);
                    top = std::min(top, rect.top());
                    bottom = std::max(bottom, rect.bottom());
                });
                if (top == inf) continue;
                const QTextTableCellFormat cf = cell.format().toTableCellFormat();
                const double padTop = cf.hasProperty(QTextFormat::TableCellTopPadding)
                                          ? cf.topPadding()
                                          : t->format().cellPadding();
                const double padBottom = cf.hasProperty(QTextFormat::TableCellBottomPadding)
                                             ? cf.bottomPadding()
                                             : t->format().cellPadding();
                const int end = r + std::max(1, cell.rowSpan()) - 1;
                spaceAbove[size_t(r)] = std::min(spaceAbove[size_t(r)], top - padTop * kModelUnit);
                if (end < rows)
                    spaceBelow[size_t(end)] =
                        std::max(spaceBelow[size_t(end)], bottom + padBottom * kModelUnit);
                for (int j = r; j < end && j < rows; ++j)
                    joinsNext[size_t(j)] = true;
            }
        }

        for (int first = 0; first < rows;) {
            int last = first;
            while (last + 1 < rows && joinsNext[size_t(last)])
                ++last;
            double top = whole.top();
            if (first > 0)
                top = spaceBelow[size_t(first - 1)] > -inf ? spaceBelow[size_t(first - 1)]
                                                           : spaceAbove[size_t(first)];
            double bottom = whole.bottom();
            if (last < rows - 1)
                bottom = spaceAbove[size_t(last + 1)] < inf ? spaceAbove[size_t(last + 1)]
                                                            : spaceBelow[size_t(last)];
            if (bottom - top > pageHeight)
                tallRows(t, first, last, top, bottom);
            else
                add(top, bottom);
            first = last + 1;
        }
    }

    // Rows taller than a page: cut between lines, where no cell has a line running across.
    void tallRows(QTextTable* t, int first, int last, double top, double bottom) {
        std::vector<std::pair<double, double>> lines;
        for (int r = first; r <= last; ++r) {
            for (int c = 0; c < t->columns(); ++c) {
                const QTextTableCell cell = t->cellAt(r, c);
                if (!cell.isValid() || cell.row() != r || cell.column() != c) continue;
                forEachCellBlock(cell, [&](const QTextBlock& b) {
                    forEachLine(b, [&](double y0, double y1) { lines.emplace_back(y0, y1); });
                });
            }
        }
        std::sort(lines.begin(), lines.end());
        std::vector<std::pair<double, double>> merged;
        for (const auto& l : lines) {
            if (!merged.empty() && l.first < merged.back().second)
                merged.back().second = std::max(merged.back().second, l.second);
            else
                merged.push_back(l);
        }
        if (merged.empty()) {
            add(top, bottom);
            return;
        }
        merged.front().first = top;
        merged.back().second = bottom;
        for (const auto& m : merged)
            add(m.first, m.second);
    }
};

} // namespace

std::vector<PaperLayout::Page> PaperLayout::paginate(const std::vector<Unit>& units,
                                                    double pageHeight) {
    std::vector<Page> pages;
    if (units.empty() || !(pageHeight > 0)) return {Page{0, 0}};
    Page current{std::min(0.0, units.front().top), units.front().bottom};
    auto cutTall = [&] {
        // Only what cannot go whole onto any page is cut, at page height.
        while (current.bottom - current.top > pageHeight) {
            pages.push_back({current.top, current.top + pageHeight});
            current.top += pageHeight;
        }
    };
    cutTall();
    for (size_t i = 1; i < units.size(); ++i) {
        const Unit& u = units[i];
        if (u.breakBefore || u.bottom - current.top > pageHeight) {
            pages.push_back(current);
            current = {u.top, u.bottom};
            cutTall();
        } else {
            current.bottom = std::max(current.bottom, u.bottom);
        }
    }
    pages.push_back(current);
    return pages;
}

PaperLayout::PaperLayout(std::unique_ptr<QTextDocument> doc, int widthTwips, int heightTwips)
    : m_doc(std::move(doc)), m_width(std::max(1, widthTwips)), m_height(std::max(1, heightTwips)) {
    m_doc->setUndoRedoEnabled(false);
    m_doc->setDocumentMargin(0);
    m_doc->documentLayout()->setPaintDevice(twipsDevice());
    m_doc->setTextWidth(m_width);
    m_doc->documentLayout()->documentSize(); // the whole layout, now
    m_pages = paginate(units(), m_height);
}

PaperLayout::~PaperLayout() = default;

std::vector<PaperLayout::Unit> PaperLayout::units() const {
    std::vector<Unit> out;
    Collector c{m_doc->documentLayout(), double(m_height), out};
    c.frame(m_doc->rootFrame());
    return out;
}

int PaperLayout::pageOfBlock(const QTextBlock& block) const {
    if (!block.isValid()) return 0;
    const double top = m_doc->documentLayout()->blockBoundingRect(block).top();
    // The last page starting at or above the paragraph's first line.
    const auto after = std::upper_bound(m_pages.begin(), m_pages.end(), top + 0.5,
                                        [](double y, const Page& p) { return y < p.top; });
    return std::max(0, int(after - m_pages.begin()) - 1);
}

double PaperLayout::usedHeight(int index) const {
    const Page& p = page(index);
    return p.bottom - p.top;
}

void PaperLayout::draw(QPainter* painter, QPointF originTwips, const QRectF& part) const {
    QPaintDevice* device = painter->device();
    if (!device) return;
    painter->save();
    painter->scale(device->logicalDpiX() / kDpi, device->logicalDpiY() / kDpi);
    painter->translate(originTwips);
    // Only above and below is the page cut; a table wider than the text may run on into
    // the margin, as on screen.
    painter->setClipRect(QRectF(-originTwips.x(), 0, 4.0 * m_width + originTwips.x(), part.height()),
                         Qt::IntersectClip);
    painter->translate(0, -part.top());
    QAbstractTextDocumentLayout::PaintContext context;
    // Lines draw when they touch the clip; a twip in from each end keeps the lines that
    // end where the page begins, or begin where it ends, off it (hidden by the painter's
    // clip, they would still be in a PDF's text).
    context.clip = QRectF(-originTwips.x(), part.top() + 1, 4.0 * m_width + originTwips.x(),
                          std::max(0.0, part.height() - 2));
    context.palette.setColor(QPalette::Text, Qt::black);
    m_doc->documentLayout()->draw(painter, context);
    painter->restore();
}

void PaperLayout::drawPage(QPainter* painter, int index, QPointF originTwips) const {
    if (index < 0 || index >= pageCount()) return;
    const Page& p = page(index);
    draw(painter, originTwips, QRectF(0, p.top, m_width, p.bottom - p.top));
}

double PaperLayout::drawTop(QPainter* painter, QPointF originTwips, double heightTwips) const {
    const double content = m_doc->documentLayout()->documentSize().height();
    const double height = std::clamp(content, 0.0, std::max(0.0, heightTwips));
    draw(painter, originTwips, QRectF(0, 0, m_width, height));
    return height;
}
