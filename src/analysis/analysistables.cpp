#include "analysis/analysistables.h"

#include "controls/text/tablefunctions.h"
#include "controls/text/textcontrol.h"
#include "platform/repaintlock.h"

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

} // namespace

void insertCompetitorTable(TextControl& t, const Grid& grid) {
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
    boldRow(t, 10);
    caretInto(t, ATX_TABLEROWS(&t) - 1, 0);
    t.setAlignment(1);
    boldRow(t, 10);
}

void insertFactorScoreTable(TextControl& t, const Grid& grid, const QString& letter) {
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
    boldRow(t, 14);
}

void insertSwotTable(TextControl& t, const Grid& grid) {
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
