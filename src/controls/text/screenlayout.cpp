#include "controls/text/screenlayout.h"

#include "controls/text/pictures.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextList>
#include <QTextTable>
#include <QTimerEvent>

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>
#include <tuple>
#include <vector>

namespace {

// Lengths are kept as Qt's layout keeps them, in 64ths of a pixel, so that sums of many
// paragraph heights neither drift nor differ from what Qt's own layout would give.
using Fixed = qint64;

// As QFixed::fromReal: truncated, not rounded.
Fixed fx(qreal v) {
    return Fixed(v * 64.0);
}
qreal rl(Fixed f) {
    return qreal(f) / 64.0;
}

constexpr qreal kHuge = 1e7; // the line width of text that is not wrapped

// The background layout works in slices this long (ms), so that a key pressed meanwhile
// waits no longer than that.
constexpr int kSliceMs = 3;

// Prefix sums of the top-level items' heights (a Fenwick tree).
class SumTree {
public:
    template <class Heights>
    void build(int n, Heights height) {
        n_ = n;
        t_.assign(size_t(n) + 1, 0);
        for (int i = 1; i <= n; ++i) {
            t_[i] += height(i - 1);
            const int j = i + (i & -i);
            if (j <= n) t_[j] += t_[i];
        }
        top_ = 1;
        while (top_ * 2 <= n) top_ *= 2;
    }
    void add(int i, Fixed delta) {
        if (delta == 0) return;
        for (++i; i <= n_; i += i & -i)
            t_[i] += delta;
    }
    // The sum of items [0, i).
    Fixed prefix(int i) const {
        Fixed s = 0;
        for (i = std::min(i, n_); i > 0; i -= i & -i)
            s += t_[i];
        return s;
    }
    Fixed total() const { return prefix(n_); }
    // The item whose extent holds y: the number of items that end at or before it. Items
    // of no height are passed over. n when y is at or past the end.
    int find(Fixed y) const {
        if (y < 0) return 0;
        int pos = 0;
        for (int step = n_ ? top_ : 0; step; step >>= 1) {
            if (pos + step <= n_ && t_[pos + step] <= y) {
                pos += step;
                y -= t_[pos];
            }
        }
        return pos;
    }

private:
    std::vector<Fixed> t_;
    int n_ = 0;
    int top_ = 0;
};

QTextFrame* topLevelFrame(QTextDocument* doc, int position) {
    QTextFrame* root = doc->rootFrame();
    QTextFrame* f = doc->frameAt(position);
    while (f && f != root && f->parentFrame() != root)
        f = f->parentFrame();
    return f ? f : root;
}

// Qt's layout gives an empty paragraph just before a table, or just after one, no room of its
// own: the one before sits at the table's top, the one after beside the table's last row.
// A table inserted into a paragraph leaves such paragraphs behind, and the plan has always
// looked that way.
enum class Beside : quint8 { None, BeforeTable, AfterTable };

Beside besideTable(const QTextDocument* doc, const QTextBlock& b) {
    if (!b.isValid() || b.length() != 1) return Beside::None;
    const int pos = b.position();
    if (pos > 0) {
        const auto* t = qobject_cast<const QTextTable*>(doc->frameAt(pos - 1));
        if (t && t->lastPosition() == pos - 1) return Beside::AfterTable;
    }
    const QTextBlockFormat bf = b.blockFormat();
    if (bf.hasProperty(QTextFormat::PageBreakPolicy) || bf.hasProperty(QTextFormat::BackgroundBrush))
        return Beside::None;
    const auto* t = qobject_cast<const QTextTable*>(doc->frameAt(pos + 1));
    if (t && t->firstPosition() == pos + 1) return Beside::BeforeTable;
    return Beside::None;
}

qreal blockIndent(const QTextDocument* doc, const QTextBlockFormat& bf) {
    qreal indent = bf.indent();
    if (QTextObject* object = doc->objectForFormat(bf))
        indent += object->format().toListFormat().indent();
    return qFuzzyIsNull(indent) ? 0 : indent * doc->indentWidth();
}

// A paragraph's lines, or nothing when they are not those of its present text.
//
// Qt forgets a paragraph's shaped text when the text changes but keeps its lines, and tells
// the layout of the change only when the outermost edit block ends. Until then (a command
// that edits through a cursor and places the caret inside one undo step), and for a
// paragraph whose new height is still estimated, the old lines may reach past the text;
// measuring along one of a justified paragraph read past the shaped text and crashed
// inside Qt. Such lines are dropped: a paragraph without lines is asked for again
// (QTextCursor asks the layout for its rectangle first), and is laid out again when the
// change arrives.
QTextLayout* currentLines(const QTextBlock& b) {
    QTextLayout* tl = b.layout();
    if (!tl || tl->lineCount() == 0) return tl;
    const QTextLine last = tl->lineAt(tl->lineCount() - 1);
    if (last.textStart() + last.textLength() !=
        b.length() - 1 + int(tl->preeditAreaText().size()))
        tl->clearLayout();
    return tl;
}

// Whether a paragraph kept by the layout (in a table's cell) is still one of the text's.
// Qt tells the layout of a change when the outermost edit ends; until then a cell's
// paragraph may have gone (a picture's paragraph joined to the one before it, a cell
// emptied), and its handle would read positions and lines of what is no longer there.
bool stillThere(const QTextBlock& b) {
    if (!b.isValid() || !b.document()) return false;
    const int pos = b.position();
    return pos >= 0 && pos < b.document()->characterCount() && b.document()->findBlock(pos) == b;
}

// The selections of a paint context as ranges of one paragraph, as Qt's layout makes them.
QList<QTextLayout::FormatRange>
paragraphSelections(const QList<QAbstractTextDocumentLayout::Selection>& selections,
                    const QTextBlock& block, const QTextLayout* tl) {
    QList<QTextLayout::FormatRange> out;
    const int blpos = block.position();
    const int bllen = block.length();
    for (const QAbstractTextDocumentLayout::Selection& range : selections) {
        const int selStart = range.cursor.selectionStart() - blpos;
        const int selEnd = range.cursor.selectionEnd() - blpos;
        if (selStart < bllen && selEnd > 0 && selEnd > selStart) {
            out.append(QTextLayout::FormatRange{selStart, selEnd - selStart, range.format});
        } else if (!range.cursor.hasSelection() &&
                   range.format.hasProperty(QTextFormat::FullWidthSelection) &&
                   block.contains(range.cursor.position())) {
            // A full-width selection needs no selected text, only a line to mark.
            const QTextLine l = tl->lineForTextPosition(range.cursor.position() - blpos);
            if (!l.isValid()) continue;
            QTextLayout::FormatRange o{l.textStart(), l.textLength(), range.format};
            if (o.start + o.length == bllen - 1) ++o.length; // the paragraph break too
            out.append(o);
        }
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Boxes: tables and other frames, and the flows of text inside them

struct FrameBox;

struct FlowItem {
    QTextBlock block;                // a paragraph, or
    std::unique_ptr<FrameBox> frame; // a table or frame
    Fixed x = 0;                     // a paragraph beside a table: its left in the flow
    Fixed y = 0;                     // top of the paragraph or box in its flow
    bool beside = false;             // an empty paragraph beside a table, taking no room
};

struct CellBox {
    CellBox() = default;
    CellBox(CellBox&&) noexcept = default;
    CellBox& operator=(CellBox&&) noexcept = default;

    int row = 0, column = 0, rowSpan = 1, columnSpan = 1;
    Fixed x = 0, y = 0, w = 0, h = 0; // the cell from the grid's origin
    Fixed contentX = 0, contentY = 0, contentWidth = 0;
    Fixed contentTop = 0;             // the text's top below the row's top
    Fixed needed = 0;                 // height the content asks of the rows
    Fixed border[4] = {0, 0, 0, 0};   // top, right, bottom, left
    QBrush brush[4];
    QBrush background;
    std::vector<FlowItem> items;
};

struct FrameBox {
    // The frame may go while the box is still kept: in the middle of an edit that replaces
    // a table, the caret's place is asked before the layout hears of the change.
    QPointer<QTextFrame> frame;
    bool isTable = false;
    QTextTable* table() const { return qobject_cast<QTextTable*>(frame.data()); }
    Fixed x = 0;                   // from the left of the flow holding it
    Fixed width = 0, height = 0;   // the whole box
    Fixed gridX = 0, gridY = 0;    // where the grid (or the frame's flow) starts in the box
    std::vector<Fixed> colX, rowY; // grid lines from the grid's origin
    std::vector<CellBox> cells;
    std::vector<int> cellAt;       // row * columns + column -> index in cells
    std::vector<FlowItem> items;   // a frame that is not a table
    int columns = 0;
    Fixed bottomMargin = 0;
};

struct ScreenLayout::Impl {
    enum class Kind : quint8 { Paragraph, FrameHead, FrameBody };

    // One per paragraph of the document, by paragraph number. A top-level table holds all
    // its height in the entry of its first paragraph; its other paragraphs have none.
    struct Entry {
        Fixed content = 0; // laid out or, until then, estimated
        Fixed gap = 0;     // above the content: the larger of two neighbouring margins
        Fixed topMargin = 0, bottomMargin = 0;
        Kind kind = Kind::Paragraph;
        Beside beside = Beside::None;
        bool laid = false;
        std::shared_ptr<FrameBox> box;
        Fixed height() const { return gap + content; }
    };

    ScreenLayout* q;
    QTextDocument* doc;
    std::vector<Entry> entries;
    SumTree tree;
    int laidUpTo = 0; // entries [0, laidUpTo) are laid out
    qreal pageWidth = -1;
    qreal left = 0, top = 0, right = 0, bottom = 0; // the root frame's margins
    Fixed flowWidth = 0;
    QSizeF announced;
    QBasicTimer timer;
    bool drawing = false;
    const PaintContext* painting = nullptr; // while drawing: its selections, for pictures
    mutable Fixed lineRoom = 0; // while a paragraph is laid out: the width its lines have
    Fixed estimateLine = 16 * 64;
    qreal estimateChar = 7;
    std::multiset<Fixed> boxRights; // right edges of the top-level boxes laid out

    void track(const Entry& e, bool add) {
        if (!e.box) return;
        const Fixed edge = e.box->x + e.box->width;
        if (add) {
            boxRights.insert(edge);
        } else if (auto it = boxRights.find(edge); it != boxRights.end()) {
            boxRights.erase(it);
        }
    }

    Impl(ScreenLayout* layout, QTextDocument* document) : q(layout), doc(document) {}

    // ---- geometry of the page

    // What, besides the text, decides every line: compared to tell a repeated request to
    // lay the whole text out (the text widget asks on every resize) from one that changes
    // anything.
    struct Settings {
        qreal pageWidth = -2, left = 0, top = 0, right = 0, bottom = 0, indentWidth = 0,
              tabStop = 0;
        QString font;
        int wrap = 0, alignment = 0, flags = 0, direction = 0;
        bool designMetrics = false;
        bool operator==(const Settings&) const = default;
    };
    Settings settings;
    bool untouched = false; // nothing has changed since the whole text was laid out afresh

    Settings currentSettings() const {
        const QTextOption o = doc->defaultTextOption();
        return Settings{pageWidth, left, top, right, bottom, doc->indentWidth(), o.tabStopDistance(),
                        doc->defaultFont().key(), int(o.wrapMode()), int(o.alignment()),
                        int(o.flags()), int(o.textDirection()), o.useDesignMetrics()};
    }

    bool readGeometry() {
        const QTextFrameFormat rf = doc->rootFrame()->frameFormat();
        const qreal border = rf.border();
        const qreal l = rf.leftMargin() + border + rf.padding();
        const qreal t = rf.topMargin() + border + rf.padding();
        const qreal r = rf.rightMargin() + border + rf.padding();
        const qreal b = rf.bottomMargin() + border + rf.padding();
        const qreal w = doc->pageSize().width();
        const bool changed = w != pageWidth || l != left || t != top || r != right || b != bottom;
        pageWidth = w;
        left = l;
        top = t;
        right = r;
        bottom = b;
        flowWidth = w < 0 ? fx(kHuge) : std::max<Fixed>(0, fx(w) - fx(l) - fx(r));
        return changed;
    }

    // ---- paragraphs

    // Lays a paragraph out at a flow's width as Qt's document layout does (the same line
    // widths, wrapping and line heights); returns the height its lines take in the flow.
    Fixed layoutParagraph(const QTextBlock& b, Fixed width) const {
        QTextLayout* tl = b.layout();
        if (!tl) return 0;
        tl->setPosition(QPointF(0, 0));
        if (!b.isVisible()) {
            tl->clearLayout();
            return 0;
        }
        const QTextBlockFormat bf = b.blockFormat();
        const Qt::LayoutDirection dir = b.textDirection();
        QTextOption option = doc->defaultTextOption();
        option.setTextDirection(dir);
        option.setTabs(bf.tabPositions());
        Qt::Alignment align = doc->defaultTextOption().alignment();
        if (bf.hasProperty(QTextFormat::BlockAlignment)) align = bf.alignment();
        option.setAlignment(QStyle::visualAlignment(dir, align));
        if (bf.nonBreakableLines() || doc->pageSize().width() < 0)
            option.setWrapMode(QTextOption::ManualWrap);
        tl->setTextOption(option);
        const bool wordOrAnywhere = option.wrapMode() == QTextOption::WrapAtWordBoundaryOrAnywhere;

        Fixed extra = 0;
        if (doc->defaultTextOption().flags() & QTextOption::AddSpaceForLineAndParagraphSeparators)
            extra = fx(QFontMetricsF(b.charFormat().font()).horizontalAdvance(QChar(0x21B5)));
        const Fixed indent = fx(blockIndent(doc, bf));
        const Fixed l = fx(bf.leftMargin()) + (dir == Qt::RightToLeft ? extra : indent);
        const Fixed r = width - fx(bf.rightMargin()) - (dir == Qt::RightToLeft ? indent : extra);
        const int heightType = bf.lineHeightType();
        // A picture wider than its column (a table cell, a page narrower than it was) is
        // shown smaller, keeping its aspect.
        lineRoom = std::max<Fixed>(64, r - l - std::max<Fixed>(0, fx(bf.textIndent())));

        Fixed y = 0;
        Fixed bottom = 0; // where the last line's glyphs end
        bool firstLine = true;
        tl->beginLayout();
        for (;;) {
            QTextLine line = tl->createLine();
            if (!line.isValid()) break;
            line.setLeadingIncluded(true);
            Fixed lineLeft = l, lineRight = r;
            if (firstLine) {
                const Fixed textIndent = fx(bf.textIndent());
                if (dir == Qt::LeftToRight)
                    lineLeft += textIndent;
                else
                    lineRight -= textIndent;
                firstLine = false;
            }
            line.setLineWidth(rl(lineRight - lineLeft));
            if (fx(line.naturalTextWidth()) > lineRight - lineLeft) {
                // A word longer than the line: Qt breaks it anywhere, then goes on with
                // plain word wrapping for the rest of the paragraph.
                if (wordOrAnywhere) {
                    option.setWrapMode(QTextOption::WrapAnywhere);
                    tl->setTextOption(option);
                }
                line.setLineWidth(std::max(line.naturalTextWidth(), rl(lineRight - lineLeft)));
                if (wordOrAnywhere) {
                    option.setWrapMode(QTextOption::WordWrap);
                    tl->setTextOption(option);
                }
            }
            const qreal rawHeight = std::ceil(line.ascent() + line.descent() + line.leading());
            const Fixed lineHeight = fx(bf.lineHeight(rawHeight, 1.0));
            Fixed adjustment = 0;
            if (heightType == QTextBlockFormat::FixedHeight)
                adjustment = fx(line.ascent() + std::max(line.leading(), qreal(0))) -
                             (lineHeight * 4) / 5;
            else if (heightType == QTextBlockFormat::MinimumHeight)
                adjustment = fx(line.height()) - lineHeight;
            line.setPosition(QPointF(rl(lineLeft), rl(y - adjustment)));
            // A font whose leading is negative steps its lines by less than their full
            // height: the paragraph ends where its last line does, as in Qt's layout.
            bottom = y + fx(bf.lineHeight(line.height(), 1.0));
            y += lineHeight;
        }
        tl->endLayout();
        return std::max(y, bottom);
    }

    Fixed estimateParagraph(const QTextBlock& b) const {
        if (!b.isVisible()) return 0;
        // A picture counts with the height its format gives, not as a character.
        int pictures = 0;
        Fixed pictureHeight = 0;
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QTextCharFormat cf = f.charFormat();
            if (!cf.isImageFormat()) continue;
            pictures += f.length();
            pictureHeight += f.length() * fx(Pictures::shownSize(cf, rl(flowWidth)).height());
        }
        const qreal chars = std::max(1, b.length() - 1 - pictures);
        const qreal perLine = std::max<qreal>(1, rl(flowWidth) / estimateChar);
        return estimateLine * Fixed(std::ceil(chars / perLine)) + pictureHeight;
    }

    // ---- flows inside boxes

    // Lays out the paragraphs and boxes from it on at the given width; returns the height.
    Fixed layoutFlow(QTextFrame::iterator it, Fixed width, std::vector<FlowItem>& items) const {
        items.clear();
        Fixed y = 0, previousBottom = 0;
        bool first = true;
        for (; !it.atEnd(); ++it) {
            FlowItem item;
            if (QTextFrame* f = it.currentFrame()) {
                y += previousBottom;
                previousBottom = 0;
                item.frame = layoutBox(f, width);
                item.y = y;
                y += item.frame->height;
            } else {
                const QTextBlock b = it.currentBlock();
                if (!b.isValid()) continue;
                item.block = b;
                const Beside beside = besideTable(doc, b);
                if (beside != Beside::None) {
                    const Fixed height = layoutParagraph(b, width);
                    item.beside = true;
                    item.y = y;
                    const FrameBox* box = items.empty() ? nullptr : items.back().frame.get();
                    if (beside == Beside::AfterTable && box) {
                        const QTextFrameFormat ff = box->frame->frameFormat();
                        item.x = box->x + box->width - fx(ff.rightMargin());
                        item.y = y - fx(ff.bottomMargin()) - height;
                    }
                    items.push_back(std::move(item));
                    continue;
                }
                if (b.isVisible()) {
                    const QTextBlockFormat bf = b.blockFormat();
                    y += first ? fx(bf.topMargin()) : std::max(fx(bf.topMargin()), previousBottom);
                    previousBottom = fx(bf.bottomMargin());
                    first = false;
                }
                item.y = y;
                y += layoutParagraph(b, width);
            }
            items.push_back(std::move(item));
        }
        return y + previousBottom;
    }

    std::unique_ptr<FrameBox> layoutBox(QTextFrame* frame, Fixed width) const {
        auto box = std::make_unique<FrameBox>();
        box->frame = frame;
        box->isTable = qobject_cast<QTextTable*>(frame) != nullptr;
        const QTextFrameFormat ff = frame->frameFormat();
        const Fixed ml = fx(ff.leftMargin()), mr = fx(ff.rightMargin());
        const Fixed mt = fx(ff.topMargin()), mb = fx(ff.bottomMargin());
        if (!box->isTable) {
            const Fixed pad = fx(ff.border()) + fx(ff.padding());
            box->gridX = ml + pad;
            box->gridY = mt + pad;
            const Fixed inner = std::max<Fixed>(0, width - ml - mr - 2 * pad);
            const Fixed h = layoutFlow(frame->begin(), inner, box->items);
            box->width = width;
            box->height = box->gridY + h + pad + mb;
            return box;
        }
        layoutTable(*box, width, ml, mr, mt, mb);
        return box;
    }

    void layoutTable(FrameBox& box, Fixed width, Fixed ml, Fixed mr, Fixed mt, Fixed mb) const {
        QTextTable* table = box.table();
        const QTextTableFormat tf = table->format();
        const int rows = table->rows();
        const int columns = table->columns();
        box.columns = columns;
        const Fixed available = std::max<Fixed>(0, width - ml - mr);

        // Column widths: fixed and percentage lengths as given, the rest shares what is left.
        const QList<QTextLength> lengths = tf.columnWidthConstraints();
        std::vector<Fixed> w(size_t(columns), 0);
        Fixed used = 0;
        int variable = 0;
        for (int c = 0; c < columns; ++c) {
            const QTextLength len = c < lengths.size() ? lengths[c] : QTextLength();
            if (len.type() == QTextLength::VariableLength) {
                ++variable;
                continue;
            }
            w[c] = std::max<Fixed>(64, fx(len.value(rl(available))));
            used += w[c];
        }
        if (variable) {
            const Fixed share = std::max<Fixed>(20 * 64, (available - used) / variable);
            for (int c = 0; c < columns; ++c) {
                const QTextLength len = c < lengths.size() ? lengths[c] : QTextLength();
                if (len.type() == QTextLength::VariableLength) w[c] = share;
            }
        }
        box.colX.assign(size_t(columns) + 1, 0);
        for (int c = 0; c < columns; ++c)
            box.colX[c + 1] = box.colX[c] + w[c];

        // The cells, each once.
        box.cells.clear();
        box.cellAt.assign(size_t(rows) * size_t(columns), -1);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (!cell.isValid() || cell.row() != r || cell.column() != c) continue;
                CellBox cb;
                layoutCell(box, tf, cell, cb);
                const int index = int(box.cells.size());
                for (int rr = r; rr < r + cb.rowSpan; ++rr)
                    for (int cc = c; cc < c + cb.columnSpan; ++cc)
                        box.cellAt[size_t(rr) * columns + cc] = index;
                box.cells.push_back(std::move(cb));
            }
        }

        // Borders are centred on the grid lines, as Qt draws collapsed borders, and as in
        // Qt the outer halves of the borders on the table's edges lie inside its box: the
        // grid starts below and right of them and the paragraph after the table below them.
        // (A box that ended at the grid would leave its bottom border to the next
        // paragraph's repaint, which never draws the table.) Qt takes the halves in whole
        // pixels, so a hairline border adds nothing.
        Fixed outer[4] = {0, 0, 0, 0}; // top, right, bottom, left
        const auto half = [](Fixed border) { return (border / 2 + 32) / 64 * 64; };
        for (const CellBox& cb : box.cells) {
            if (cb.row == 0) outer[0] = std::max(outer[0], half(cb.border[0]));
            if (cb.column + cb.columnSpan == columns) outer[1] = std::max(outer[1], half(cb.border[1]));
            if (cb.row + cb.rowSpan == rows) outer[2] = std::max(outer[2], half(cb.border[2]));
            if (cb.column == 0) outer[3] = std::max(outer[3], half(cb.border[3]));
        }
        const Fixed gridWidth = box.colX.back();
        Fixed offset = 0;
        const Qt::Alignment align = tf.alignment() & Qt::AlignHorizontal_Mask;
        const Fixed spare = available - gridWidth - outer[1] - outer[3];
        if (spare > 0 && (align & Qt::AlignHCenter))
            offset = spare / 2;
        else if (spare > 0 && (align & Qt::AlignRight))
            offset = spare;
        box.x = 0;
        box.gridX = ml + offset + outer[3];
        box.gridY = mt + outer[0];
        box.width = box.gridX + gridWidth + outer[1] + mr;
        box.bottomMargin = outer[2] + mb;
        placeRows(box, rows);
    }

