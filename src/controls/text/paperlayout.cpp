#include "controls/text/paperlayout.h"

#include "controls/text/pictures.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
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

// Every length of the model (indents, spacing, tab stops, cell paddings, column widths) is
// kept in pixels of a 96-dpi screen. Qt's layout scales most of them to its device, but
// takes a paragraph's left and right margins and first-line indent as device units: on
// paper they would come out at a fifteenth of their size.
constexpr double kModelUnit = PaperLayout::kDpi / 96.0;

void scaleParagraphMargins(QTextDocument* doc) {
    QTextCursor cursor(doc);
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        QTextBlockFormat f = b.blockFormat();
        if (f.leftMargin() == 0 && f.rightMargin() == 0 && f.textIndent() == 0) continue;
        f.setLeftMargin(f.leftMargin() * kModelUnit);
        f.setRightMargin(f.rightMargin() * kModelUnit);
        f.setTextIndent(f.textIndent() * kModelUnit);
        cursor.setPosition(b.position());
        cursor.setBlockFormat(f);
    }
}

// A table wider than the text area is made narrower to fit it, as far as its fixed column
// widths allow: borders and paddings keep their size, so it may take a few rounds.
void fitWideTables(QTextDocument* doc, double width) {
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    for (QTextFrame::iterator it = doc->rootFrame()->begin(); !it.atEnd(); ++it) {
        auto* table = qobject_cast<QTextTable*>(it.currentFrame());
        if (!table) continue;
        for (int round = 0; round < 4; ++round) {
            const double right = layout->frameBoundingRect(table).right();
            if (right <= width + 0.5) break;
            QTextTableFormat f = table->format();
            QList<QTextLength> columns = f.columnWidthConstraints();
            double fixed = 0;
            for (const QTextLength& c : columns)
                if (c.type() == QTextLength::FixedLength) fixed += c.rawValue() * kModelUnit;
            if (fixed <= 0) break;
            const double excess = right - width;
            const double scale = std::max(0.05, (fixed - excess) / fixed);
            for (QTextLength& c : columns)
                if (c.type() == QTextLength::FixedLength)
                    c = QTextLength(QTextLength::FixedLength, c.rawValue() * scale);
            f.setColumnWidthConstraints(columns);
            if (f.hasProperty(QTextFormat::FrameWidth) &&
                f.width().type() == QTextLength::FixedLength)
                f.setWidth(QTextLength(QTextLength::FixedLength, f.width().rawValue() * scale));
            table->setFormat(f);
            layout->documentSize(); // laid out again, now
        }
    }
}

// A picture wider than the room its line has (the text area, a table cell) is drawn
// smaller, keeping its aspect, as the screen shows it. Before the layout the room is the
// text area less the paragraph's indents; after it, the width of the picture's line.
// Returns whether any picture changed.
bool fitPictures(QTextDocument* doc, double width, bool laidOut) {
    std::vector<std::pair<int, QTextImageFormat>> smaller;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const QTextLayout* tl = b.layout();
        const bool laid = laidOut && tl && tl->lineCount() > 0;
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            for (int i = 0; i < fragment.length(); ++i) {
                const int pos = fragment.position() + i;
                double room = width;
                if (laid) {
                    const QTextLine line = tl->lineForTextPosition(pos - b.position());
                    if (line.isValid()) room = std::min(room, line.width());
                } else {
                    const QTextBlockFormat bf = b.blockFormat();
                    room -= bf.leftMargin() + bf.rightMargin() + std::max(0.0, bf.textIndent());
                }
                QTextImageFormat f = fragment.charFormat().toImageFormat();
                const QSizeF size = Pictures::shownSize(f);
                if (room <= 0 || size.width() * kModelUnit <= room + 0.5) continue;
                const QSizeF fitted = Pictures::fitted(size, QSizeF(room / kModelUnit, 0));
                f.setWidth(fitted.width());
                f.setHeight(fitted.height());
                smaller.emplace_back(pos, f);
            }
        }
    }
    QTextCursor cursor(doc);
    for (const auto& [pos, f] : smaller) {
        cursor.setPosition(pos);
        cursor.setPosition(pos + 1, QTextCursor::KeepAnchor);
        cursor.setCharFormat(f);
    }
    return !smaller.empty();
}

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
        // The paragraph's box begins at its layout's origin, from which its lines are
        // placed (the first one lower down when the lines have a fixed height).
        const double base = layout->blockBoundingRect(block).top();
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
    scaleParagraphMargins(m_doc.get());
    // Pictures measured from their formats, never decoded for their size.
    Pictures::installHandler(m_doc->documentLayout());
    fitPictures(m_doc.get(), m_width, false);
    m_doc->documentLayout()->setPaintDevice(twipsDevice());
    m_doc->setTextWidth(m_width);
    m_doc->documentLayout()->documentSize(); // the whole layout, now
    fitWideTables(m_doc.get(), m_width);
    if (fitPictures(m_doc.get(), m_width, true)) m_doc->documentLayout()->documentSize();
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
    double top = m_doc->documentLayout()->blockBoundingRect(block).top();
    if (block.layout() && block.layout()->lineCount() > 0) top += block.layout()->lineAt(0).y();
    // The last page starting at or above the paragraph's first line.
    const auto after = std::upper_bound(m_pages.begin(), m_pages.end(), top + 0.5,
                                        [](double y, const Page& p) { return y < p.top; });
    return std::max(0, int(after - m_pages.begin()) - 1);
}

