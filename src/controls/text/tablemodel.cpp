#include "controls/text/tablemodel.h"

#include "controls/text/tableformat.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>

using namespace TableFormat;

namespace {

// Text that may not stand inside a run: paragraph and frame separators would break the
// cell structure when the run is inserted.
QString cleanRunText(QString text) {
    for (QChar& ch : text) {
        const char16_t u = ch.unicode();
        if (u == QChar::ParagraphSeparator || u == 0xfdd0 || u == 0xfdd1 || u == u'\n' ||
            u == u'\r')
            ch = QChar(u' ');
    }
    return text;
}

QList<int> gridBoundsOf(const QTextTable* table) {
    const int columns = table->columns();
    const QTextTableFormat tf = table->format();
    const QList<int> stored = tf.property(GridBoundsProperty).value<QList<int>>();
    if (stored.size() == columns) {
        bool increasing = true;
        int previous = 0;
        for (int b : stored) {
            if (b <= previous) increasing = false;
            previous = b;
        }
        if (increasing) return stored;
    }
    // A table made elsewhere (pasted HTML, an older document): take Qt's constraints.
    const QList<QTextLength> lengths = tf.columnWidthConstraints();
    QList<int> bounds;
    int x = 0;
    for (int c = 0; c < columns; ++c) {
        int w = DefaultTableWidth / std::max(columns, 1);
        if (lengths.size() == columns) {
            const QTextLength& l = lengths.at(c);
            if (l.type() == QTextLength::FixedLength && l.rawValue() > 0)
                w = unitsToTwips(l.rawValue());
            else if (l.type() == QTextLength::PercentageLength && l.rawValue() > 0)
                w = int(DefaultTableWidth * l.rawValue() / 100.0);
        }
        x += std::max(w, 1);
        bounds.append(x);
    }
    return bounds;
}

// A cell's first paragraph carries the cell's own format as its character format; what
// belongs to the cell stays with the cell when the text moves.
QTextCharFormat withoutCellProperties(QTextCharFormat f) {
    const QMap<int, QVariant> props = f.properties();
    for (auto it = props.cbegin(); it != props.cend(); ++it) {
        const int id = it.key();
        if ((id >= QTextFormat::TableCellRowSpan && id < QTextFormat::TableCellRowSpan + 0x20) ||
            id == FillerCellProperty || id == RowHeightProperty)
            f.clearProperty(id);
    }
    f.clearProperty(QTextFormat::ObjectIndex);
    f.clearProperty(QTextFormat::ObjectType);
    return f;
}

CellContent readContent(const QTextDocument* doc, const QTextTableCell& cell) {
    CellContent out;
    const int end = cell.lastPosition();
    for (QTextBlock b = doc->findBlock(cell.firstPosition()); b.isValid() && b.position() <= end;
         b = b.next()) {
        CellParagraph p;
        p.block = b.blockFormat();
        p.mark = withoutCellProperties(b.charFormat());
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid()) continue;
            QString text = frag.text();
            text.remove(QChar(0xfdd0)).remove(QChar(0xfdd1));
            if (!text.isEmpty()) p.runs.append({text, frag.charFormat()});
        }
        out.append(p);
    }
    return out;
}

void writeContent(QTextCursor c, const CellContent& content) {
    bool first = true;
    for (const CellParagraph& p : content) {
        if (first) {
            // The cell's format is this paragraph's character format: add to it, never replace it.
            c.setBlockFormat(p.block);
            QTextCharFormat mark = c.blockCharFormat();
            const QMap<int, QVariant> props = withoutCellProperties(p.mark).properties();
            for (auto it = props.cbegin(); it != props.cend(); ++it)
                mark.setProperty(it.key(), it.value());
            c.setBlockCharFormat(mark);
            first = false;
        } else {
            c.insertBlock(p.block, withoutCellProperties(p.mark));
        }
        for (const CellRun& run : p.runs)
            c.insertText(cleanRunText(run.text), run.format);
    }
}

// The height the cell's text needs, roughly: one line per paragraph in its font.
double contentHeight(const QTextDocument* doc, const QTextTableCell& cell) {
    double h = 0;
    const int end = cell.lastPosition();
    for (QTextBlock b = doc->findBlock(cell.firstPosition()); b.isValid() && b.position() <= end;
         b = b.next()) {
        QFont font = doc->defaultFont();
        const QTextCharFormat f =
            b.begin().atEnd() ? b.charFormat() : b.begin().fragment().charFormat();
        font = f.font();
        h += QFontMetricsF(font).lineSpacing();
    }
    return h;
}

int rowHeightOf(const QTextTableCell& cell) {
    return cell.format().intProperty(RowHeightProperty);
}