    // One cell: its borders, paddings and text, laid out at its columns' width.
    void layoutCell(const FrameBox& box, const QTextTableFormat& tf, const QTextTableCell& cell,
                    CellBox& cb) const {
        const int rows = int(box.cellAt.size()) / std::max(1, box.columns);
        cb.row = cell.row();
        cb.column = cell.column();
        cb.rowSpan = std::max(1, std::min(cell.rowSpan(), rows - cb.row));
        cb.columnSpan = std::max(1, std::min(cell.columnSpan(), box.columns - cb.column));
        const QTextTableCellFormat cf = cell.format().toTableCellFormat();
        const qreal tablePadding = tf.cellPadding();
        const qreal tableBorder = tf.border();
        const auto padding = [&](QTextFormat::Property p) {
            return fx(cf.hasProperty(p) ? cf.doubleProperty(p) : tablePadding);
        };
        const auto border = [&](QTextFormat::Property width, QTextFormat::Property style) {
            const qreal bw = cf.hasProperty(width) ? cf.doubleProperty(width) : tableBorder;
            const int bs = cf.hasProperty(style) ? cf.intProperty(style) : int(tf.borderStyle());
            if (bw <= 0 || bs == QTextFrameFormat::BorderStyle_None) return Fixed(0);
            return fx(bw);
        };
        cb.border[0] = border(QTextFormat::TableCellTopBorder, QTextFormat::TableCellTopBorderStyle);
        cb.border[1] = border(QTextFormat::TableCellRightBorder, QTextFormat::TableCellRightBorderStyle);
        cb.border[2] = border(QTextFormat::TableCellBottomBorder, QTextFormat::TableCellBottomBorderStyle);
        cb.border[3] = border(QTextFormat::TableCellLeftBorder, QTextFormat::TableCellLeftBorderStyle);
        const QTextFormat::Property brushes[4] = {
            QTextFormat::TableCellTopBorderBrush, QTextFormat::TableCellRightBorderBrush,
            QTextFormat::TableCellBottomBorderBrush, QTextFormat::TableCellLeftBorderBrush};
        for (int s = 0; s < 4; ++s) {
            cb.brush[s] = cf.hasProperty(brushes[s]) ? cf.brushProperty(brushes[s]) : tf.borderBrush();
            if (cb.brush[s].style() == Qt::NoBrush) cb.brush[s] = QBrush(Qt::black);
        }
        cb.background = cf.background();
        cb.x = box.colX[cb.column];
        cb.w = box.colX[cb.column + cb.columnSpan] - cb.x;
        const Fixed padL = padding(QTextFormat::TableCellLeftPadding);
        const Fixed padR = padding(QTextFormat::TableCellRightPadding);
        const Fixed padT = padding(QTextFormat::TableCellTopPadding);
        const Fixed padB = padding(QTextFormat::TableCellBottomPadding);
        cb.contentX = cb.x + cb.border[3] / 2 + padL;
        cb.contentWidth =
            std::max<Fixed>(64, cb.w - cb.border[3] / 2 - cb.border[1] / 2 - padL - padR);
        const Fixed content = layoutFlow(cell.begin(), cb.contentWidth, cb.items);
        cb.contentTop = cb.border[0] / 2 + padT;
        // Qt gives rows whole pixels.
        cb.needed = (cb.contentTop + content + padB + cb.border[2] / 2 + 63) / 64 * 64;
    }