double PaperLayout::usedHeight(int index) const {
    const Page& p = page(index);
    return p.bottom - p.top;
}

void PaperLayout::draw(QPainter* painter, QPointF originTwips, const QRectF& part,
                       double before, double after) const {
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
    double clipTop = part.top() + 1;
    double clipBottom = part.bottom() - 1;
    QAbstractTextDocumentLayout* layout = m_doc->documentLayout();
    // Lines of a font with a negative leading (Nimbus Sans, which stands in for Arial where
    // Liberation is missing) overlap their neighbours by a twip or two: the line that
    // begins the next page then still touches this page's clip, and the one that ends the
    // page before touches this one's. Where such a line of the text's own (not a table's
    // row, whose borders both pages draw) lies across the cut, the clip stops short of it.
    auto textLineAt = [&](double y) {
        const int at = layout->hitTest(QPointF(m_width / 2.0, y), Qt::FuzzyHit);
        return at >= 0 && m_doc->frameAt(at) == m_doc->rootFrame();
    };
    if (after < part.bottom() && textLineAt(after + 0.5)) clipBottom = std::min(clipBottom, after - 1);
    if (before > part.top() && textLineAt(before - 0.5)) clipTop = std::max(clipTop, before + 1);
    // Qt draws a paragraph from the last of its lines above the clip on (for the descents
    // that reach down into it): a paragraph that a page break cuts would put its line
    // before the break on the next page too, hidden under the painter's clip but in the
    // PDF's text. Such a paragraph is left out of Qt's drawing and its lines on this page
    // are drawn one by one.
    QTextBlock cut;
    const int at = layout->hitTest(QPointF(m_width / 2.0, part.top() + 1), Qt::FuzzyHit);
    if (at >= 0) {
        const QTextBlock b = m_doc->findBlock(at);
        const QRectF rect = b.isValid() ? layout->blockBoundingRect(b) : QRectF();
        // From the layout's origin to its last line's foot (the box Qt reports begins at
        // the first line's top, which lines of a fixed height place lower down).
        double bottom = rect.top();
        if (b.isValid() && b.layout())
            for (int i = 0; i < b.layout()->lineCount(); ++i)
                bottom = std::max(bottom, rect.top() + b.layout()->lineAt(i).y() +
                                              b.layout()->lineAt(i).height());
        if (b.isValid() && b.layout() && b.layout()->lineCount() > 0 &&
            m_doc->frameAt(b.position()) == m_doc->rootFrame() && rect.top() < part.top() - 0.5 &&
            bottom > part.top() + 0.5) {
            cut = b;
            clipTop = std::max(clipTop, bottom + 0.5);
        }
    }
    // Its lines first: they come first in the page's text.
    if (cut.isValid()) {
        const QTextLayout* tl = cut.layout();
        const QPointF position = tl->position();
        painter->setPen(Qt::black);
        for (int i = 0; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            const double top = position.y() + line.y();
            if (top >= part.top() - 0.5 && top + line.height() <= part.bottom() + 0.5)
                line.draw(painter, position);
        }
    }
    context.palette.setColor(QPalette::Text, Qt::black);
    if (clipBottom > clipTop) {
        context.clip = QRectF(-originTwips.x(), clipTop, 4.0 * m_width + originTwips.x(),
                              clipBottom - clipTop);
        layout->draw(painter, context);
    }
    painter->restore();
}

void PaperLayout::drawPage(QPainter* painter, int index, QPointF originTwips) const {
    if (index < 0 || index >= pageCount()) return;
    const Page& p = page(index);
    draw(painter, originTwips, QRectF(0, p.top, m_width, p.bottom - p.top),
         index > 0 ? page(index - 1).bottom : -std::numeric_limits<double>::infinity(),
         index + 1 < pageCount() ? page(index + 1).top : std::numeric_limits<double>::infinity());
}

double PaperLayout::drawTop(QPainter* painter, QPointF originTwips, double heightTwips) const {
    const double content = m_doc->documentLayout()->documentSize().height();
    const double height = std::clamp(content, 0.0, std::max(0.0, heightTwips));
    draw(painter, originTwips, QRectF(0, 0, m_width, height));
    return height;
}