// Borders, paddings and row heights of every cell, from the table's border style.
void styleCells(QTextTable* table) {
    const int rows = table->rows();
    const int columns = table->columns();
    const int border = tableBorder(table);
    const QTextDocument* doc = table->document();
    const double padX = twipsToUnits(CellGap);
    const double padY = 1.0;

    auto fillerOrOutside = [&](int r, int c) {
        if (r < 0 || c < 0 || r >= rows || c >= columns) return true;
        return isFillerCell(table->cellAt(r, c));
    };

    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            QTextTableCell cell = table->cellAt(r, c);
            if (!cell.isValid() || cell.row() != r || cell.column() != c) continue;
            QTextTableCellFormat cf = cell.format().toTableCellFormat();
            const int rs = cell.rowSpan();
            const int cs = cell.columnSpan();
            const bool filler = isFillerCell(cell);

            bool outer[4] = {false, false, false, false}; // top, right, bottom, left
            for (int i = c; i < c + cs; ++i) {
                outer[0] = outer[0] || fillerOrOutside(r - 1, i);
                outer[2] = outer[2] || fillerOrOutside(r + rs, i);
            }
            for (int i = r; i < r + rs; ++i) {
                outer[3] = outer[3] || fillerOrOutside(i, c - 1);
                outer[1] = outer[1] || fillerOrOutside(i, c + cs);
            }
            double width[4];
            for (int side = 0; side < 4; ++side) {
                int tw = 0;
                if (!filler) {
                    if (border == AllBorders)
                        tw = ThinBorderWidth;
                    else if (border == Outline && outer[side])
                        tw = ThinBorderWidth;
                    else if (border == ThickOutline && outer[side])
                        tw = ThickBorderWidth;
                }
                width[side] = twipsToUnits(tw);
            }
            const auto style = [](double w) {
                return w > 0 ? QTextFrameFormat::BorderStyle_Solid
                             : QTextFrameFormat::BorderStyle_None;
            };
            cf.setTopBorder(width[0]);
            cf.setTopBorderStyle(style(width[0]));
            cf.setRightBorder(width[1]);
            cf.setRightBorderStyle(style(width[1]));
            cf.setBottomBorder(width[2]);
            cf.setBottomBorderStyle(style(width[2]));
            cf.setLeftBorder(width[3]);
            cf.setLeftBorderStyle(style(width[3]));
            cf.setBorderBrush(QBrush(Qt::black));
            cf.setLeftPadding(padX);
            cf.setRightPadding(padX);
            cf.setTopPadding(padY);
            double bottom = padY;
            const int h = std::abs(cf.intProperty(RowHeightProperty));
            if (h > 0 && !filler && rs == 1)
                bottom = std::max(padY, twipsToUnits(h) - contentHeight(doc, cell) - padY);
            cf.setBottomPadding(bottom);
            cell.setFormat(cf);
        }
    }
}

} // namespace

bool CellParagraph::isEmpty() const {
    for (const CellRun& r : runs)
        if (!r.text.isEmpty()) return false;
    return true;
}

bool contentIsEmpty(const CellContent& content) {
    for (const CellParagraph& p : content)
        if (!p.isEmpty()) return false;
    return content.size() <= 1;
}

bool isFillerCell(const QTextTableCell& cell) {
    // The caret can go into a filler, and whatever is typed or pasted there is the user's:
    // from its first character (or paragraph) on it is a cell like any other, which the
    // files, the plain text and the cell numbering all count. Left out, it was never
    // written and a save lost it.
    return cell.isValid() && cell.format().boolProperty(FillerCellProperty) &&
           cell.lastPosition() == cell.firstPosition();
}

QList<QTextTableCell> rowCells(const QTextTable* table, int row) {
    QList<QTextTableCell> cells;
    if (!table || row < 0 || row >= table->rows()) return cells;
    const int columns = table->columns();
    for (int c = 0; c < columns;) {
        const QTextTableCell cell = table->cellAt(row, c);
        if (!cell.isValid()) break;
        if (!isFillerCell(cell)) cells.append(cell);
        c = std::max(c + 1, cell.column() + std::max(cell.columnSpan(), 1));
    }
    return cells;
}

CellPlace cellPlace(const QTextTable* table, int position) {
    CellPlace place;
    if (!table || position < table->firstPosition() || position > table->lastPosition())
        return place;
    const QTextTableCell cell = table->cellAt(position);
    if (!cell.isValid()) return place;
    const QList<QTextTableCell> cells = rowCells(table, cell.row());
    if (cells.isEmpty()) return place;
    place.row = cell.row();
    place.cell = int(cells.size()) - 1;
    for (int i = 0; i < cells.size(); ++i) {
        if (cells.at(i) == cell) {
            place.cell = i;
            break;
        }
    }
    return place;
}

