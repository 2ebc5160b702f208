#include "controls/text/tablefunctions.h"

#include "controls/text/tableformat.h"
#include "controls/text/tablemodel.h"
#include "controls/text/textcontrol.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextTable>
#include <QVariant>

#include <algorithm>
#include <optional>

using namespace TableFormat;

namespace {

constexpr int kMaxBound = 31680;   // twips: 22 inches, the widest row we make
constexpr int kMinSplitWidth = 20; // twips: a split never makes cells narrower than a point

QTextTable* caretTable(const QTextEdit* atx) {
    return atx ? atx->textCursor().currentTable() : nullptr;
}

// The table at the caret, or the one just above it when the caret stands in the paragraph
// that follows a table (where deleting a table's last row leaves it).
QTextTable* tableNearCaret(const QTextEdit* atx) {
    if (!atx) return nullptr;
    const QTextCursor c = atx->textCursor();
    if (QTextTable* t = c.currentTable()) return t;
    const QTextBlock previous = c.block().previous();
    if (!previous.isValid()) return nullptr;
    QTextTable* t = QTextCursor(previous).currentTable();
    if (t && t->lastPosition() + 1 == c.block().position()) return t;
    return nullptr;
}

void moveToCell(QTextEdit* atx, const QTextTableCell& cell, bool extend) {
    QTextCursor c = atx->textCursor();
    if (extend)
        c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    else
        c.setPosition(cell.firstCursorPosition().position());
    atx->setTextCursor(c);
}

void caretToCell(QTextEdit* atx, QTextTable* table, int row, int cell) {
    if (!table) return;
    row = std::clamp(row, 0, table->rows() - 1);
    const QList<QTextTableCell> cells = rowCells(table, row);
    if (cells.isEmpty()) return;
    moveToCell(atx, cells.at(std::clamp(cell, 0, int(cells.size()) - 1)), false);
}

void caretAfterTable(QTextEdit* atx, int position) {
    QTextCursor c(atx->document());
    c.setPosition(std::clamp(position, 0, atx->document()->characterCount() - 1));
    atx->setTextCursor(c);
}

// Cell range of the selection: the bounds it covers from the cells of its two ends.
struct Selection {
    int firstRow = 0, lastRow = 0;
    int left = 0, right = 0; // twips
    CellPlace current;       // the caret's cell
};

Selection selectionOf(const QTextEdit* atx, const QTextTable* table) {
    const QTextCursor c = atx->textCursor();
    Selection s;
    s.current = cellPlace(table, c.position());
    CellPlace anchor = cellPlace(table, c.anchor());
    if (!anchor.isValid()) anchor = s.current;
    const QList<int> a = rowBounds(table, anchor.row);
    const QList<int> p = rowBounds(table, s.current.row);
    s.firstRow = std::min(anchor.row, s.current.row);
    s.lastRow = std::max(anchor.row, s.current.row);
    s.left = std::min(a.value(anchor.cell), p.value(s.current.cell));
    s.right = std::max(a.value(anchor.cell + 1), p.value(s.current.cell + 1));
    return s;
}

// Cells of a model row lying in [left, right): the first and last index, or -1.
std::pair<int, int> cellsWithin(const TableRow& row, int left, int right) {
    int first = -1, last = -1;
    for (int i = 0; i < row.cells.size(); ++i) {
        if (row.bound(i) < right && row.cells[i].right > left) {
            if (first < 0) first = i;
            last = i;
        }
    }
    return {first, last};
}

CellContent oneParagraphLike(const CellContent& content) {
    CellParagraph p;
    if (!content.isEmpty()) {
        p.block = content.first().block;
        p.mark = content.first().mark;
    }
    return {p};
}

// One step of the undo history. The caret is put into the rebuilt table while the edit
// is still open, when the layout does not know the table yet; the view is settled at the
// end, where the user was, moved only as far as needed to show the caret.
class EditBlock {
public:
    explicit EditBlock(QTextEdit* atx) : m_atx(atx), m_c(atx->textCursor()) {
        if (auto* text = qobject_cast<TextControl*>(atx)) {
            m_step.emplace(text);
        } else {
            m_x = atx->horizontalScrollBar()->value();
            m_y = atx->verticalScrollBar()->value();
            m_c.beginEditBlock();
        }
    }
    ~EditBlock() {
        if (m_step) return; // the step settles the view itself
        m_c.endEditBlock();
        m_atx->horizontalScrollBar()->setValue(m_x);
        m_atx->verticalScrollBar()->setValue(m_y);
        m_atx->ensureCursorVisible();
    }

private:
    QTextEdit* m_atx;
    QTextCursor m_c;
    std::optional<TextControl::EditStep> m_step;
    int m_x = 0, m_y = 0;
};

// Inserts a table at the cursor so that it stands between paragraphs the way a reader
// expects: at the start of a paragraph the table goes before it, leaving no empty paragraph
// of its own, and the paragraph after the table keeps its format (and tags).
QTextTable* insertAtCursor(QTextCursor c, const TableModel& model) {
    QTextDocument* doc = c.document();
    const QTextBlockFormat blockFormat = c.blockFormat();
    const QTextCharFormat markFormat = c.blockCharFormat();
    const bool atStart = c.positionInBlock() == 0;
    QTextTable* table = model.insert(c);
    if (!table) return nullptr;
    QTextCursor after(doc->findBlock(table->lastPosition() + 1));
    after.setBlockFormat(blockFormat);
    after.setBlockCharFormat(markFormat);
    const QTextBlock before = doc->findBlock(table->firstPosition() - 1);
    const QTextBlock previous = before.previous();
    if (atStart && before.length() == 1 && previous.isValid() &&
        QTextCursor(previous).currentFrame() == doc->rootFrame()) {
        QTextCursor join(doc);
        join.setPosition(before.position() - 1);
        join.setPosition(before.position(), QTextCursor::KeepAnchor);
        join.removeSelectedText();
    }
    return table;
}

int pageWidth(const QTextEdit* atx) {
    bool ok = false;
    const int w = atx->property("DocWidth").toInt(&ok);
    return ok && w > 0 ? std::min(w, kMaxBound) : DefaultTableWidth;
}

} // namespace