    // Row heights: what single-row cells need, then more in a span's last row where the rows
    // it spans fall short. Then every cell's place, and the table's height.
    static void placeRows(FrameBox& box, int rows) {
        std::vector<Fixed> h(size_t(rows), 0);
        for (const CellBox& cb : box.cells)
            if (cb.rowSpan == 1) h[cb.row] = std::max(h[cb.row], cb.needed);
        for (const CellBox& cb : box.cells) {
            if (cb.rowSpan == 1) continue;
            Fixed sum = 0;
            for (int rr = cb.row; rr < cb.row + cb.rowSpan; ++rr)
                sum += h[rr];
            if (sum < cb.needed) h[cb.row + cb.rowSpan - 1] += cb.needed - sum;
        }
        box.rowY.assign(size_t(rows) + 1, 0);
        for (int r = 0; r < rows; ++r)
            box.rowY[r + 1] = box.rowY[r] + h[r];
        for (CellBox& cb : box.cells) {
            cb.y = box.rowY[cb.row];
            cb.h = box.rowY[cb.row + cb.rowSpan] - cb.y;
            cb.contentY = cb.y + cb.contentTop;
        }
        box.height = box.gridY + box.rowY.back() + box.bottomMargin;
    }

    // Typing in one cell of a laid-out table: that cell laid out again and the rows placed
    // anew, not every cell. False when the change is more than that. `repaint` is what to
    // draw again, in the box's coordinates: the cell, or everything from its row down when
    // rows moved.
    bool relayCell(int head, int from, int added, QRectF& repaint) {
        Entry& e = entries[size_t(head)];
        if (e.kind != Kind::FrameHead || !e.laid || !e.box || !e.box->isTable) return false;
        FrameBox& box = *e.box;
        QTextTable* table = box.table();
        if (!table || doc->frameAt(from) != table) return false;
        const int rows = int(box.rowY.size()) - 1;
        if (table->rows() != rows || table->columns() != box.columns) return false;
        const QTextTableCell cell = table->cellAt(from);
        const QTextTableCell end = table->cellAt(from + added);
        if (!cell.isValid() || !end.isValid() || cell.row() != end.row() ||
            cell.column() != end.column())
            return false;
        const int at = box.cellAt[size_t(cell.row()) * box.columns + cell.column()];
        if (at < 0) return false;
        CellBox& cb = box.cells[size_t(at)];
        if (cb.row != cell.row() || cb.column != cell.column() || cb.rowSpan != cell.rowSpan() ||
            cb.columnSpan != cell.columnSpan())
            return false;
        const std::vector<Fixed> rowsBefore = box.rowY;
        layoutCell(box, table->format(), cell, cb);
        placeRows(box, rows);
        const Fixed left = box.gridX + cb.x - 64, top = box.gridY + cb.y - 64;
        if (box.rowY == rowsBefore)
            repaint = QRectF(rl(left), rl(top), rl(cb.w + 128), rl(cb.h + 128));
        else
            repaint = QRectF(0, rl(top), qreal(INT_MAX), qreal(INT_MAX));
        const Fixed before = e.content;
        e.content = box.height;
        tree.add(head, e.content - before);
        return true;
    }