QList<int> tableGridBounds(const QTextTable* table) {
    return table ? gridBoundsOf(table) : QList<int>();
}

QList<int> rowBounds(const QTextTable* table, int row) {
    QList<int> bounds{0};
    const QList<int> grid = tableGridBounds(table);
    for (const QTextTableCell& cell : rowCells(table, row)) {
        const int last = cell.column() + std::max(cell.columnSpan(), 1) - 1;
        bounds.append(grid.value(last, bounds.last() + 1));
    }
    return bounds;
}

void normalizeMerges(TableModel& model) {
    const auto findMatch = [&model](int r, int left, int right) -> TableCell* {
        if (r < 0 || r >= model.rows.size()) return nullptr;
        TableRow& row = model.rows[r];
        for (int j = 0; j < row.cells.size(); ++j)
            if (row.bound(j) == left && row.cells[j].right == right) return &row.cells[j];
        return nullptr;
    };
    for (int r = 0; r < model.rows.size(); ++r) {
        TableRow& row = model.rows[r];
        for (int i = 0; i < row.cells.size(); ++i) {
            TableCell& cell = row.cells[i];
            if (cell.vmerge == 0) continue;
            const int left = row.bound(i);
            const TableCell* above = findMatch(r - 1, left, cell.right);
            const TableCell* below = findMatch(r + 1, left, cell.right);
            const bool joinsAbove = cell.vmerge == 2 && above && above->vmerge != 0;
            const bool joinedBelow = below && below->vmerge == 2;
            if (joinsAbove) continue;
            cell.vmerge = joinedBelow ? 1 : 0;
        }
    }
}

int tableBorder(const QTextTable* table) {
    if (!table) return NoBorder;
    const QVariant v = table->format().property(BorderStyleProperty);
    if (v.isValid()) return std::clamp(v.toInt(), int(NoBorder), int(ThickOutline));
    return table->format().border() > 0 ? AllBorders : NoBorder;
}

void applyTableBorder(QTextTable* table, int border) {
    if (!table) return;
    // One edit for the whole restyling: the layout follows once, not after every cell.
    QTextCursor edit(table->document());
    edit.beginEditBlock();
    QTextTableFormat tf = table->format();
    tf.setProperty(BorderStyleProperty, std::clamp(border, int(NoBorder), int(ThickOutline)));
    table->setFormat(tf);
    styleCells(table);
    edit.endEditBlock();
}

bool fillerInTable(const QTextTable* table, int position) {
    return table && position >= table->firstPosition() && position <= table->lastPosition() &&
           table->cellAt(position).format().boolProperty(FillerCellProperty);
}

bool restyleTypedFillers(QTextTable* table) {
    if (!table || tableBorder(table) == NoBorder) return false;
    // Under every border style a filler holding text shows a border (at least its right,
    // the table's outer edge), and an empty one none.
    bool stale = false;
    for (int r = 0; r < table->rows() && !stale; ++r) {
        for (int c = 0; c < table->columns() && !stale; ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (!cell.format().boolProperty(FillerCellProperty)) continue;
            const QTextTableCellFormat f = cell.format().toTableCellFormat();
            const bool bordered = f.rightBorder() > 0 || f.topBorder() > 0 ||
                                  f.bottomBorder() > 0 || f.leftBorder() > 0;
            stale = bordered == isFillerCell(cell);
        }
    }
    if (!stale) return false;
    // Part of the edit that put the text there, so that one undo takes both back.
    QTextCursor edit(table->document());
    edit.joinPreviousEditBlock();
    styleCells(table);
    edit.endEditBlock();
    return true;
}

TableModel TableModel::empty(int rows, int columns, int width) {
    TableModel m;
    rows = std::clamp(rows, 1, MaxRows);
    columns = std::clamp(columns, 1, MaxColumns);
    width = std::max(width, columns * MinCellWidth);
    TableRow row;
    for (int c = 0; c < columns; ++c) {
        TableCell cell;
        cell.right = int((qint64(width) * (c + 1) + columns / 2) / columns);
        row.cells.append(cell);
    }
    m.rows = QList<TableRow>(rows, row);
    return m;
}