int ATX_INSERTTABLE(QTextEdit* atx, int rows, int columns) {
    if (!atx || rows < 1 || rows > MaxRows || columns < 1 || columns > MaxColumns)
        return TableBadArgument;
    QTextCursor c = atx->textCursor();
    int at = c.selectionStart();
    // In a table the new one goes before it: tables are not nested.
    if (QTextTable* current = c.currentTable()) {
        while (auto* outer = qobject_cast<QTextTable*>(current->parentFrame()))
            current = outer;
        at = current->firstPosition() - 1;
    }
    c.setPosition(at);
    EditBlock edit(atx);
    QTextTable* table = insertAtCursor(c, TableModel::empty(rows, columns, pageWidth(atx)));
    caretToCell(atx, table, 0, 0);
    return TableOk;
}

int ATX_INSERTTABLEROW(QTextEdit* atx) {
    QTextTable* table = caretTable(atx);
    if (!table) return TableNotInTable;
    const CellPlace place = cellPlace(table, atx->textCursor().position());
    if (!place.isValid()) return TableNotInTable;
    TableModel m = TableModel::read(table);
    TableRow row = m.rows.at(place.row);
    for (TableCell& cell : row.cells) {
        cell.content = oneParagraphLike(cell.content);
        cell.vmerge = cell.vmerge == 2 ? 2 : 0;
    }
    m.rows.insert(place.row, row);
    normalizeMerges(m);
    EditBlock edit(atx);
    caretToCell(atx, m.replace(table), place.row, 0);
    return TableOk;
}

int ATX_DELETETABLEROW(QTextEdit* atx) {
    QTextTable* table = caretTable(atx);
    if (!table) return TableNotInTable;
    const CellPlace place = cellPlace(table, atx->textCursor().position());
    if (!place.isValid()) return TableNotInTable;
    TableModel m = TableModel::read(table);
    // A cell merged downwards from this row hands its place to the cell below it.
    if (place.row + 1 < m.rows.size()) {
        const TableRow& gone = m.rows.at(place.row);
        TableRow& next = m.rows[place.row + 1];
        for (int i = 0; i < gone.cells.size(); ++i) {
            if (gone.cells[i].vmerge != 1) continue;
            for (int j = 0; j < next.cells.size(); ++j)
                if (next.cells[j].vmerge == 2 && next.bound(j) == gone.bound(i) &&
                    next.cells[j].right == gone.cells[i].right) {
                    next.cells[j].vmerge = 1;
                    next.cells[j].content = gone.cells[i].content;
                }
        }
    }
    m.rows.removeAt(place.row);
    normalizeMerges(m);
    EditBlock edit(atx);
    if (m.rows.isEmpty()) {
        const int at = table->firstPosition() - 1;
        table->removeRows(0, table->rows());
        caretAfterTable(atx, at);
        return TableOk;
    }
    QTextTable* fresh = m.replace(table);
    if (place.row < fresh->rows())
        caretToCell(atx, fresh, place.row, 0);
    else
        caretAfterTable(atx, fresh->lastPosition() + 1);
    return TableOk;
}