    // ---- the top-level entries

    QTextBlock blockAt(int number) const { return doc->findBlockByNumber(number); }

    Entry paragraphEntry(const QTextBlock& b, bool layNow) const {
        Entry e;
        e.kind = Kind::Paragraph;
        e.beside = besideTable(doc, b);
        if (b.isVisible() && e.beside == Beside::None) {
            const QTextBlockFormat bf = b.blockFormat();
            e.topMargin = fx(bf.topMargin());
            e.bottomMargin = fx(bf.bottomMargin());
        }
        e.laid = layNow;
        if (layNow) {
            e.content = layoutParagraph(b, flowWidth);
        } else {
            e.content = estimateParagraph(b);
            currentLines(b);
        }
        if (e.beside != Beside::None) e.content = 0;
        return e;
    }

    // The entries of paragraphs first..last (document order); those before `layLimit`
    // laid out now, the others estimated.
    std::vector<Entry> makeEntries(int first, int last, int layLimit) const {
        std::vector<Entry> out;
        out.reserve(size_t(last - first + 1));
        // The top-level tables in order, walked alongside the paragraphs: a whole plan is
        // read again after a hidden-text switch, and asking the document for each
        // paragraph's frame cost more than the rest of the reading.
        const QList<QTextFrame*> frames = doc->rootFrame()->childFrames();
        QTextBlock b = blockAt(first);
        int position = b.isValid() ? b.position() : 0;
        auto next = std::partition_point(frames.begin(), frames.end(), [position](QTextFrame* f) {
            return f->lastPosition() < position;
        });
        int n = first;
        while (n <= last && b.isValid()) {
            const bool layNow = n < layLimit;
            QTextFrame* f = next != frames.end() && (*next)->firstPosition() <= position ? *next
                                                                                          : nullptr;
            if (!f) {
                out.push_back(paragraphEntry(b, layNow));
                position += b.length();
                b = b.next();
                ++n;
                continue;
            }
            ++next;
            const int tail = std::max(n, doc->findBlock(f->lastPosition()).blockNumber());
            Entry head;
            head.kind = Kind::FrameHead;
            head.laid = layNow;
            if (layNow) {
                head.box = layoutBox(f, flowWidth);
                head.content = head.box->height;
            } else {
                head.content = estimateLine * (tail - n + 1);
                for (QTextBlock cell = b; cell.isValid() && cell.blockNumber() <= tail;
                     cell = cell.next())
                    currentLines(cell);
            }
            out.push_back(std::move(head));
            for (int i = n + 1; i <= tail; ++i) {
                Entry body;
                body.kind = Kind::FrameBody;
                body.laid = true;
                out.push_back(std::move(body));
            }
            n = tail + 1;
            b = blockAt(n);
            position = b.isValid() ? b.position() : 0;
        }
        return out;
    }

