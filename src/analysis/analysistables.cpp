#include "analysis/analysistables.h"

#include "controls/text/tablefunctions.h"
#include "controls/text/textcontrol.h"
#include "controls/text/tableformat.h"
#include "platform/repaintlock.h"

#include <QFontMetricsF>
#include <QTextTable>

namespace {

constexpr int kEnd = TextControl::EndOfParagraph;

void caretInto(TextControl& t, int row, int cell = -1) {
    ATX_SETCURTABLEROW(&t, row, 0, 0);
    if (cell >= 0) ATX_SETCURTABLEROWCELL(&t, cell, 0, 0);
}

QString gridCell(const Grid& grid, int column, int row) {
    if (row < 0 || row >= grid.size()) return QString();
    return grid[row].value(column);
}

// Joins the start cell and the k cells after it into one cell in every row. The control
// keeps one paragraph per joined cell; all but the first cell's text go.
void mergeStep(TextControl& t, int k, int startCell, bool focus = false) {
    t.setSelToPar(t.CurPar() + k);
    ATX_MERGETABLECELL(&t, -1);
    for (int row = 0; row < ATX_TABLEROWS(&t); ++row) {
        caretInto(t, row, startCell);
        t.setCurChar(kEnd);
        if (focus && row == 0) t.setFocus();
        t.setSelToPar(t.CurPar() + k);
        t.setSelToChar(kEnd);
        t.setSelText(QString());
    }
}

void plainAttributes(TextControl& t) {
    t.setFontBold(0);
    t.setFontUnder(0);
    t.setFontItalic(0);
}

// The table goes two lines below the caret.
void commonStart(TextControl& t) {
    t.setLineNumber(t.LineNumber() + 2);
    t.setSelLength(0);
    plainAttributes(t);
}

// The grid's rows into table rows 1 onwards; the table has one row more than the heading
// and the grid need, and that row and the one after the grid go again.
void dropSpareRows(TextControl& t) {
    ATX_SETCURTABLEROW(&t, ATX_TABLEROWS(&t), 0, 0);
    ATX_DELETETABLEROW(&t);
    ATX_DELETETABLEROW(&t);
    t.setLineNumber(t.LineNumber() - 1);
}

void writeHeadings(TextControl& t, const QStringList& headings) {
    for (int cell = 1; cell <= headings.size(); ++cell) {
        caretInto(t, 0, cell);
        t.setSelToChar(kEnd);
        t.setSelText(headings[cell - 1]);
    }
}

// Makes the row's text bold: from its first cell to `paragraphs` paragraphs on.
void boldRow(TextControl& t, int paragraphs) {
    t.setSelToPar(t.CurPar() + paragraphs);
    t.setFontBold(-1);
    t.setSelLength(0);
    t.setFontBold(0);
}

// The width the text of the table's cells starting in grid `column` takes on its widest line, twips.
int widestText(QTextTable* table, int column, const QFont& base) {
    qreal widest = 0;
    for (int row = 0; row < table->rows(); ++row) {
        const QTextTableCell cell = table->cellAt(row, column);
        if (!cell.isValid() || cell.column() != column || cell.row() != row) continue;
        for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
            const QTextBlock block = it.currentBlock();
            qreal line = 0;
            for (QTextBlock::iterator f = block.begin(); !f.atEnd(); ++f) {
                const QTextFragment fragment = f.fragment();
                if (!fragment.isValid()) continue;
                const QFont font = fragment.charFormat().font().resolve(base);
                line += QFontMetricsF(font).horizontalAdvance(fragment.text());
            }
            widest = std::max(widest, line);
        }
    }
    return TableFormat::unitsToTwips(widest);
}

// Widens the columns from `first` on whose widest value would not fit on one line (a
// score of 1000 in bold, a total of -50), taking the room from the first column, so that
// no number breaks over two lines. The caret is in the table's first row.
void fitColumns(TextControl& t, int first) {
    QTextTable* table = t.textCursor().currentTable();
    if (!table) return;
    int row = 0, cells = 0, left = 0, right = 0;
    ATX_GETCURROWINFO(&t, row, cells, left, right);
    const int columns = std::min(cells, table->columns());
    // Gaps either side of the text, the border between cells and a little to spare for
    // the rounding of widths to pixels.
    const int room = 2 * TableFormat::CellGap + TableFormat::ThickBorderWidth + 30;
    std::vector<int> extra(size_t(columns), 0);
    int total = 0;
    for (int c = first; c < columns; ++c) {
        ATX_SETCURTABLEROWCELL(&t, c, 0, 0);
        int cellRow = 0, cell = 0, cellLeft = 0, cellRight = 0, width = 0;
        ATX_GETCURCELLINFO(&t, cellRow, cell, cellLeft, cellRight, width);
        // Cell c of a row stands on a grid column of its own (merged cells span several).
        const QTextTableCell at = table->cellAt(t.textCursor().position());
        if (!at.isValid()) continue;
        const int needed = widestText(table, at.column(), t.document()->defaultFont()) + room;
        if (needed > width) {
            extra[size_t(c)] = needed - width;
            total += needed - width;
        }
    }
    ATX_SETCURTABLEROWCELL(&t, 0, 0, 0);
    int firstCellRow = 0, zero = 0, firstLeft = 0, firstRight = 0, firstWidth = 0;
    ATX_GETCURCELLINFO(&t, firstCellRow, zero, firstLeft, firstRight, firstWidth);
    if (total == 0 || firstWidth - total < 4 * TableFormat::MinCellWidth) return;
    // Bound i moves left by what the columns from i on gain; the first column gives it all.
    int shift = total;
    for (int bound = 1; bound < columns; ++bound) {
        ATX_CHANGETABLEBOUND(&t, bound, -2, -shift);
        shift -= extra[size_t(bound)];
    }
}

} // namespace