int ATX_DELETETABLECELL(QTextEdit* atx) {
    QTextTable* table = caretTable(atx);
    if (!table) return TableNotInTable;
    const Selection s = selectionOf(atx, table);
    if (!s.current.isValid()) return TableNotInTable;
    TableModel m = TableModel::read(table);
    int caretCell = 0;
    for (int r = s.lastRow; r >= s.firstRow; --r) {
        TableRow& row = m.rows[r];
        const auto [first, last] = cellsWithin(row, s.left, s.right);
        if (first < 0) continue;
        if (first == 0 && last == row.cells.size() - 1) {
            m.rows.removeAt(r);
            continue;
        }
        const int removed = row.cells[last].right - row.bound(first);
        row.cells.remove(first, last - first + 1);
        for (int i = first; i < row.cells.size(); ++i)
            row.cells[i].right -= removed;
        caretCell = first;
    }
    normalizeMerges(m);
    EditBlock edit(atx);
    if (m.rows.isEmpty()) {
        const int at = table->firstPosition() - 1;
        table->removeRows(0, table->rows());
        caretAfterTable(atx, at);
        return TableOk;
    }
    QTextTable* fresh = m.replace(table);
    caretToCell(atx, fresh, std::min(s.firstRow, fresh->rows() - 1), caretCell);
    return TableOk;
}

int ATX_MERGETABLECELL(QTextEdit* atx, int mode) {
    QTextTable* table = caretTable(atx);
    if (!table) return TableNotInTable;
    const Selection s = selectionOf(atx, table);
    if (!s.current.isValid()) return TableNotInTable;
    TableModel m = TableModel::read(table);
    const bool everyRow = mode < 0;
    const int firstRow = everyRow ? 0 : s.firstRow;
    const int lastRow = everyRow ? int(m.rows.size()) - 1 : s.lastRow;
    bool changed = false;
    QList<int> mergedIndex(m.rows.size(), -1);
    for (int r = firstRow; r <= lastRow; ++r) {
        TableRow& row = m.rows[r];
        const auto [first, last] = cellsWithin(row, s.left, s.right);
        if (first < 0) continue;
        mergedIndex[r] = first;
        if (last == first) continue;
        CellContent joined;
        for (int i = first; i <= last; ++i) {
            const CellContent& part = row.cells[i].content;
            if (everyRow)
                joined += part.isEmpty() ? CellContent{CellParagraph{}} : part;
            else if (!contentIsEmpty(part))
                joined += part;
        }
        if (joined.isEmpty()) joined = row.cells[first].content;
        row.cells[first].right = row.cells[last].right;
        row.cells[first].content = joined;
        row.cells[first].vmerge = 0;
        row.cells.remove(first + 1, last - first);
        changed = true;
    }
    // Several rows selected: the joined cells join downwards too, where their bounds agree.
    if (!everyRow && lastRow > firstRow && mergedIndex[firstRow] >= 0) {
        TableRow& top = m.rows[firstRow];
        TableCell& head = top.cells[mergedIndex[firstRow]];
        const int left = top.bound(mergedIndex[firstRow]);
        bool aligned = true;
        for (int r = firstRow + 1; r <= lastRow; ++r) {
            const int i = mergedIndex[r];
            if (i < 0 || m.rows[r].bound(i) != left || m.rows[r].cells[i].right != head.right)
                aligned = false;
        }
        if (aligned) {
            head.vmerge = 1;
            for (int r = firstRow + 1; r <= lastRow; ++r) {
                TableCell& cell = m.rows[r].cells[mergedIndex[r]];
                if (!contentIsEmpty(cell.content)) head.content += cell.content;
                cell.content = oneParagraphLike(cell.content);
                cell.vmerge = 2;
            }
            changed = true;
        }
    }
    if (!changed) return TableNothingToDo;
    normalizeMerges(m);
    EditBlock edit(atx);
    QTextTable* fresh = m.replace(table);
    caretToCell(atx, fresh, s.firstRow, std::max(mergedIndex.value(s.firstRow), 0));
    return TableOk;
}