    Fixed gapOf(int i) const {
        const Entry& e = entries[size_t(i)];
        if (e.kind == Kind::FrameBody) return 0;
        Fixed previousBottom = 0;
        for (int p = i - 1; p >= 0; --p) {
            const Entry& pe = entries[size_t(p)];
            if (pe.kind == Kind::FrameBody) continue;
            if (pe.kind == Kind::Paragraph) previousBottom = pe.bottomMargin;
            break;
        }
        if (e.kind == Kind::FrameHead) return previousBottom;
        return i == 0 ? e.topMargin : std::max(e.topMargin, previousBottom);
    }

    void rebuildAll() {
        readGeometry();
        const QFontMetricsF fm(doc->defaultFont());
        estimateLine = std::max<Fixed>(64, fx(std::ceil(fm.height())));
        estimateChar = std::max<qreal>(1, fm.averageCharWidth());
        boxRights.clear();
        entries = makeEntries(0, doc->blockCount() - 1, 0);
        for (int i = 0; i < int(entries.size()); ++i)
            entries[size_t(i)].gap = gapOf(i);
        laidUpTo = 0;
        buildTree();
        scheduleBackground();
        settings = currentSettings();
        untouched = true;
    }

    void buildTree() {
        tree.build(int(entries.size()), [this](int i) { return entries[size_t(i)].height(); });
    }

    // Lays out entry i now (its height may change).
    void layEntry(int i) {
        Entry& e = entries[size_t(i)];
        if (e.laid) return;
        const Fixed before = e.content;
        if (e.kind == Kind::Paragraph) {
            e.content = layoutParagraph(blockAt(i), flowWidth);
            if (e.beside != Beside::None) e.content = 0;
        } else if (e.kind == Kind::FrameHead) {
            const QTextBlock b = blockAt(i);
            QTextFrame* f = topLevelFrame(doc, b.position());
            if (f != doc->rootFrame()) {
                track(e, false);
                e.box = layoutBox(f, flowWidth);
                e.content = e.box->height;
                track(e, true);
            }
        }
        e.laid = true;
        tree.add(i, e.content - before);
    }

    void ensureLaid(int index) {
        const int n = int(entries.size());
        index = std::min(index, n - 1);
        if (laidUpTo > index) return;
        const QSizeF before = size();
        for (; laidUpTo <= index; ++laidUpTo)
            layEntry(laidUpTo);
        afterLazyLayout(before);
    }

    // Lays out from the top until the text reaches y (document coordinates).
    void ensureLaidToY(qreal y) {
        const int n = int(entries.size());
        if (laidUpTo >= n) return;
        const QSizeF before = size();
        Fixed at = fx(top) + tree.prefix(laidUpTo);
        const Fixed limit = fx(y);
        for (; laidUpTo < n && at <= limit; ++laidUpTo) {
            layEntry(laidUpTo);
            at += entries[size_t(laidUpTo)].height();
        }
        afterLazyLayout(before);
    }

    void afterLazyLayout(const QSizeF& before) {
        if (laidUpTo < int(entries.size())) scheduleBackground();
        if (size() != before) {
            if (drawing)
                scheduleBackground(); // announced from the timer, not in the middle of a paint
            else
                announceSize();
        }
    }

    // Every 10 ms while the program is idle, as Qt's own layout goes on. Sooner, and a
    // load or save that lets events through (and lays the text out afresh several times
    // over) spent its time laying out text it was about to throw away.
    void scheduleBackground() {
        if (!timer.isActive()) timer.start(10, q);
    }

    void backgroundSlice() {
        const int n = int(entries.size());
        if (laidUpTo < n) {
            const qreal from = rl(fx(top) + tree.prefix(laidUpTo));
            QElapsedTimer clock;
            clock.start();
            while (laidUpTo < n && clock.elapsed() < kSliceMs) {
                const int stop = std::min(n, laidUpTo + 32);
                for (; laidUpTo < stop; ++laidUpTo)
                    layEntry(laidUpTo);
            }
            emit q->update(QRectF(0, from, qreal(INT_MAX), qreal(INT_MAX)));
        }
        if (laidUpTo >= n) timer.stop();
        announceSize();
    }

    QSizeF size() const {
        qreal width = pageWidth < 0 ? 0 : pageWidth;
        const Fixed margins = fx(left) + fx(right);
        if (!boxRights.empty()) width = std::max(width, rl(margins + *boxRights.rbegin()));
        Fixed h = fx(top) + tree.total() + fx(bottom);
        if (!entries.empty()) h += lastBottomMargin();
        return QSizeF(width, rl(h));
    }

    Fixed lastBottomMargin() const {
        for (int i = int(entries.size()) - 1; i >= 0; --i) {
            const Entry& e = entries[size_t(i)];
            if (e.kind == Kind::FrameBody) continue;
            return e.kind == Kind::Paragraph ? e.bottomMargin : 0;
        }
        return 0;
    }

    void announceSize() {
        const QSizeF s = size();
        if (s != announced) {
            announced = s;
            emit q->documentSizeChanged(s);
        }
    }

    // ---- changes

    // The whole text laid out anew (lazily), all of it repainted.
    void startAfresh() {
        rebuildAll();
        emit q->update(QRectF(0, 0, qreal(INT_MAX), qreal(INT_MAX)));
        announceSize();
    }

    void change(int from, int removed, int added) {
        const int count = doc->blockCount();
        const int length = doc->characterCount();
        // The whole text new: laid out afresh, lazily. (All of it marked changed, when hidden
        // text is shown or hidden, is laid out again at once as far as it was: the view is
        // kept by the places of the text, and the scroll range must stay as it was.)
        const bool full = (removed == 0 && added == length) || entries.empty();
        const bool geometry = readGeometry();
        if (full && !geometry && untouched && removed == 0 && currentSettings() == settings &&
            int(entries.size()) == count)
            return; // asked again, with nothing changed
        untouched = false;
        if (full || geometry) {
            startAfresh();
            return;
        }
        const int delta = count - int(entries.size());
        from = std::clamp(from, 0, length - 1);
        QTextFrame* root = doc->rootFrame();
        int first = doc->findBlock(from).blockNumber();
        QTextBlock lastBlock = doc->findBlock(std::clamp(from + added, 0, length - 1));
        int last = lastBlock.isValid() ? lastBlock.blockNumber() : count - 1;
        // Whole tables, never part of one.
        if (QTextFrame* f = topLevelFrame(doc, blockAt(first).position()); f != root)
            first = std::min(first, doc->findBlock(f->firstPosition()).blockNumber());
        if (QTextFrame* f = topLevelFrame(doc, blockAt(last).position()); f != root)
            last = std::max(last, doc->findBlock(f->lastPosition()).blockNumber());
        // An entry before the change may be the head of a table the change reaches into.
        while (first > 0 && first < int(entries.size()) &&
               entries[size_t(first)].kind == Kind::FrameBody)
            --first;
        // A neighbour that has come to stand beside a table, or stopped doing so, goes too.
        const auto besideChanged = [this](int newNumber, int oldNumber) {
            if (oldNumber < 0 || oldNumber >= int(entries.size())) return false;
            const Entry& e = entries[size_t(oldNumber)];
            return e.kind == Kind::Paragraph && besideTable(doc, blockAt(newNumber)) != e.beside;
        };
        if (first > 0 && besideChanged(first - 1, first - 1)) --first;
        if (last + 1 < count && besideChanged(last + 1, last + 1 - delta)) ++last;
        const int oldLast = last - delta;
        if (first < 0 || last < first - 1 || oldLast < first - 1 ||
            oldLast >= int(entries.size())) {
            startAfresh();
            return;
        }

        const QSizeF sizeBefore = size();
        const Fixed yBefore = fx(top) + tree.prefix(first);
        // Within one cell of a table (Enter there too): the cell alone.
        if (first <= oldLast && entries[size_t(first)].kind == Kind::FrameHead) {
            const Fixed tableBefore = entries[size_t(first)].height();
            QTextFrame* f = topLevelFrame(doc, blockAt(first).position());
            QRectF repaint;
            if (f != root && doc->findBlock(f->lastPosition()).blockNumber() == last &&
                relayCell(first, from, added, repaint)) {
                if (delta > 0) {
                    Entry body;
                    body.kind = Kind::FrameBody;
                    body.laid = true;
                    entries.insert(entries.begin() + first + 1, size_t(delta), body);
                } else if (delta < 0) {
                    entries.erase(entries.begin() + first + 1, entries.begin() + first + 1 - delta);
                }
                if (delta != 0) {
                    buildTree();
                    if (laidUpTo > oldLast) laidUpTo += delta;
                }
                const bool moved = entries[size_t(first)].height() != tableBefore;
                const Entry& e = entries[size_t(first)];
                repaint.translate(left + rl(e.box->x), rl(contentTop(first)));
                emit q->update(moved ? QRectF(0, repaint.top(), qreal(INT_MAX), qreal(INT_MAX))
                                     : repaint);
                if (size() != sizeBefore) announceSize();
                return;
            }
        }
        Fixed heightBefore = 0;
        for (int i = first; i <= oldLast; ++i)
            heightBefore += entries[size_t(i)].height();
        // What was laid out stays laid out; past that, the layout goes on lazily.
        const int layLimit = laidUpTo > oldLast ? INT_MAX : laidUpTo;
        std::vector<Entry> fresh = makeEntries(first, last, layLimit);
        if (int(fresh.size()) != last - first + 1) {
            startAfresh();
            return;
        }
        const int after = last + 1; // the first entry past the change, new numbering
        Fixed nextBefore = 0;
        if (oldLast + 1 < int(entries.size())) nextBefore = entries[size_t(oldLast + 1)].height();

        for (int i = first; i <= oldLast; ++i)
            track(entries[size_t(i)], false);
        for (const Entry& e : fresh)
            track(e, true);
        entries.erase(entries.begin() + first, entries.begin() + oldLast + 1);
        entries.insert(entries.begin() + first, std::make_move_iterator(fresh.begin()),
                       std::make_move_iterator(fresh.end()));
        for (int i = first; i <= last; ++i)
            entries[size_t(i)].gap = gapOf(i);
        if (after < count) {
            if (entries[size_t(after)].kind == Kind::FrameBody) {
                // A table cut in two would be a fault of the reckoning above; start afresh.
                startAfresh();
                return;
            }
            entries[size_t(after)].gap = gapOf(after);
        }

        if (laidUpTo > oldLast)
            laidUpTo += delta;
        else
            laidUpTo = std::min(laidUpTo, after);

        Fixed heightAfter = 0;
        for (int i = first; i <= last; ++i)
            heightAfter += entries[size_t(i)].height();
        const Fixed nextAfter = after < count ? entries[size_t(after)].height() : 0;
        if (delta != 0) {
            buildTree();
        } else {
            for (int i = first; i <= last; ++i)
                tree.add(i, entries[size_t(i)].height() - (tree.prefix(i + 1) - tree.prefix(i)));
            if (after < count) tree.add(after, nextAfter - nextBefore);
        }

        // Repaint what changed; everything below as well when it moved.
        const bool moved = heightAfter != heightBefore || nextAfter != nextBefore || delta != 0;
        const qreal y0 = rl(yBefore);
        const qreal y1 = moved ? qreal(INT_MAX) : rl(yBefore + heightAfter) - y0 + 1;
        emit q->update(QRectF(0, y0, qreal(INT_MAX), y1));
        if (laidUpTo < count) scheduleBackground();
        if (size() != sizeBefore || size() != announced) announceSize();
    }