void insertCompetitorTable(TextControl& t, const Grid& grid) {
    TextControl::UndoGroup group(&t); // the whole table goes with one undo
    const int g = int(grid.size());
    commonStart(t);
    RepaintLock lock(&t);
    ATX_INSERTTABLE(&t, g + 2, 13);
    caretInto(t, 0, 0);
    t.setSelText(QStringLiteral("KFS Description"));
    for (int row = 1; row <= g + 1; ++row) {
        caretInto(t, row);
        t.setSelText(gridCell(grid, 0, row - 1));
        for (int j = 1; j <= 9; ++j) {
            t.setFontBold(row == g ? -1 : 0);
            caretInto(t, row, j + 3);
            t.setSelText(gridCell(grid, j, row - 1));
            t.setFontBold(0);
        }
    }
    dropSpareRows(t);
    caretInto(t, 0, 0);
    mergeStep(t, 3, 0, true);
    writeHeadings(t, {"W", "A", "B", "C", "D", "E", "F", "G", "H"});
    ATX_TABLEBORDER(&t, 3);
    caretInto(t, 0, 0);
    fitColumns(t, 1);
    caretInto(t, 0, 0);
    boldRow(t, 10);
    caretInto(t, ATX_TABLEROWS(&t) - 1, 0);
    t.setAlignment(1);
    boldRow(t, 10);
}

void insertFactorScoreTable(TextControl& t, const Grid& grid, const QString& letter) {
    TextControl::UndoGroup group(&t); // the whole table goes with one undo
    const int n = int(grid.size());
    commonStart(t);
    RepaintLock lock(&t);
    ATX_INSERTTABLE(&t, n + 2, 19);
    caretInto(t, 0, 0);
    t.setSelText(QStringLiteral("Factor description"));
    for (int row = 1; row <= n + 1; ++row) {
        caretInto(t, row);
        t.setSelText(gridCell(grid, 0, row - 1));
        for (int i = 1; i <= 14; ++i) {
            caretInto(t, row, i + 4);
            t.setSelText(gridCell(grid, i, row - 1));
            if (i >= 2 && i <= 13) t.setAlignment(2);
        }
    }
    dropSpareRows(t);
    caretInto(t, 0, 0);
    mergeStep(t, 4, 0, true);
    writeHeadings(t, {letter, "-5", "-4", "-3", "-2", "-1", "0", "1", "2", "3", "4", "5", "Total"});
    caretInto(t, 0, 13);
    t.setCurChar(0);
    mergeStep(t, 1, 13);
    ATX_TABLEBORDER(&t, 3);
    caretInto(t, 0, 0);
    fitColumns(t, 1);
    caretInto(t, 0, 0);
    boldRow(t, 14);
}

void insertSwotTable(TextControl& t, const Grid& grid) {
    TextControl::UndoGroup group(&t); // the whole table goes with one undo
    commonStart(t);
    RepaintLock lock(&t);
    ATX_INSERTTABLE(&t, 22, 10);
    caretInto(t, 0, 0);
    t.setSelText(QStringLiteral("Strengths"));
    t.setCurChar(0);
    mergeStep(t, 3, 0);
    caretInto(t, 0, 2);
    t.setSelText(QStringLiteral("Weaknesses"));
    t.setCurChar(0);
    mergeStep(t, 3, 2);
    ATX_TABLEBORDER(&t, 1);
    for (const auto& [from, to] : {std::pair{1, 10}, std::pair{11, 21}}) {
        for (const int firstCell : {0, 2}) {
            for (int row = from; row <= to; ++row) {
                caretInto(t, row);
                for (int cell = firstCell; cell <= firstCell + 1; ++cell) {
                    ATX_SETCURTABLEROWCELL(&t, cell, 0, 0);
                    t.setSelText(gridCell(grid, cell, row));
                }
            }
        }
    }
    for (const int row : {0, 11}) {
        caretInto(t, row, 0);
        t.setAlignment(2);
        t.setSelToPar(t.CurPar() + 3);
        t.setFontBold(-1);
        t.setFontUnder(-1);
        ATX_SETCURTABLEROWCELL(&t, 2, 0, 0);
        t.setAlignment(2);
    }
    t.setSelLength(0);
    t.setFontBold(0);
    t.setFontUnder(0);
}