int ATX_SPLITTABLECELL(QTextEdit* atx, int columns) {
    QTextTable* table = caretTable(atx);
    if (!table) return TableNotInTable;
    if (columns < 1 || columns > MaxColumns) return TableBadArgument;
    const CellPlace place = cellPlace(table, atx->textCursor().position());
    if (!place.isValid()) return TableNotInTable;
    if (columns == 1) return TableOk;
    TableModel m = TableModel::read(table);
    TableRow& row = m.rows[place.row];
    if (row.cells.size() + columns - 1 > MaxColumns) return TableBadArgument;
    const int left = row.bound(place.cell);
    const int width = row.width(place.cell);
    if (width / columns < kMinSplitWidth) return TableBadArgument;
    TableCell original = row.cells[place.cell];
    QList<TableCell> parts;
    for (int j = 0; j < columns; ++j) {
        TableCell part;
        part.right = left + int((qint64(width) * (j + 1) + columns / 2) / columns);
        part.content = j == 0 ? original.content : oneParagraphLike(original.content);
        parts.append(part);
    }
    row.cells.remove(place.cell);
    for (int j = columns - 1; j >= 0; --j)
        row.cells.insert(place.cell, parts[j]);
    normalizeMerges(m);
    EditBlock edit(atx);
    caretToCell(atx, m.replace(table), place.row, place.cell);
    return TableOk;
}

int ATX_CONVERTTOTABLE(QTextEdit* atx) {
    if (!atx) return TableBadArgument;
    QTextCursor c = atx->textCursor();
    if (c.currentTable()) return TableInTable;
    QTextDocument* doc = atx->document();
    const QTextBlock first = doc->findBlock(c.selectionStart());
    QTextBlock last = doc->findBlock(c.selectionEnd());
    if (c.hasSelection() && last != first && c.selectionEnd() == last.position())
        last = last.previous();

    TableModel m;
    int columns = 1;
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        if (QTextCursor(b).currentTable())
            return TableBadArgument; // the selection runs into a table
        QList<CellContent> cells;
        CellParagraph para;
        para.block = b.blockFormat();
        para.mark = b.charFormat();
        cells.append({para});
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid()) continue;
            const QStringList pieces = frag.text().split(QLatin1Char('\t'));
            for (int i = 0; i < pieces.size(); ++i) {
                if (i > 0) cells.append({para});
                if (!pieces[i].isEmpty())
                    cells.last().last().runs.append({pieces[i], frag.charFormat()});
            }
        }
        columns = std::max(columns, int(cells.size()));
        TableRow row;
        for (const CellContent& content : std::as_const(cells))
            row.cells.append(TableCell{0, 0, content});
        m.rows.append(row);
        if (b == last || m.rows.size() >= MaxRows) break;
    }
    if (columns > MaxColumns) return TableBadArgument;
    const TableModel shape = TableModel::empty(int(m.rows.size()), columns, pageWidth(atx));
    for (int r = 0; r < m.rows.size(); ++r) {
        TableRow& row = m.rows[r];
        while (row.cells.size() < columns)
            row.cells.append(TableCell{0, 0, oneParagraphLike(row.cells.first().content)});
        for (int i = 0; i < columns; ++i)
            row.cells[i].right = shape.rows.first().cells[i].right;
    }
    m.border = AllBorders;

    EditBlock edit(atx);
    QTextCursor cut(doc);
    cut.setPosition(first.position());
    const QTextBlock after = last.next();
    if (after.isValid() && !QTextCursor(after).currentTable())
        cut.setPosition(after.position(), QTextCursor::KeepAnchor);
    else
        cut.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    QTextTable* table = insertAtCursor(cut, m);
    caretToCell(atx, table, 0, 0);
    return TableOk;
}