    // ---- positions

    // Entry index of the top-level item holding a block, and the item's frame if a box.
    int headOf(const QTextBlock& block) const {
        int i = std::clamp(block.blockNumber(), 0, int(entries.size()) - 1);
        while (i > 0 && entries[size_t(i)].kind == Kind::FrameBody)
            --i;
        return i;
    }

    // Top of entry i's content (document coordinates).
    Fixed contentTop(int i) const {
        return fx(top) + tree.prefix(i) + entries[size_t(i)].gap;
    }

    // Where a top-level paragraph's layout starts (document coordinates, 64ths).
    std::pair<Fixed, Fixed> paragraphOrigin(int i, const QTextBlock& b) const {
        const Entry& e = entries[size_t(i)];
        if (e.beside == Beside::AfterTable) {
            int h = i - 1;
            while (h > 0 && entries[size_t(h)].kind == Kind::FrameBody)
                --h;
            const Entry& he = entries[size_t(std::max(h, 0))];
            if (he.kind == Kind::FrameHead && he.box && he.box->frame) {
                const QTextFrameFormat ff = he.box->frame->frameFormat();
                const Fixed height = b.layout() ? fx(b.layout()->boundingRect().height()) : 0;
                return {fx(left) + he.box->x + he.box->width - fx(ff.rightMargin()),
                        contentTop(h) + he.box->height - fx(ff.bottomMargin()) - height};
            }
        }
        return {fx(left), contentTop(i)};
    }

    static bool originInFlow(const std::vector<FlowItem>& items, int position, Fixed& x, Fixed& y) {
        for (const FlowItem& item : items) {
            if (item.block.isValid()) {
                if (stillThere(item.block) && item.block.position() == position) {
                    x += item.x;
                    y += item.y;
                    return true;
                }
            } else if (item.frame && item.frame->frame &&
                       position >= item.frame->frame->firstPosition() &&
                       position <= item.frame->frame->lastPosition()) {
                x += item.frame->x;
                y += item.y;
                return originInBox(*item.frame, position, x, y);
            }
        }
        return false;
    }

    static bool originInBox(const FrameBox& box, int position, Fixed& x, Fixed& y) {
        x += box.gridX;
        y += box.gridY;
        if (!box.isTable) return originInFlow(box.items, position, x, y);
        const QTextTable* table = box.table();
        // Positions move with every edit before the table: the cell is found afresh.
        const QTextTableCell cell = table ? table->cellAt(position) : QTextTableCell();
        if (!cell.isValid() || box.columns == 0) return false;
        const size_t at = size_t(cell.row()) * box.columns + cell.column();
        if (at >= box.cellAt.size() || box.cellAt[at] < 0) return false;
        const CellBox& cb = box.cells[size_t(box.cellAt[at])];
        x += cb.contentX;
        y += cb.contentY;
        return originInFlow(cb.items, position, x, y);
    }

    static const FrameBox* findBox(const FrameBox& box, const QTextFrame* frame, Fixed& x, Fixed& y) {
        if (box.frame == frame) return &box;
        const auto search = [&](const std::vector<FlowItem>& items, Fixed bx, Fixed by)
            -> const FrameBox* {
            for (const FlowItem& item : items) {
                if (!item.frame) continue;
                Fixed ix = bx + item.frame->x, iy = by + item.y;
                if (const FrameBox* found = findBox(*item.frame, frame, ix, iy)) {
                    x = ix;
                    y = iy;
                    return found;
                }
            }
            return nullptr;
        };
        if (!box.isTable) return search(box.items, x + box.gridX, y + box.gridY);
        for (const CellBox& cb : box.cells)
            if (const FrameBox* found =
                    search(cb.items, x + box.gridX + cb.contentX, y + box.gridY + cb.contentY))
                return found;
        return nullptr;
    }

    // ---- hit testing

    struct Hit {
        int position = 0;
        bool exact = false;
    };

    static Hit hitParagraph(const QTextBlock& b, QPointF p, Qt::HitTestAccuracy accuracy) {
        Hit hit{b.position(), false};
        const QTextLayout* tl = currentLines(b);
        if (!tl || !b.isVisible() || tl->lineCount() == 0) return hit;
        if (p.y() >= tl->lineAt(tl->lineCount() - 1).naturalTextRect().bottom()) {
            // Below the paragraph, as below the text: its end.
            hit.position += b.length() - 1;
            return hit;
        }
        int lineIndex = tl->lineCount() - 1;
        for (int i = 0; i < tl->lineCount(); ++i) {
            if (p.y() < tl->lineAt(i).naturalTextRect().bottom()) {
                lineIndex = i;
                break;
            }
        }
        const QTextLine line = tl->lineAt(lineIndex);
        const QRectF lr = line.naturalTextRect();
        hit.exact = lr.contains(p) || (lr.left() <= p.x() && lr.right() >= p.x() &&
                                       lr.top() <= p.y() && lr.bottom() > p.y());
        hit.position += line.xToCursor(p.x(), accuracy == Qt::ExactHit
                                                  ? QTextLine::CursorOnCharacter
                                                  : QTextLine::CursorBetweenCharacters);
        return hit;
    }