TableModel TableModel::read(const QTextTable* table) {
    TableModel m;
    if (!table) return m;
    m.border = tableBorder(table);
    const QList<int> bounds = gridBoundsOf(table);
    const QTextDocument* doc = table->document();
    const int columns = table->columns();
    for (int r = 0; r < table->rows(); ++r) {
        TableRow row;
        for (int c = 0; c < columns;) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (!cell.isValid()) break;
            const int cs = std::max(cell.columnSpan(), 1);
            const int last = std::min(cell.column() + cs, columns) - 1;
            c = std::max(c + 1, cell.column() + cs);
            TableCell tc;
            tc.right = bounds.value(last, bounds.isEmpty() ? DefaultTableWidth : bounds.last());
            if (cell.row() < r) {
                tc.vmerge = 2;
            } else {
                tc.vmerge = cell.rowSpan() > 1 ? 1 : 0;
                tc.content = readContent(doc, cell);
                if (!row.height) row.height = rowHeightOf(cell);
            }
            // A filler is no cell, unless someone typed into it: then it becomes one.
            if (isFillerCell(cell) && (tc.vmerge == 2 || contentIsEmpty(tc.content))) continue;
            row.cells.append(tc);
        }
        if (row.cells.isEmpty()) {
            TableCell tc;
            tc.right = bounds.isEmpty() ? DefaultTableWidth : bounds.last();
            row.cells.append(tc);
        }
        m.rows.append(row);
    }
    return m;
}

QTextTable* TableModel::insert(QTextCursor& at) const {
    if (rows.isEmpty()) return nullptr;

    // Every row gets at least one cell, and each bound lies right of the one before.
    QList<TableRow> rs = rows;
    for (TableRow& row : rs) {
        if (row.cells.isEmpty()) row.cells.append(TableCell{DefaultTableWidth, 0, {}});
        int previous = 0;
        for (TableCell& cell : row.cells) {
            cell.right = std::max(cell.right, previous + 1);
            previous = cell.right;
        }
    }
    QList<int> grid;
    for (const TableRow& row : rs)
        for (const TableCell& cell : row.cells)
            grid.append(cell.right);
    std::sort(grid.begin(), grid.end());
    grid.erase(std::unique(grid.begin(), grid.end()), grid.end());
    const auto column = [&grid](int bound) {
        return int(std::lower_bound(grid.begin(), grid.end(), bound) - grid.begin());
    };

    const int nrows = int(rs.size());
    const int ncols = int(grid.size());
    QTextTableFormat tf;
    tf.setBorderCollapse(true);
    tf.setBorder(0);
    tf.setCellSpacing(0);
    tf.setCellPadding(0);
    tf.setMargin(0);
    tf.setAlignment(Qt::AlignLeft);
    QList<QTextLength> lengths;
    int previous = 0;
    for (int g : grid) {
        lengths.append(QTextLength(QTextLength::FixedLength, twipsToUnits(g - previous)));
        previous = g;
    }
    tf.setColumnWidthConstraints(lengths);
    tf.setProperty(GridBoundsProperty, QVariant::fromValue(grid));
    tf.setProperty(BorderStyleProperty, std::clamp(border, int(NoBorder), int(ThickOutline)));

    at.beginEditBlock();
    QTextTable* table = at.insertTable(nrows, ncols, tf);

    // Cells merged downwards: a continuation joins the cell above it when their bounds agree.
    struct Placed {
        int c0, c1, rowSpan;
        CellContent content;
    };
    QList<QList<Placed>> placed(nrows);
    QList<QList<bool>> consumed(nrows);
    for (int r = 0; r < nrows; ++r)
        consumed[r] = QList<bool>(rs[r].cells.size(), false);
    for (int r = 0; r < nrows; ++r) {
        const TableRow& row = rs[r];
        for (int i = 0; i < row.cells.size(); ++i) {
            if (consumed[r][i]) continue;
            const int left = row.bound(i);
            const int right = row.cells[i].right;
            Placed p{left == 0 ? 0 : column(left) + 1, column(right), 1, row.cells[i].content};
            if (row.cells[i].vmerge == 1) {
                for (int below = r + 1; below < nrows; ++below) {
                    const TableRow& next = rs[below];
                    int found = -1;
                    for (int j = 0; j < next.cells.size(); ++j) {
                        if (next.cells[j].vmerge == 2 && next.bound(j) == left &&
                            next.cells[j].right == right && !consumed[below][j]) {
                            found = j;
                            break;
                        }
                    }
                    if (found < 0) break;
                    consumed[below][found] = true;
                    if (!contentIsEmpty(next.cells[found].content))
                        p.content += next.cells[found].content;
                    ++p.rowSpan;
                }
            }
            placed[r].append(p);
        }
    }
    for (int r = 0; r < nrows; ++r) {
        for (const Placed& p : std::as_const(placed[r])) {
            if (p.rowSpan > 1 || p.c1 > p.c0)
                table->mergeCells(r, p.c0, p.rowSpan, p.c1 - p.c0 + 1);
        }
        const int end = column(rs[r].cells.last().right) + 1;
        if (end < ncols) {
            if (ncols - end > 1) table->mergeCells(r, end, 1, ncols - end);
            QTextTableCell filler = table->cellAt(r, end);
            QTextTableCellFormat cf = filler.format().toTableCellFormat();
            cf.setProperty(FillerCellProperty, true);
            filler.setFormat(cf);
        }
    }
    for (int r = 0; r < nrows; ++r) {
        for (const Placed& p : std::as_const(placed[r])) {
            QTextTableCell cell = table->cellAt(r, p.c0);
            if (rs[r].height) {
                QTextTableCellFormat cf = cell.format().toTableCellFormat();
                cf.setProperty(RowHeightProperty, rs[r].height);
                cell.setFormat(cf);
            }
            writeContent(cell.firstCursorPosition(), p.content);
        }
    }
    styleCells(table);
    at.endEditBlock();
    return table;
}