int ATX_NEXTTABLECELL(QTextEdit* atx, int direction) {
    // The caret goes to the end of the cell's text, so that nothing typed next lands in
    // the middle of what the cell holds.
    QTextTable* table = caretTable(atx);
    if (!table) return TableNotInTable;
    const CellPlace place = cellPlace(table, atx->textCursor().position());
    if (!place.isValid()) return TableNotInTable;
    const QTextTableCell current = rowCells(table, place.row).value(place.cell);
    QList<QTextTableCell> order;
    for (int r = 0; r < table->rows(); ++r)
        for (const QTextTableCell& cell : rowCells(table, r))
            if (cell.row() == r) order.append(cell);
    const int next = int(order.indexOf(current)) + (direction < 0 ? -1 : 1);
    if (next < 0) return TableNothingToDo;
    if (next < order.size()) {
        QTextCursor c = atx->textCursor();
        c.setPosition(order.at(next).lastCursorPosition().position());
        atx->setTextCursor(c);
        return TableOk;
    }
    TableModel m = TableModel::read(table);
    TableRow row = m.rows.last();
    for (TableCell& cell : row.cells) {
        cell.content = oneParagraphLike(cell.content);
        cell.vmerge = 0;
    }
    m.rows.append(row);
    normalizeMerges(m);
    EditBlock edit(atx);
    caretToCell(atx, m.replace(table), int(m.rows.size()) - 1, 0);
    return TableOk;
}

int ATX_TABLEROWS(QTextEdit* atx) {
    const QTextTable* table = caretTable(atx);
    return table ? table->rows() : 0;
}

int ATX_SETCURTABLEROW(QTextEdit* atx, int row, int extend, int extend2) {
    QTextTable* table = tableNearCaret(atx);
    if (!table) return TableNotInTable;
    row = std::clamp(row, 0, table->rows() - 1);
    const QList<QTextTableCell> cells = rowCells(table, row);
    if (cells.isEmpty()) return TableNotInTable;
    const bool extending = extend != 0 || extend2 != 0;
    moveToCell(atx, extending ? cells.last() : cells.first(), extending);
    return TableOk;
}

int ATX_SETCURTABLEROWCELL(QTextEdit* atx, int cell, int extend, int extend2) {
    QTextTable* table = caretTable(atx);
    if (!table) return TableNotInTable;
    const CellPlace place = cellPlace(table, atx->textCursor().position());
    if (!place.isValid()) return TableNotInTable;
    const QList<QTextTableCell> cells = rowCells(table, place.row);
    moveToCell(atx, cells.at(std::clamp(cell, 0, int(cells.size()) - 1)),
               extend != 0 || extend2 != 0);
    return TableOk;
}

int ATX_GETCURROWINFO(QTextEdit* atx, int& row, int& cells, int& left, int& right) {
    row = cells = left = right = 0;
    const QTextTable* table = caretTable(atx);
    const CellPlace place = cellPlace(table, atx ? atx->textCursor().position() : -1);
    if (!place.isValid()) return TableNotInTable;
    const QList<int> bounds = rowBounds(table, place.row);
    row = place.row;
    cells = int(bounds.size()) - 1;
    left = bounds.first();
    right = bounds.last();
    return TableOk;
}

int ATX_GETCURCELLINFO(QTextEdit* atx, int& row, int& cell, int& left, int& right, int& width) {
    row = cell = left = right = width = 0;
    const QTextTable* table = caretTable(atx);
    const CellPlace place = cellPlace(table, atx ? atx->textCursor().position() : -1);
    if (!place.isValid()) return TableNotInTable;
    const QList<int> bounds = rowBounds(table, place.row);
    row = place.row;
    cell = place.cell;
    left = bounds.value(place.cell);
    right = bounds.value(place.cell + 1);
    width = right - left;
    return TableOk;
}

int ATX_GETSELCELLSBOUNDS(QTextEdit* atx, int& firstBound, int& lastBound, int& left, int& right) {
    firstBound = lastBound = left = right = 0;
    const QTextTable* table = caretTable(atx);
    if (!table) return TableNotInTable;
    const Selection s = selectionOf(atx, table);
    if (!s.current.isValid()) return TableNotInTable;
    const QList<int> bounds = rowBounds(table, s.current.row);
    int first = -1, last = -1;
    for (int i = 0; i + 1 < bounds.size(); ++i) {
        if (bounds[i] < s.right && bounds[i + 1] > s.left) {
            if (first < 0) first = i;
            last = i;
        }
    }
    if (first < 0) first = last = s.current.cell;
    firstBound = first;
    lastBound = last + 1;
    left = bounds.value(firstBound);
    right = bounds.value(lastBound);
    return TableOk;
}