    static Hit hitFlow(const std::vector<FlowItem>& items, QPointF p, Qt::HitTestAccuracy accuracy) {
        if (items.empty()) return {};
        // The last item starting at or above the point.
        size_t k = 0;
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i].beside ||
                (items[i].block.isValid() && (!stillThere(items[i].block) || !items[i].block.isVisible())))
                continue;
            if (rl(items[i].y) <= p.y() || k == 0) k = i;
            if (rl(items[i].y) > p.y()) break;
        }
        const FlowItem& item = items[k];
        if (item.frame) return hitBox(*item.frame, p - QPointF(rl(item.frame->x), rl(item.y)), accuracy);
        if (!stillThere(item.block)) return {};
        return hitParagraph(item.block, p - QPointF(0, rl(item.y)), accuracy);
    }

    static Hit hitBox(const FrameBox& box, QPointF p, Qt::HitTestAccuracy accuracy) {
        p -= QPointF(rl(box.gridX), rl(box.gridY));
        if (!box.isTable) return hitFlow(box.items, p, accuracy);
        if (box.cells.empty() || box.columns == 0) return {};
        const auto index = [](const std::vector<Fixed>& lines, qreal v) {
            const auto it = std::upper_bound(lines.begin(), lines.end(), fx(v));
            const int i = int(it - lines.begin()) - 1;
            return std::clamp(i, 0, int(lines.size()) - 2);
        };
        const int r = index(box.rowY, p.y());
        const int c = index(box.colX, p.x());
        const int at = box.cellAt[size_t(r) * box.columns + c];
        if (at < 0) return {};
        const CellBox& cb = box.cells[size_t(at)];
        return hitFlow(cb.items, p - QPointF(rl(cb.contentX), rl(cb.contentY)), accuracy);
    }

    // ---- painting

    void drawParagraph(QPainter* painter, const PaintContext& context, const QTextBlock& b,
                       QPointF origin, qreal width,
                       const QList<Selection>& selections) const {
        QTextLayout* tl = currentLines(b);
        if (!tl || !b.isVisible() || tl->lineCount() == 0) return;
        const QRectF rect(origin, tl->boundingRect().size());
        if (context.clip.isValid() &&
            (rect.bottom() < context.clip.top() - 2 || rect.top() > context.clip.bottom() + 2))
            return;
        const QTextBlockFormat bf = b.blockFormat();
        const QBrush background = bf.background();
        if (background.style() != Qt::NoBrush)
            painter->fillRect(QRectF(origin.x(), origin.y(), width, rect.height()), background);
        const QList<QTextLayout::FormatRange> ranges = paragraphSelections(selections, b, tl);
        const QPen oldPen = painter->pen();
        painter->setPen(context.palette.color(QPalette::Text));
        tl->draw(painter, origin, ranges, context.clip.isValid() ? context.clip : QRectF());
        painter->setPen(oldPen);
        const int cursor = context.cursorPosition;
        const int blpos = b.position();
        if ((cursor >= blpos && cursor < blpos + b.length()) ||
            (cursor < -1 && !tl->preeditAreaText().isEmpty())) {
            const int cpos = cursor < -1 ? tl->preeditAreaPosition() - (cursor + 2) : cursor - blpos;
            bool ok = false;
            int cursorWidth = q->property("cursorWidth").toInt(&ok);
            if (!ok) cursorWidth = 1;
            tl->drawCursor(painter, origin, cpos, cursorWidth);
        }
    }

    void drawFlow(QPainter* painter, const PaintContext& context,
                  const std::vector<FlowItem>& items, QPointF origin, qreal width,
                  const QList<Selection>& selections) const {
        for (const FlowItem& item : items) {
            const QPointF at = origin + QPointF(rl(item.x), rl(item.y));
            if (context.clip.isValid() && at.y() > context.clip.bottom()) break;
            if (item.frame)
                drawBox(painter, context, *item.frame, at + QPointF(rl(item.frame->x), 0),
                        selections);
            else if (stillThere(item.block))
                drawParagraph(painter, context, item.block, at, width, selections);
        }
    }

    void drawBox(QPainter* painter, const PaintContext& context, const FrameBox& box,
                 QPointF origin, const QList<Selection>& selections) const {
        // A border is drawn a pixel wide at least, centred on its line: a hairline on the
        // box's edge reaches half a pixel past it.
        const QRectF whole =
            QRectF(origin, QSizeF(rl(box.width), rl(box.height))).adjusted(-1, -1, 1, 1);
        if (context.clip.isValid() && !context.clip.intersects(whole)) return;
        const QPointF grid = origin + QPointF(rl(box.gridX), rl(box.gridY));
        const QTextTable* table = box.table();
        if (!box.isTable) {
            drawFlow(painter, context, box.items, grid,
                     rl(box.width - 2 * box.gridX), selections);
            return;
        }
        // Cells chosen as cells (a selection across cells) show whole; other selections
        // ending in or crossing the table show as text.
        struct CellChoice {
            int row, rows, column, columns;
        };
        std::vector<CellChoice> choices(size_t(selections.size()), CellChoice{-1, 0, -1, 0});
        for (int i = 0; i < selections.size(); ++i) {
            const QTextCursor& c = selections[i].cursor;
            if (table && c.hasComplexSelection() && c.currentTable() == table) {
                CellChoice& ch = choices[size_t(i)];
                c.selectedTableCells(&ch.row, &ch.rows, &ch.column, &ch.columns);
            }
        }
        for (const CellBox& cb : box.cells) {
            const QRectF cellRect(grid + QPointF(rl(cb.x), rl(cb.y)), QSizeF(rl(cb.w), rl(cb.h)));
            if (context.clip.isValid() && !context.clip.intersects(cellRect)) continue;
            if (cb.background.style() != Qt::NoBrush) painter->fillRect(cellRect, cb.background);
            QList<Selection> cellSelections = selections;
            for (int i = 0; i < selections.size(); ++i) {
                const CellChoice& ch = choices[size_t(i)];
                if (ch.row < 0) continue;
                const bool inside = cb.row >= ch.row && cb.row < ch.row + ch.rows &&
                                    cb.column >= ch.column && cb.column < ch.column + ch.columns;
                QTextCursor c = selections[i].cursor;
                if (inside) {
                    painter->fillRect(cellRect, selections[i].format.background());
                    const QTextTableCell cell = table->cellAt(cb.row, cb.column);
                    c.setPosition(cell.firstPosition());
                    c.setPosition(cell.lastPosition(), QTextCursor::KeepAnchor);
                } else {
                    c.clearSelection();
                }
                cellSelections[i].cursor = c;
            }
            drawFlow(painter, context, cb.items, grid + QPointF(rl(cb.contentX), rl(cb.contentY)),
                     rl(cb.contentWidth), cellSelections);
        }
        // Borders last, over the cells' edges.
        for (const CellBox& cb : box.cells) {
            const qreal x = grid.x() + rl(cb.x), y = grid.y() + rl(cb.y);
            const qreal w = rl(cb.w), h = rl(cb.h);
            // A border thinner than a pixel still shows as one.
            const auto shown = [](Fixed w) { return w > 0 ? std::max<qreal>(1, rl(w)) : 0; };
            const qreal t = shown(cb.border[0]), r = shown(cb.border[1]);
            const qreal b = shown(cb.border[2]), l = shown(cb.border[3]);
            const QRectF cellRect(x - l, y - t, w + l + r, h + t + b);
            if (context.clip.isValid() && !context.clip.intersects(cellRect)) continue;
            if (t > 0) painter->fillRect(QRectF(x - l / 2, y - t / 2, w + (l + r) / 2, t), cb.brush[0]);
            if (b > 0) painter->fillRect(QRectF(x - l / 2, y + h - b / 2, w + (l + r) / 2, b), cb.brush[2]);
            if (l > 0) painter->fillRect(QRectF(x - l / 2, y - t / 2, l, h + (t + b) / 2), cb.brush[3]);
            if (r > 0) painter->fillRect(QRectF(x + w - r / 2, y - t / 2, r, h + (t + b) / 2), cb.brush[1]);
        }
    }
};

// ---------------------------------------------------------------------------------------

ScreenLayout::ScreenLayout(QTextDocument* doc)
    : QAbstractTextDocumentLayout(doc), d(std::make_unique<Impl>(this, doc)) {
    // Qt's own layout registers its picture handler when it is made; ours must too, or a
    // picture takes no room and is never drawn.
    Pictures::installHandler(this);
}