QTextTable* TableModel::replace(QTextTable* table) const {
    if (!table) return nullptr;
    QTextDocument* doc = table->document();
    const int at = table->firstPosition() - 1;
    QTextCursor c(doc);
    c.beginEditBlock();
    table->removeRows(0, table->rows());
    c.setPosition(std::min(at, doc->characterCount() - 1));
    QTextTable* fresh = insert(c);
    c.endEditBlock();
    return fresh;
}

namespace {

using Keep = std::function<bool(const QTextCharFormat&)>;

QString blockText(const QTextBlock& b, const Keep& keep)
{
    if (!keep)
        return b.text();
    QString out;
    for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        if (f.isValid() && keep(f.charFormat()))
            out += f.text();
    }
    return out;
}

void plainTextOfFrame(const QTextFrame* frame, QStringList& lines, const Keep& keep)
{
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* child = it.currentFrame()) {
            if (auto* table = qobject_cast<QTextTable*>(child)) {
                for (int r = 0; r < table->rows(); ++r) {
                    QStringList cells;
                    for (const QTextTableCell& cell : rowCells(table, r)) {
                        if (cell.row() != r) { // merged from above: its text is there
                            cells.append(QString());
                            continue;
                        }
                        QStringList paras;
                        const int end = cell.lastPosition();
                        for (QTextBlock b = table->document()->findBlock(cell.firstPosition());
                             b.isValid() && b.position() <= end; b = b.next())
                            paras.append(blockText(b, keep));
                        cells.append(paras.join(QLatin1Char(' ')));
                    }
                    lines.append(cells.join(QLatin1Char('\t')));
                }
            } else {
                plainTextOfFrame(child, lines, keep);
            }
        } else {
            lines.append(blockText(it.currentBlock(), keep));
        }
    }
}

} // namespace

QString plainTextWithTables(const QTextDocument& doc, const Keep& keep)
{
    QStringList lines;
    plainTextOfFrame(doc.rootFrame(), lines, keep);
    return lines.join(QLatin1Char('\n'));
}

void mergeCharFormatInOrder(const QTextCursor& selection, const QTextCharFormat& format) {
    if (!selection.document() || !selection.hasSelection()) return;
    mergeCharFormatInOrder(selection.document(), selection.selectionStart(),
                           selection.selectionEnd(), format);
}

void mergeCharFormatInOrder(QTextDocument* doc, int start, int end, const QTextCharFormat& format) {
    if (!doc || end <= start) return;
    QTextCursor c(doc);
    c.beginEditBlock();
    for (QTextBlock b = doc->findBlock(start); b.isValid() && b.position() < end; b = b.next()) {
        const int from = std::max(start, b.position());
        const int to = std::min(end, b.position() + b.length() - 1);
        if (to <= from) continue;
        QTextCursor part(doc);
        part.setPosition(from);
        part.setPosition(to, QTextCursor::KeepAnchor);
        part.mergeCharFormat(format);
    }
    c.endEditBlock();
}

void mergeBlockFormatInOrder(const QTextCursor& selection, const QTextBlockFormat& format) {
    QTextDocument* doc = selection.document();
    if (!doc) return;
    const int start = selection.selectionStart();
    const int end = selection.selectionEnd();
    QTextCursor c(doc);
    c.beginEditBlock();
    for (QTextBlock b = doc->findBlock(start); b.isValid() && b.position() <= end; b = b.next()) {
        QTextCursor(b).mergeBlockFormat(format);
        if (b.position() + b.length() > end) break;
    }
    c.endEditBlock();
}
