#pragma once

#include <QList>
#include <QString>
#include <QTextCharFormat>
#include <QTextFormat>
#include <QTextTableCell>

#include <functional>

class QTextCursor;
class QTextTable;

// A table as rows of cells with their right bounds, the way word processors and RTF see
// it, and the means to turn a QTextTable into one and back. Structural edits (merging,
// splitting, moving bounds, deleting cells) are done on this model and the table is then
// rebuilt in place, so that every table in a document obeys the same few rules whichever
// way it was made.
struct CellRun {
    QString text;
    QTextCharFormat format;
};

struct CellParagraph {
    QTextBlockFormat block;
    QTextCharFormat mark; // the paragraph's own character format (its empty height)
    QList<CellRun> runs;
    bool isEmpty() const;
};

// A cell's text; an empty list is one empty paragraph.
using CellContent = QList<CellParagraph>;

bool contentIsEmpty(const CellContent& content);

struct TableCell {
    int right = 0;  // twips from the row's left edge
    int vmerge = 0; // 0 alone, 1 first of cells merged downwards, 2 merged with the one above
    CellContent content;
};

struct TableRow {
    QList<TableCell> cells;
    int height = 0; // twips: 0 automatic, > 0 at least, < 0 exactly

    // Bound i is the left edge of cell i; bound cells.size() the right edge of the last.
    int bound(int i) const { return i <= 0 ? 0 : cells.at(i - 1).right; }
    int width(int cell) const { return bound(cell + 1) - bound(cell); }
};

struct TableModel {
    QList<TableRow> rows;
    int border = 2; // TableFormat::Border

    // An empty table of equal cells across `width` twips.
    static TableModel empty(int rows, int columns, int width);
    static TableModel read(const QTextTable* table);

    // Inserts the table at the cursor, which must not be inside a table; returns it.
    QTextTable* insert(QTextCursor& at) const;
    // Replaces `table` by this model and returns the new table (nullptr when the model has
    // no rows: the table is then removed).
    QTextTable* replace(QTextTable* table) const;
};

// The cells of a row in their left-to-right order: every cell covering the row, cells
// merged from the rows above included, filler cells left out.
QList<QTextTableCell> rowCells(const QTextTable* table, int row);
// A filler that holds nothing; one holding text is a cell.
bool isFillerCell(const QTextTableCell& cell);

// Row and cell number (both from 0) of a document position inside `table`; cell -1 when
// the position is outside it. A position in a filler cell belongs to the row's last cell.
struct CellPlace {
    int row = -1;
    int cell = -1;
    bool isValid() const { return row >= 0 && cell >= 0; }
};
CellPlace cellPlace(const QTextTable* table, int position);

// Right edge of each grid column (twips), and the bounds of a row: 0, then the right edge
// of each of its cells.
QList<int> tableGridBounds(const QTextTable* table);
QList<int> rowBounds(const QTextTable* table, int row);

// Keeps cells merged downwards consistent after rows or cells changed: a continuation
// needs a cell above with the same bounds, a first cell a continuation below.
void normalizeMerges(TableModel& model);

// The table's border style (TableFormat::Border) and restyling of its cells after a change.
int tableBorder(const QTextTable* table);
void applyTableBorder(QTextTable* table, int border);
// Whether `position` lies in a filler cell of `table`.
bool fillerInTable(const QTextTable* table, int position);
// Gives a filler that text went into the look of a cell (and one emptied again the look of
// a filler), as part of the edit that did it; false when the table already looks right.
bool restyleTypedFillers(QTextTable* table);

// Applies a format to the selection's text in document order, also when the selection runs
// from one cell of a table into another, where Qt would take the rectangle of cells between
// the two instead: a selection from a row's first cell to the next row's start is that row.
void mergeCharFormatInOrder(const QTextCursor& selection, const QTextCharFormat& format);
void mergeBlockFormatInOrder(const QTextCursor& selection, const QTextBlockFormat& format);
// The same for the characters from `start` to `end` in document order.
void mergeCharFormatInOrder(QTextDocument* doc, int start, int end, const QTextCharFormat& format);

// Plain text of a document with each table row on one line, its cells separated by tabs
// (a cell's paragraphs joined by spaces). `keep`, when given, says which runs count (the
// control leaves hidden text out).
class QTextDocument;
QString plainTextWithTables(const QTextDocument& doc,
                            const std::function<bool(const QTextCharFormat&)>& keep = {});