void ScreenLayout::resizeInlineObject(QTextInlineObject item, int posInDocument,
                                      const QTextFormat& format) {
    if (!Pictures::isPicture(format)) {
        QAbstractTextDocumentLayout::resizeInlineObject(item, posInDocument, format);
        return;
    }
    QSizeF size = handlerForObject(QTextFormat::ImageObject)
                      ? handlerForObject(QTextFormat::ImageObject)
                            ->intrinsicSize(d->doc, posInDocument, format)
                      : QSizeF();
    const qreal room = rl(d->lineRoom);
    if (room > 0 && size.width() > room) size = Pictures::fitted(size, QSizeF(room, 0));
    item.setWidth(size.width());
    item.setAscent(size.height());
    item.setDescent(0);
}

void ScreenLayout::drawInlineObject(QPainter* painter, const QRectF& rect, QTextInlineObject object,
                                    int posInDocument, const QTextFormat& format) {
    QAbstractTextDocumentLayout::drawInlineObject(painter, rect, object, posInDocument, format);
    if (!d->painting || !Pictures::isPicture(format)) return;
    // A selected picture shows through the selection's colour, as selected text does; the
    // picture selected alone has handles at its corners to be resized by.
    for (const Selection& s : d->painting->selections) {
        if (posInDocument >= s.cursor.selectionStart() && posInDocument < s.cursor.selectionEnd()) {
            QColor tint = s.format.background().color();
            tint.setAlpha(60);
            painter->fillRect(rect, tint);
            if (s.cursor.selectionEnd() - s.cursor.selectionStart() == 1) {
                painter->save();
                painter->setPen(QPen(Qt::white, 1));
                painter->setBrush(Qt::black);
                for (const QPointF c : {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()})
                    painter->drawRect(QRectF(c - QPointF(3.5, 3.5), QSizeF(7, 7)));
                painter->restore();
            }
            break;
        }
    }
}

ScreenLayout::~ScreenLayout() = default;

void ScreenLayout::install(QTextDocument* doc) {
    // Not through documentLayout(): asked of a document without a layout, it makes Qt's and
    // lays the whole text out with it first.
    if (!doc || doc->findChild<ScreenLayout*>(QString(), Qt::FindDirectChildrenOnly)) return;
    doc->setDocumentLayout(new ScreenLayout(doc));
}

void ScreenLayout::documentChanged(int from, int charsRemoved, int charsAdded) {
    d->change(from, charsRemoved, charsAdded);
}

void ScreenLayout::timerEvent(QTimerEvent* event) {
    if (event->timerId() != d->timer.timerId()) {
        QAbstractTextDocumentLayout::timerEvent(event);
        return;
    }
    d->backgroundSlice();
}

void ScreenLayout::layoutAll() {
    if (!d->entries.empty()) d->ensureLaid(int(d->entries.size()) - 1);
}

bool ScreenLayout::isComplete() const {
    return d->laidUpTo >= int(d->entries.size());
}

int ScreenLayout::pageCount() const {
    return 1;
}

QSizeF ScreenLayout::documentSize() const {
    return d->size();
}

void ScreenLayout::draw(QPainter* painter, const PaintContext& context) {
    if (d->entries.empty()) return;
    d->drawing = true;
    d->painting = &context;
    const QRectF clip = context.clip;
    d->ensureLaidToY(clip.isValid() ? clip.bottom() : d->size().height());
    const int n = int(d->entries.size());
    int i = clip.isValid() ? d->tree.find(fx(clip.top() - d->top)) : 0;
    i = std::clamp(i, 0, n - 1);
    // From the entry before too (passing those that take no room, such as the paragraph
    // Qt keeps after a table): a table's hairline border reaches a pixel into the next.
    if (clip.isValid() && i > 0) {
        --i;
        while (i > 0 && d->entries[size_t(i)].kind == Impl::Kind::Paragraph &&
               d->entries[size_t(i)].height() == 0)
            --i;
    }
    while (i > 0 && d->entries[size_t(i)].kind == Impl::Kind::FrameBody)
        --i;
    Fixed y = fx(d->top) + d->tree.prefix(i);
    const qreal left = d->left;
    for (; i < n; ++i) {
        const Impl::Entry& e = d->entries[size_t(i)];
        if (clip.isValid() && rl(y) > clip.bottom()) break;
        const QPointF origin(left, rl(y + e.gap));
        if (e.kind == Impl::Kind::Paragraph) {
            const QTextBlock b = d->blockAt(i);
            const auto [px, py] = d->paragraphOrigin(i, b);
            d->drawParagraph(painter, context, b, QPointF(rl(px), rl(py)), rl(d->flowWidth),
                             context.selections);
        }
        else if (e.kind == Impl::Kind::FrameHead && e.box)
            d->drawBox(painter, context, *e.box, origin + QPointF(rl(e.box->x), 0),
                       context.selections);
        y += e.height();
    }
    d->drawing = false;
    d->painting = nullptr;
}

int ScreenLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const {
    if (d->entries.empty()) return accuracy == Qt::ExactHit ? -1 : 0;
    d->ensureLaidToY(point.y());
    const int n = int(d->entries.size());
    int i = std::clamp(d->tree.find(fx(point.y() - d->top)), 0, n - 1);
    while (i > 0 && d->entries[size_t(i)].kind == Impl::Kind::FrameBody)
        --i;
    // Past the end, or on an item that takes no room: the nearest one that does, above.
    while (i > 0 && d->entries[size_t(i)].height() == 0)
        --i;
    const Impl::Entry& e = d->entries[size_t(i)];
    const Fixed contentTop = d->contentTop(i);
    const QPointF p = point - QPointF(d->left, rl(contentTop));
    Impl::Hit hit;
    if (e.kind == Impl::Kind::FrameHead && e.box)
        hit = Impl::hitBox(*e.box, p - QPointF(rl(e.box->x), 0), accuracy);
    else
        hit = Impl::hitParagraph(d->blockAt(i), p, accuracy);
    if (accuracy == Qt::ExactHit && !hit.exact) return -1;
    return std::clamp(hit.position, 0, d->doc->characterCount() - 1);
}

QRectF ScreenLayout::blockBoundingRect(const QTextBlock& block) const {
    if (!block.isValid() || block.document() != d->doc || d->entries.empty()) return QRectF();
    const int number = block.blockNumber();
    if (number < 0 || number >= int(d->entries.size())) return QRectF();
    d->ensureLaid(number);
    const int head = d->headOf(block);
    Fixed x = fx(d->left);
    Fixed y = d->contentTop(head);
    const Impl::Entry& e = d->entries[size_t(head)];
    if (e.kind == Impl::Kind::Paragraph) {
        std::tie(x, y) = d->paragraphOrigin(head, block);
    } else if (e.kind == Impl::Kind::FrameHead) {
        if (!e.box) return QRectF();
        x += e.box->x;
        Impl::originInBox(*e.box, block.position(), x, y);
    }
    const QTextLayout* tl = currentLines(block);
    const QSizeF size = tl && block.isVisible() ? tl->boundingRect().size() : QSizeF(0, 0);
    return QRectF(QPointF(rl(x), rl(y)), size);
}

QRectF ScreenLayout::frameBoundingRect(QTextFrame* frame) const {
    if (!frame || frame->document() != d->doc) return QRectF();
    if (frame == d->doc->rootFrame()) return QRectF(QPointF(0, 0), d->size());
    QTextFrame* top = frame;
    while (top->parentFrame() && top->parentFrame() != d->doc->rootFrame())
        top = top->parentFrame();
    const QTextBlock first = d->doc->findBlock(top->firstPosition());
    if (!first.isValid() || d->entries.empty()) return QRectF();
    d->ensureLaid(first.blockNumber());
    const int head = d->headOf(first);
    const Impl::Entry& e = d->entries[size_t(head)];
    if (e.kind != Impl::Kind::FrameHead || !e.box) return QRectF();
    Fixed x = fx(d->left) + e.box->x;
    Fixed y = d->contentTop(head);
    const FrameBox* box = Impl::findBox(*e.box, frame, x, y);
    if (!box) return QRectF();
    return QRectF(rl(x), rl(y), rl(box->width), rl(box->height));
}