int ATX_CHANGETABLEBOUND(QTextEdit* atx, int bound, int rows, int distance) {
    QTextTable* table = caretTable(atx);
    if (!table) return TableNotInTable;
    const CellPlace place = cellPlace(table, atx->textCursor().position());
    if (!place.isValid()) return TableNotInTable;
    TableModel m = TableModel::read(table);
    const TableRow& current = m.rows.at(place.row);
    if (bound < 1 || bound > current.cells.size()) return TableBadArgument;
    const int edge = current.bound(bound);
    const int from = rows == 1 ? place.row : 0;
    const int to = rows == 1 ? place.row : int(m.rows.size()) - 1;
    bool changed = false;
    for (int r = from; r <= to; ++r) {
        TableRow& row = m.rows[r];
        const int n = int(row.cells.size());
        // In another row the same column edge is the bound standing at the same place; a
        // row whose cell spans that place has none.
        int b = bound;
        if (r != place.row) {
            b = 0;
            for (int i = 1; i <= n && !b; ++i)
                if (row.bound(i) == edge) b = i;
            if (!b) continue;
        }
        const int lower = row.bound(b - 1) + std::min(MinCellWidth, row.width(b - 1));
        const int upper =
            b < n ? row.bound(b + 1) - std::min(MinCellWidth, row.width(b)) : kMaxBound;
        const qint64 wanted = qint64(row.bound(b)) + distance;
        const int moved = int(std::clamp<qint64>(wanted, lower, std::max(lower, upper)));
        if (moved != row.cells[b - 1].right) {
            row.cells[b - 1].right = moved;
            changed = true;
        }
    }
    if (!changed) return TableOk;
    normalizeMerges(m);
    EditBlock edit(atx);
    caretToCell(atx, m.replace(table), place.row, place.cell);
    return TableOk;
}

int ATX_GETCURROWH(QTextEdit* atx, int& height) {
    height = 0;
    const QTextTable* table = caretTable(atx);
    const CellPlace place = cellPlace(table, atx ? atx->textCursor().position() : -1);
    if (!place.isValid()) return TableNotInTable;
    double top = 1e12, bottom = -1e12;
    QAbstractTextDocumentLayout* layout = atx->document()->documentLayout();
    for (const QTextTableCell& cell : rowCells(table, place.row)) {
        if (cell.row() != place.row) continue;
        const int given = cell.format().intProperty(RowHeightProperty);
        if (given) {
            height = std::abs(given);
            return TableOk;
        }
        const QTextTableCellFormat cf = cell.format().toTableCellFormat();
        const QRectF first =
            layout->blockBoundingRect(atx->document()->findBlock(cell.firstPosition()));
        const QRectF last =
            layout->blockBoundingRect(atx->document()->findBlock(cell.lastPosition()));
        top = std::min(top, first.top() - cf.topPadding());
        bottom = std::max(bottom, last.bottom() + cf.bottomPadding());
    }
    if (bottom > top) height = unitsToTwips(bottom - top);
    return TableOk;
}

int ATX_SETCURROWH(QTextEdit* atx, int rows, int height) {
    QTextTable* table = caretTable(atx);
    const CellPlace place = cellPlace(table, atx ? atx->textCursor().position() : -1);
    if (!place.isValid()) return TableNotInTable;
    if ((rows != 1 && rows != -2) || height < -kMaxBound || height > kMaxBound)
        return TableBadArgument;
    EditBlock edit(atx);
    const int from = rows == 1 ? place.row : 0;
    const int to = rows == 1 ? place.row : table->rows() - 1;
    for (int r = from; r <= to; ++r) {
        for (QTextTableCell cell : rowCells(table, r)) {
            if (cell.row() != r) continue;
            QTextTableCellFormat cf = cell.format().toTableCellFormat();
            cf.setProperty(RowHeightProperty, height);
            cell.setFormat(cf);
        }
    }
    applyTableBorder(table, tableBorder(table)); // paddings follow the heights
    return TableOk;
}

int ATX_TABLEBORDER(QTextEdit* atx, int border) {
    QTextTable* table = caretTable(atx);
    if (border == -1) return table ? tableBorder(table) : -1;
    if (!table) return TableNotInTable;
    if (border < NoBorder || border > ThickOutline) return TableBadArgument;
    EditBlock edit(atx);
    applyTableBorder(table, border);
    return TableOk;
}
