#include "analysis/analysistables.h"
#include "controls/text/rtfreader.h"
#include "controls/text/rtfwriter.h"
#include "controls/text/tableformat.h"
#include "controls/text/tablefunctions.h"
#include "controls/text/tablemodel.h"
#include "controls/text/textcontrol.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>

namespace {

// Until the control writes attributes through mergeCharFormatInOrder, a selection from a
// row's first cell to the next row's first cell takes Qt's rectangle of cells (the first
// column of both rows) instead of the whole first row.

QTextTable* tableAt(const TextControl& t) {
    return t.textCursor().currentTable();
}

QList<QTextTable*> tablesOf(const QTextDocument* doc) {
    QList<QTextTable*> out;
    for (QTextFrame* f : doc->rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(f)) out.append(table);
    return out;
}

QString cellText(const QTextTableCell& cell) {
    QStringList paras;
    const QTextDocument* doc = cell.firstCursorPosition().document();
    for (QTextBlock b = doc->findBlock(cell.firstPosition());
         b.isValid() && b.position() <= cell.lastPosition(); b = b.next())
        paras.append(b.text());
    return paras.join(QLatin1Char('\n'));
}

// The table as its rows of cell texts, the way the control numbers rows and cells.
Grid texts(const QTextTable* table) {
    Grid g;
    for (int r = 0; r < table->rows(); ++r) {
        QStringList row;
        for (const QTextTableCell& cell : rowCells(table, r))
            row.append(cell.row() == r ? cellText(cell) : QStringLiteral("^"));
        g.append(row);
    }
    return g;
}

QList<int> widths(const QTextTable* table, int row) {
    const QList<int> b = rowBounds(table, row);
    QList<int> w;
    for (int i = 1; i < b.size(); ++i)
        w.append(b[i] - b[i - 1]);
    return w;
}

bool cellBold(const QTextTableCell& cell) {
    const QTextBlock b = cell.firstCursorPosition().block();
    if (b.begin().atEnd()) return false;
    for (auto it = b.begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().fontWeight() <= QFont::Medium) return false;
    return true;
}

void caretInto(TextControl& t, int row, int cell = -1) {
    ATX_SETCURTABLEROW(&t, row, 0, 0);
    if (cell >= 0) ATX_SETCURTABLEROWCELL(&t, cell, 0, 0);
}

// The analysis tables, built as the program builds them.
void competitorTable(TextControl& t, const Grid& grid) {
    insertCompetitorTable(t, grid);
}

void factorTable(TextControl& t, const Grid& grid, const QString& letter) {
    insertFactorScoreTable(t, grid, letter);
}

void swotTable(TextControl& t, const Grid& grid) {
    insertSwotTable(t, grid);
}

// A control holding "Intro" and "After", the caret at the start of "After".
void prepare(TextControl& t) {
    t.setSelText("Intro\nAfter");
    t.setCurPar(1);
}

// Everything a table keeps, in words: paragraphs outside tables, and for each table its
// border, and per row its height and cells (bounds, merge downwards, text with bold and
// tags, alignment).
QString describe(const QTextDocument* doc) {
    QStringList out;
    const auto runs = [](const QTextBlock& b) {
        QStringList parts;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            QString part = it.fragment().text();
            if (f.fontWeight() > QFont::Medium) part = "<b>" + part + "</b>";
            if (const int h = f.intProperty(TextFormat::HTagProperty))
                part += QString("{h%1}").arg(h);
            if (const int n = f.intProperty(TextFormat::NTagProperty))
                part += QString("{n%1}").arg(n);
            if (f.boolProperty(TextFormat::HiddenProperty)) part += "{hidden}";
            parts.append(part);
        }
        QString text = parts.join(QString());
        if (const int p = b.blockFormat().intProperty(TextFormat::PTagProperty))
            text += QString("{p%1}").arg(p);
        const Qt::Alignment a = b.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        if (a == Qt::AlignRight) text += "{right}";
        if (a == Qt::AlignHCenter) text += "{centre}";
        return text;
    };
    for (auto it = doc->rootFrame()->begin(); !it.atEnd(); ++it) {
        if (auto* table = qobject_cast<QTextTable*>(it.currentFrame())) {
            out.append(QString("table border %1").arg(tableBorder(table)));
            const TableModel m = TableModel::read(table);
            for (const TableRow& row : m.rows) {
                QStringList cells;
                for (const TableCell& cell : row.cells) {
                    QStringList paras;
                    for (const CellParagraph& p : cell.content) {
                        QString t;
                        for (const CellRun& r : p.runs) {
                            QString part = r.text;
                            if (r.format.fontWeight() > QFont::Medium) part = "<b>" + part + "</b>";
                            if (const int h = r.format.intProperty(TextFormat::HTagProperty))
                                part += QString("{h%1}").arg(h);
                            if (r.format.boolProperty(TextFormat::HiddenProperty))
                                part += "{hidden}";
                            t += part;
                        }
                        if (const int pt = p.block.intProperty(TextFormat::PTagProperty))
                            t += QString("{p%1}").arg(pt);
                        if ((p.block.alignment() & Qt::AlignHorizontal_Mask) == Qt::AlignRight)
                            t += "{right}";
                        paras.append(t);
                    }
                    cells.append(QString("%1%2:%3")
                                     .arg(cell.right)
                                     .arg(cell.vmerge ? QString("v%1").arg(cell.vmerge) : QString())
                                     .arg(paras.join("/")));
                }
                out.append(QString("  row h%1 | %2").arg(row.height).arg(cells.join(" | ")));
            }
        } else if (!it.currentFrame()) {
            out.append(runs(it.currentBlock()));
        }
    }
    return out.join('\n');
}

QString roundTrip(const QTextDocument* doc, RtfWriter::Flavor flavor, QByteArray* rtf = nullptr) {
    const QByteArray bytes = RtfWriter::write(*doc, flavor);
    if (rtf) *rtf = bytes;
    QTextDocument back;
    QString error;
    if (!RtfReader::read(bytes, &back, &error)) return "unreadable: " + error;
    return describe(&back);
}

// A section of text as the navigator leaves it: the caret at the start of its first
// paragraph, the table going two lines below.
void prepareSection(TextControl& t) {
    t.setSelText("Heading\nLine A\nLine B\nEnd");
    t.setCurPar(0);
}

} // namespace

class TestTables : public QObject {
    Q_OBJECT

private slots:
    void insertTableShapeAndCaret();
    void insertTableRefusals();
    void caretAndSelectionMoves();
    void deleteRowsAndTheRowAfterTheLast();
    void insertRowAboveTheCurrent();
    void mergeAndSplit();
    void mergeEveryRowKeepsParagraphs();
    void deleteCellsShiftsLeft();
    void boundsAndWidths();
    void rowHeights();
    void bordersStylesAndOutside();
    void convertTextToTable();
    void undoTakesATableOperationBackInOneStep();
    void plainTextSeparatesCellsByTabs();
    void competitorTableShape();
    void factorScoreTableShape();
    void swotTableShape();
    void twoTablesInARow();
    void rtfKeepsTablesExactly();
    void rtfKeepsMergedAndSplitCells();
    void rtfKeepsTextTypedBesideAShortRow();
    void rtfKeepsTheAnalysisTables();
    void rtfStandardFlavourShowsTheBorders();
    void foreignRtfTables();
    void malformedRtfTables();
    void linearFormatAcrossCells();
};

void TestTables::insertTableShapeAndCaret() {
    TextControl t;
    t.setDocWidth(9000);
    prepare(t);
    t.setPTag(5);
    QCOMPARE(ATX_TABLEROWS(&t), 0);
    QCOMPARE(ATX_INSERTTABLE(&t, 3, 4), int(TableOk));
    QTextTable* table = tableAt(t);
    QVERIFY(table);
    QCOMPARE(ATX_TABLEROWS(&t), 3);
    QCOMPARE(table->rows(), 3);
    QCOMPARE(rowCells(table, 0).size(), 4);
    QCOMPARE(widths(table, 2), (QList<int>{2250, 2250, 2250, 2250}));
    int row = -1, cells = -1, left = -1, right = -1;
    QCOMPARE(ATX_GETCURROWINFO(&t, row, cells, left, right), int(TableOk));
    QCOMPARE(row, 0);
    QCOMPARE(cells, 4);
    QCOMPARE(right, 9000);
    // The text around the table is untouched: "Intro" before, "After" after it.
    QCOMPARE(t.document()->firstBlock().text(), QString("Intro"));
    QCOMPARE(t.document()->lastBlock().text(), QString("After"));
    QCOMPARE(t.document()->blockCount(), 2 + 12); // no empty paragraph of the table's own
    QCOMPARE(t.document()->lastBlock().blockFormat().intProperty(TextFormat::PTagProperty), 5);
    QCOMPARE(tableBorder(table), int(TableFormat::AllBorders));
}

void TestTables::insertTableRefusals() {
    TextControl t;
    prepare(t);
    QCOMPARE(ATX_INSERTTABLE(&t, 0, 2), int(TableBadArgument));
    QCOMPARE(ATX_INSERTTABLE(&t, 2, 0), int(TableBadArgument));
    QCOMPARE(ATX_INSERTTABLE(&t, 100000, 2), int(TableBadArgument));
    QCOMPARE(ATX_INSERTTABLE(&t, 2, 64), int(TableBadArgument));
    QCOMPARE(tablesOf(t.document()).size(), 0);
    QCOMPARE(ATX_INSERTTABLE(&t, 2, 2), int(TableOk));
    tableAt(t)->cellAt(0, 0).firstCursorPosition().insertText("first");
    // No table inside a table: the new one goes before it.
    QCOMPARE(ATX_INSERTTABLE(&t, 3, 3), int(TableOk));
    const QList<QTextTable*> tables = tablesOf(t.document());
    QCOMPARE(tables.size(), 2);
    QCOMPARE(tables[0]->rows(), 3);
    QCOMPARE(tables[0], tableAt(t));
    QCOMPARE(texts(tables[1]).first().first(), QString("first"));
    QCOMPARE(t.document()->firstBlock().text(), QString("Intro"));
}

void TestTables::caretAndSelectionMoves() {
    TextControl t;
    prepare(t);
    ATX_INSERTTABLE(&t, 3, 3);
    QTextTable* table = tableAt(t);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            table->cellAt(r, c).firstCursorPosition().insertText(QString("%1%2").arg(r).arg(c));

    caretInto(t, 2, 1);
    int row, cell, left, right, width;
    ATX_GETCURCELLINFO(&t, row, cell, left, right, width);
    QCOMPARE(row, 2);
    QCOMPARE(cell, 1);
    QCOMPARE(t.CurChar(), 0);
    // Numbers past the end mean the last row or cell.
    caretInto(t, 7, 9);
    ATX_GETCURCELLINFO(&t, row, cell, left, right, width);
    QCOMPARE(row, 2);
    QCOMPARE(cell, 2);

    // Select Row: cell 0, then extend to the last cell.
    caretInto(t, 1, 0);
    ATX_SETCURTABLEROWCELL(&t, 2, -1, -1);
    int firstRow, numRows, firstColumn, numColumns;
    t.textCursor().selectedTableCells(&firstRow, &numRows, &firstColumn, &numColumns);
    QCOMPARE(firstRow, 1);
    QCOMPARE(numRows, 1);
    QCOMPARE(numColumns, 3);
    // Select Table: row 0 cell 0, then extend to the last row.
    caretInto(t, 0, 0);
    ATX_SETCURTABLEROW(&t, ATX_TABLEROWS(&t) - 1, -1, -1);
    t.textCursor().selectedTableCells(&firstRow, &numRows, &firstColumn, &numColumns);
    QCOMPARE(numRows, 3);
    QCOMPARE(numColumns, 3);

    // Outside a table the caret stays where it is.
    t.setCurPar(0);
    QCOMPARE(ATX_SETCURTABLEROWCELL(&t, 1, 0, 0), int(TableNotInTable));
    QCOMPARE(ATX_SETCURTABLEROW(&t, 1, 0, 0), int(TableNotInTable));
    QCOMPARE(t.CurPar(), 0);
    QCOMPARE(ATX_GETCURROWINFO(&t, row, cell, left, right), int(TableNotInTable));
}

void TestTables::deleteRowsAndTheRowAfterTheLast() {
    TextControl t;
    prepare(t);
    ATX_INSERTTABLE(&t, 4, 2);
    QTextTable* table = tableAt(t);
    for (int r = 0; r < 4; ++r)
        table->cellAt(r, 0).firstCursorPosition().insertText(QString("row %1").arg(r));

    caretInto(t, 1);
    QCOMPARE(ATX_DELETETABLEROW(&t), int(TableOk));
    QCOMPARE(texts(tableAt(t)), (Grid{{"row 0", ""}, {"row 2", ""}, {"row 3", ""}}));
    int row, cells, left, right;
    ATX_GETCURROWINFO(&t, row, cells, left, right);
    QCOMPARE(row, 1); // the row that took its place

    // A row number equal to the row count means the last row; deleting it leaves the caret
    // after the table, where a second delete does nothing.
    ATX_SETCURTABLEROW(&t, ATX_TABLEROWS(&t), 0, 0);
    QCOMPARE(ATX_DELETETABLEROW(&t), int(TableOk));
    QCOMPARE(ATX_TABLEROWS(&t), 0);
    QCOMPARE(t.textCursor().block().text(), QString("After"));
    QCOMPARE(ATX_DELETETABLEROW(&t), int(TableNotInTable));
    QCOMPARE(texts(tablesOf(t.document()).first()), (Grid{{"row 0", ""}, {"row 2", ""}}));
    // From the paragraph after a table, row numbers reach into that table.
    QCOMPARE(ATX_SETCURTABLEROW(&t, 0, 0, 0), int(TableOk));
    QCOMPARE(ATX_TABLEROWS(&t), 2);
    // From further away they do not.
    t.setCurPar(0);
    QCOMPARE(ATX_SETCURTABLEROW(&t, 0, 0, 0), int(TableNotInTable));

    // The last rows gone, the table goes; the text around it stays.
    t.setSelStart(tablesOf(t.document()).first()->firstPosition());
    ATX_DELETETABLEROW(&t);
    ATX_SETCURTABLEROW(&t, 0, 0, 0);
    ATX_DELETETABLEROW(&t);
    QCOMPARE(tablesOf(t.document()).size(), 0);
    QVERIFY(t.document()->toPlainText().startsWith("Intro"));
    QVERIFY(t.document()->toPlainText().endsWith("After"));
}

void TestTables::insertRowAboveTheCurrent() {
    TextControl t;
    prepare(t);
    ATX_INSERTTABLE(&t, 2, 3);
    QTextTable* table = tableAt(t);
    table->cellAt(1, 1).firstCursorPosition().insertText("b");
    caretInto(t, 1, 1);
    QCOMPARE(ATX_INSERTTABLEROW(&t), int(TableOk));
    QCOMPARE(texts(tableAt(t)), (Grid{{"", "", ""}, {"", "", ""}, {"", "b", ""}}));
    int row, cells, left, right;
    ATX_GETCURROWINFO(&t, row, cells, left, right);
    QCOMPARE(row, 1);
    QCOMPARE(cells, 3);
    t.setCurPar(0);
    QCOMPARE(ATX_INSERTTABLEROW(&t), int(TableNotInTable));
}

void TestTables::mergeAndSplit() {
    TextControl t;
    t.setDocWidth(9000);
    prepare(t);
    ATX_INSERTTABLE(&t, 2, 3);
    QTextTable* table = tableAt(t);
    table->cellAt(0, 0).firstCursorPosition().insertText("a");
    table->cellAt(0, 2).firstCursorPosition().insertText("c");
    table->cellAt(1, 1).firstCursorPosition().insertText("keep");

    // The menu's merge: the selected cells of the row become one; empty cells add nothing.
    caretInto(t, 0, 0);
    ATX_SETCURTABLEROWCELL(&t, 2, -1, -1);
    QCOMPARE(ATX_MERGETABLECELL(&t, 1), int(TableOk));
    QCOMPARE(texts(tableAt(t)), (Grid{{"a\nc"}, {"", "keep", ""}}));
    QCOMPARE(widths(tableAt(t), 0), QList<int>{9000});
    QCOMPARE(widths(tableAt(t), 1), (QList<int>{3000, 3000, 3000}));
    // A single cell has nothing to merge with.
    caretInto(t, 1, 1);
    QCOMPARE(ATX_MERGETABLECELL(&t, 1), int(TableNothingToDo));

    // Split the merged cell into four equal cells; its text stays in the first.
    caretInto(t, 0, 0);
    QCOMPARE(ATX_SPLITTABLECELL(&t, 4), int(TableOk));
    QCOMPARE(texts(tableAt(t)), (Grid{{"a\nc", "", "", ""}, {"", "keep", ""}}));
    QCOMPARE(widths(tableAt(t), 0), (QList<int>{2250, 2250, 2250, 2250}));
    QCOMPARE(widths(tableAt(t), 1), (QList<int>{3000, 3000, 3000}));
    QCOMPARE(ATX_SPLITTABLECELL(&t, 0), int(TableBadArgument));
    QCOMPARE(ATX_SPLITTABLECELL(&t, 100), int(TableBadArgument));
    QCOMPARE(texts(tableAt(t)).first().size(), 4);

    // Merging down: two rows' first cells join into one cell spanning both rows.
    caretInto(t, 0, 1);
    ATX_SETCURTABLEROW(&t, 1, -1, -1);
    caretInto(t, 0, 0);
    QTextCursor c = t.textCursor();
    c.setPosition(rowCells(tableAt(t), 1).first().lastPosition(), QTextCursor::KeepAnchor);
    t.setTextCursor(c);
    // Row 1's first cell is wider than row 0's, so the merge joins each row's cells in the
    // width the selection covers, then the two joined cells downwards when they line up.
    QCOMPARE(ATX_MERGETABLECELL(&t, 1), int(TableOk));
    const Grid after = texts(tableAt(t));
    QCOMPARE(after.size(), 2);
    QCOMPARE(after[0].first(), QString("a\nc"));
}

void TestTables::mergeEveryRowKeepsParagraphs() {
    TextControl t;
    prepare(t);
    ATX_INSERTTABLE(&t, 3, 4);
    QTextTable* table = tableAt(t);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            if (c != 2)
                table->cellAt(r, c).firstCursorPosition().insertText(QString("%1%2").arg(r).arg(c));
    caretInto(t, 0, 1);
    t.setSelToPar(t.CurPar() + 2);
    QCOMPARE(ATX_MERGETABLECELL(&t, -1), int(TableOk));
    // Every row: cells 1 to 3 joined, one paragraph per cell, empty ones included.
    QCOMPARE(texts(tableAt(t)), (Grid{{"00", "01\n\n03"}, {"10", "11\n\n13"}, {"20", "21\n\n23"}}));
}

void TestTables::deleteCellsShiftsLeft() {
    TextControl t;
    t.setDocWidth(9000);
    prepare(t);
    ATX_INSERTTABLE(&t, 2, 3);
    QTextTable* table = tableAt(t);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            table->cellAt(r, c).firstCursorPosition().insertText(QString("%1%2").arg(r).arg(c));
    caretInto(t, 0, 1);
    QCOMPARE(ATX_DELETETABLECELL(&t), int(TableOk));
    QCOMPARE(texts(tableAt(t)), (Grid{{"00", "02"}, {"10", "11", "12"}}));
    QCOMPARE(widths(tableAt(t), 0), (QList<int>{3000, 3000}));
    QCOMPARE(rowBounds(tableAt(t), 1).last(), 9000);
    // The short row ends in a filler that is no cell: the caret there counts as the last cell.
    int row, cells, left, right;
    ATX_GETCURROWINFO(&t, row, cells, left, right);
    QCOMPARE(cells, 2);
    QCOMPARE(right, 6000);

    // Whole rows selected go as rows.
    caretInto(t, 1, 0);
    ATX_SETCURTABLEROWCELL(&t, 2, -1, -1);
    QCOMPARE(ATX_DELETETABLECELL(&t), int(TableOk));
    QCOMPARE(texts(tableAt(t)), (Grid{{"00", "02"}}));
}

void TestTables::boundsAndWidths() {
    TextControl t;
    t.setDocWidth(9000);
    prepare(t);
    ATX_INSERTTABLE(&t, 2, 3);
    caretInto(t, 0, 1);
    int first, last, left, right;
    QCOMPARE(ATX_GETSELCELLSBOUNDS(&t, first, last, left, right), int(TableOk));
    QCOMPARE(first, 1);
    QCOMPARE(last, 2);
    QCOMPARE(left, 3000);
    QCOMPARE(right, 6000);
    // Cell 1 of row 0 to 1000 twips wide, the cells right of it keeping theirs.
    const int distance = 1000 - (right - left);
    for (int bound = last; bound <= 3; ++bound)
        QCOMPARE(ATX_CHANGETABLEBOUND(&t, bound, 1, distance), int(TableOk));
    QCOMPARE(widths(tableAt(t), 0), (QList<int>{3000, 1000, 3000}));
    QCOMPARE(widths(tableAt(t), 1), (QList<int>{3000, 3000, 3000}));
    int row, cell, width;
    ATX_GETCURCELLINFO(&t, row, cell, left, right, width);
    QCOMPARE(row, 0);
    QCOMPARE(cell, 1);
    QCOMPARE(width, 1000);

    // A selection of two cells: its bounds run from the first's left to the second's right.
    caretInto(t, 1, 0);
    ATX_SETCURTABLEROWCELL(&t, 1, -1, -1);
    ATX_GETSELCELLSBOUNDS(&t, first, last, left, right);
    QCOMPARE(first, 0);
    QCOMPARE(last, 2);
    QCOMPARE(left, 0);
    QCOMPARE(right, 6000);

    // A bound never passes its neighbour, and bound 0 stays.
    caretInto(t, 1, 0);
    ATX_CHANGETABLEBOUND(&t, 1, 1, -100000);
    QCOMPARE(widths(tableAt(t), 1).first(), TableFormat::MinCellWidth);
    QCOMPARE(ATX_CHANGETABLEBOUND(&t, 0, 1, 500), int(TableBadArgument));
    // Every row at once: the column edge moves wherever it stands in a row. Row 1 ends at
    // 9000 and row 0 at 7000, so its edge is row 1's alone.
    caretInto(t, 1, 0);
    ATX_CHANGETABLEBOUND(&t, 3, 0, 500);
    QCOMPARE(rowBounds(tableAt(t), 0).last(), 7000);
    QCOMPARE(rowBounds(tableAt(t), 1).last(), 9500);
    // Under a cell merged across columns the edge it spans does not exist: the merged
    // cell's row keeps its own bounds, the others move.
    TextControl m;
    m.setDocWidth(9000);
    prepare(m);
    ATX_INSERTTABLE(&m, 3, 3);
    caretInto(m, 1, 0);
    ATX_SETCURTABLEROWCELL(&m, 1, -1, -1);
    QCOMPARE(ATX_MERGETABLECELL(&m, 1), int(TableOk));
    caretInto(m, 0, 0);
    QCOMPARE(ATX_CHANGETABLEBOUND(&m, 1, 0, 1000), int(TableOk));
    QCOMPARE(widths(tableAt(m), 0), (QList<int>{4000, 2000, 3000}));
    QCOMPARE(widths(tableAt(m), 1), (QList<int>{6000, 3000}));
    QCOMPARE(widths(tableAt(m), 2), (QList<int>{4000, 2000, 3000}));
}

void TestTables::rowHeights() {
    TextControl t;
    prepare(t);
    ATX_INSERTTABLE(&t, 3, 2);
    caretInto(t, 1, 1);
    int automatic = 0;
    QCOMPARE(ATX_GETCURROWH(&t, automatic), int(TableOk));
    QVERIFY(automatic > 100); // at least a line of text
    QVERIFY(automatic < 1440);
    QCOMPARE(ATX_SETCURROWH(&t, 1, 720), int(TableOk));
    int h = 0;
    ATX_GETCURROWH(&t, h);
    QCOMPARE(h, 720);
    caretInto(t, 0);
    ATX_GETCURROWH(&t, h);
    QCOMPARE(h, automatic);
    // The row really is taller on screen.
    QTextTable* table = tableAt(t);
    const QRectF r0 = t.document()->documentLayout()->blockBoundingRect(
        table->cellAt(0, 0).firstCursorPosition().block());
    const QRectF r1 = t.document()->documentLayout()->blockBoundingRect(
        table->cellAt(1, 0).firstCursorPosition().block());
    const QRectF r2 = t.document()->documentLayout()->blockBoundingRect(
        table->cellAt(2, 0).firstCursorPosition().block());
    QVERIFY2(r2.top() - r1.top() > 1.5 * (r1.top() - r0.top()), "row 1 is not taller than row 0");

    QCOMPARE(ATX_SETCURROWH(&t, -2, 1000), int(TableOk));
    for (int row = 0; row < 3; ++row) {
        caretInto(t, row);
        ATX_GETCURROWH(&t, h);
        QCOMPARE(h, 1000);
    }
    QCOMPARE(ATX_SETCURROWH(&t, 3, 1000), int(TableBadArgument));
    t.setCurPar(0);
    QCOMPARE(ATX_SETCURROWH(&t, 1, 1000), int(TableNotInTable));
}

void TestTables::bordersStylesAndOutside() {
    TextControl t;
    prepare(t);
    QCOMPARE(ATX_TABLEBORDER(&t, -1), -1);
    QCOMPARE(ATX_TABLEBORDER(&t, 2), int(TableNotInTable));
    ATX_INSERTTABLE(&t, 2, 2);
    QCOMPARE(ATX_TABLEBORDER(&t, -1), 2);
    QCOMPARE(ATX_TABLEBORDER(&t, 4), int(TableBadArgument));
    QCOMPARE(ATX_TABLEBORDER(&t, -1), 2);
    const auto sides = [&t](int r, int c) {
        const QTextTableCellFormat f = tableAt(t)->cellAt(r, c).format().toTableCellFormat();
        return QList<double>{f.topBorder(), f.rightBorder(), f.bottomBorder(), f.leftBorder()};
    };
    const double thin = TableFormat::twipsToUnits(TableFormat::ThinBorderWidth);
    const double thick = TableFormat::twipsToUnits(TableFormat::ThickBorderWidth);
    QCOMPARE(sides(0, 0), (QList<double>{thin, thin, thin, thin}));
    QCOMPARE(ATX_TABLEBORDER(&t, 1), int(TableOk));
    QCOMPARE(ATX_TABLEBORDER(&t, -1), 1);
    QCOMPARE(sides(0, 0), (QList<double>{thin, 0, 0, thin}));
    QCOMPARE(sides(1, 1), (QList<double>{0, thin, thin, 0}));
    ATX_TABLEBORDER(&t, 3);
    QCOMPARE(sides(0, 1), (QList<double>{thick, thick, 0, 0}));
    ATX_TABLEBORDER(&t, 0);
    QCOMPARE(sides(1, 0), (QList<double>{0, 0, 0, 0}));
    QCOMPARE(ATX_TABLEBORDER(&t, -1), 0);
}

void TestTables::convertTextToTable() {
    TextControl t;
    t.setDocWidth(9000);
    t.setSelText("Before\nName\tWeight\tScore\nPrice\t3\nAfter");
    t.setCurPar(1);
    t.setSelToPar(2);
    t.setSelToChar(TextControl::EndOfParagraph);
    QCOMPARE(ATX_CONVERTTOTABLE(&t), int(TableOk));
    QTextTable* table = tableAt(t);
    QVERIFY(table);
    QCOMPARE(texts(table), (Grid{{"Name", "Weight", "Score"}, {"Price", "3", ""}}));
    QCOMPARE(t.document()->firstBlock().text(), QString("Before"));
    QCOMPARE(t.document()->lastBlock().text(), QString("After"));
    QCOMPARE(t.document()->blockCount(), 2 + 6);
    // In a table there is nothing to convert.
    QCOMPARE(ATX_CONVERTTOTABLE(&t), int(TableInTable));
}

void TestTables::undoTakesATableOperationBackInOneStep() {
    TextControl t;
    prepare(t);
    ATX_INSERTTABLE(&t, 2, 3);
    tableAt(t)->cellAt(0, 0).firstCursorPosition().insertText("x");
    caretInto(t, 0, 0);
    ATX_SETCURTABLEROWCELL(&t, 2, -1, -1);
    ATX_MERGETABLECELL(&t, 1);
    QCOMPARE(texts(tableAt(t)).first().size(), 1);
    t.document()->undo();
    const QList<QTextTable*> tables = tablesOf(t.document());
    QCOMPARE(tables.size(), 1);
    QCOMPARE(texts(tables.first()), (Grid{{"x", "", ""}, {"", "", ""}}));
}

void TestTables::plainTextSeparatesCellsByTabs() {
    TextControl t;
    prepare(t);
    ATX_INSERTTABLE(&t, 2, 3);
    QTextTable* table = tableAt(t);
    table->cellAt(0, 0).firstCursorPosition().insertText("a");
    table->cellAt(0, 2).firstCursorPosition().insertText("c");
    table->cellAt(1, 1).firstCursorPosition().insertText("e");
    QCOMPARE(plainTextWithTables(*t.document()), QString("Intro\na\t\tc\n\te\t\nAfter"));
    // Hidden runs left out on request.
    QTextCharFormat hidden;
    hidden.setProperty(TextFormat::HiddenProperty, true);
    table->cellAt(1, 1).lastCursorPosition().insertText(" note", hidden);
    const auto visible = [](const QTextCharFormat& f) {
        return !f.boolProperty(TextFormat::HiddenProperty);
    };
    QCOMPARE(plainTextWithTables(*t.document(), visible), QString("Intro\na\t\tc\n\te\t\nAfter"));
    QCOMPARE(plainTextWithTables(*t.document()), QString("Intro\na\t\tc\n\te note\t\nAfter"));
}

void TestTables::competitorTableShape() {
    TextControl t;
    prepareSection(t);
    const Grid grid{
        {"Price", "30", "4", "120", "3", "90", "5", "150", "2", "60"},
        {"Quality", "50", "5", "250", "4", "200", "3", "150", "4", "200"},
        {"Service", "20", "3", "60", "2", "40", "4", "80", "5", "100"},
        {"Totals", "100", "", "430", "", "330", "", "380", "", "360"},
    };
    competitorTable(t, grid);
    const QList<QTextTable*> tables = tablesOf(t.document());
    QCOMPARE(tables.size(), 1);
    QTextTable* table = tables.first();
    Grid expected{{"KFS Description", "W", "A", "B", "C", "D", "E", "F", "G", "H"}};
    expected += grid;
    QCOMPARE(texts(table), expected);
    QCOMPARE(table->rows(), 5);
    QCOMPARE(tableBorder(table), 3);
    // The description takes the width of four of the thirteen cells.
    const QList<int> w = widths(table, 2);
    QCOMPARE(w.size(), 10);
    QVERIFY(qAbs(w[0] - 4 * w[1]) <= 4);
    // Heading and totals rows bold, factor rows not; "Totals" right-aligned.
    bool headingBold = true, totalsBold = true, factorsPlain = true;
    for (const QTextTableCell& cell : rowCells(table, 0))
        headingBold = headingBold && cellBold(cell);
    for (const QTextTableCell& cell : rowCells(table, 4))
        totalsBold = totalsBold && (cellText(cell).isEmpty() || cellBold(cell));
    for (const QTextTableCell& cell : rowCells(table, 1))
        factorsPlain = factorsPlain && !cellBold(cell);
    QVERIFY(totalsBold);
    QVERIFY(headingBold);
    QVERIFY(factorsPlain);
    QCOMPARE(rowCells(table, 4).first().firstCursorPosition().blockFormat().alignment() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
    // The table stands two lines below the caret's line, before "Line B".
    QCOMPARE(t.document()->findBlockByNumber(1).text(), QString("Line A"));
    QCOMPARE(t.document()->lastBlock().previous().text(), QString("Line B"));
    QCOMPARE(t.document()->lastBlock().text(), QString("End"));
}

void TestTables::factorScoreTableShape() {
    TextControl t;
    prepareSection(t);
    Grid grid{
        {"New competitor", "4", "X", "", "", "", "", "", "", "", "", "", "", "-20"},
        {"Market growth", "3", "", "", "", "", "", "", "", "", "", "X", "", "12"},
    };
    factorTable(t, grid, "P");
    QTextTable* table = tablesOf(t.document()).first();
    Grid expected{{"Factor description", "P", "-5", "-4", "-3", "-2", "-1", "0", "1", "2", "3", "4",
                   "5", "Total"}};
    expected += grid;
    QCOMPARE(texts(table), expected);
    QCOMPARE(table->rows(), 3);
    bool headingBold = true;
    for (const QTextTableCell& cell : rowCells(table, 0))
        headingBold = headingBold && cellBold(cell);
    QVERIFY(headingBold);
    // Score cells centred.
    QCOMPARE(rowCells(table, 1).at(2).firstCursorPosition().blockFormat().alignment() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignHCenter);
    const QList<int> w = widths(table, 1);
    QCOMPARE(w.size(), 14);
    QVERIFY(qAbs(w[0] - 5 * w[1]) <= 5);  // description: five of nineteen cells
    QVERIFY(qAbs(w[13] - 2 * w[1]) <= 2); // total: two
}

void TestTables::swotTableShape() {
    TextControl t;
    prepareSection(t);
    Grid grid(22, QStringList(4));
    grid[11] = QStringList{"Opportunities", "", "Threats", ""};
    for (int i = 1; i <= 10; ++i) {
        grid[i] = QStringList{QString("S%1").arg(i), QString::number(i), QString("W%1").arg(i),
                              QString::number(-i)};
        grid[11 + i] = QStringList{QString("O%1").arg(i), QString::number(i * 2),
                                   QString("T%1").arg(i), QString::number(i * 3)};
    }
    swotTable(t, grid);
    QTextTable* table = tablesOf(t.document()).first();
    Grid expected = grid;
    expected[0] = QStringList{"Strengths", "", "Weaknesses", ""};
    QCOMPARE(texts(table), expected);
    QCOMPARE(tableBorder(table), 1);
    const QList<int> w = widths(table, 5);
    QCOMPARE(w.size(), 4);
    QVERIFY(qAbs(w[0] - 4 * w[1]) <= 4); // wide, narrow, wide, narrow
    QVERIFY(qAbs(w[2] - 4 * w[3]) <= 4);
    for (const int row : {0, 11}) {
        const QList<QTextTableCell> cells = rowCells(table, row);
        for (const int c : {0, 2}) {
            QVERIFY(cellBold(cells[c]));
            QVERIFY(cells[c].firstCursorPosition().charFormat().fontUnderline());
            QCOMPARE(cells[c].firstCursorPosition().blockFormat().alignment() &
                         Qt::AlignHorizontal_Mask,
                     Qt::AlignHCenter);
        }
    }
    QVERIFY(!cellBold(rowCells(table, 1).first()));
}

void TestTables::twoTablesInARow() {
    TextControl t;
    prepare(t);
    const Grid grid{{"Only", "1", "2"}};
    t.setCurPar(0);
    factorTable(t, grid, "W");
    t.setCurPar(0);
    factorTable(t, grid, "W");
    const QList<QTextTable*> tables = tablesOf(t.document());
    QCOMPARE(tables.size(), 2);
    for (QTextTable* table : tables) {
        QCOMPARE(table->rows(), 2);
        QCOMPARE(texts(table)[1].first(), QString("Only"));
    }
}

void TestTables::rtfKeepsTablesExactly() {
    TextControl t;
    t.setDocWidth(9000);
    prepare(t);
    ATX_INSERTTABLE(&t, 3, 3);
    QTextTable* table = tableAt(t);
    QTextCursor c = table->cellAt(0, 0).firstCursorPosition();
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setProperty(TextFormat::HTagProperty, 1);
    bold.setProperty(TextFormat::NTagProperty, 17);
    c.insertText("Prompt", bold);
    QTextCharFormat hidden;
    hidden.setProperty(TextFormat::HiddenProperty, true);
    hidden.setProperty(TextFormat::HTagProperty, 999);
    c.insertText(" note", hidden);
    c = table->cellAt(1, 1).firstCursorPosition();
    c.insertText("two");
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    right.setProperty(TextFormat::PTagProperty, 16);
    c.insertBlock(right);
    c.insertText("paragraphs");
    caretInto(t, 2, 0);
    ATX_SETCURROWH(&t, 1, 700);
    caretInto(t, 1, 0);
    ATX_SETCURROWH(&t, 1, -500); // exactly, as other programs write it
    caretInto(t, 0, 1);
    ATX_CHANGETABLEBOUND(&t, 2, 1, -1000);
    ATX_TABLEBORDER(&t, 1);

    const QString before = describe(t.document());
    QVERIFY2(before.contains("5000:"), qPrintable(before));
    QVERIFY2(before.contains("h-500"), qPrintable(before));
    QByteArray rtf;
    QCOMPARE(roundTrip(t.document(), RtfWriter::Native, &rtf), before);
    QVERIFY(rtf.contains("\\trowd"));
    QVERIFY(rtf.contains("\\intbl"));
    QVERIFY(rtf.contains("\\cellx9000"));
    QVERIFY(rtf.contains("\\trrh700"));
    // Writing what was read gives the same file.
    QTextDocument back;
    back.setDefaultFont(t.document()->defaultFont());
    QVERIFY(RtfReader::read(rtf, &back));
    QCOMPARE(RtfWriter::write(back, RtfWriter::Native), rtf);
    // Through the control's own files too.
    const QString file = QDir::temp().filePath("tst_tables_roundtrip.mp");
    QVERIFY(t.saveFile(file, TextControl::NativeRtf));
    TextControl loaded;
    QVERIFY(loaded.loadFile(file, TextControl::NativeRtf));
    QCOMPARE(describe(loaded.document()), before);
    QFile::remove(file);
}

void TestTables::rtfKeepsMergedAndSplitCells() {
    TextControl t;
    t.setDocWidth(9000);
    prepare(t);
    ATX_INSERTTABLE(&t, 3, 4);
    QTextTable* table = tableAt(t);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            table->cellAt(r, c).firstCursorPosition().insertText(QString("%1%2").arg(r).arg(c));
    caretInto(t, 0, 1);
    ATX_SETCURTABLEROWCELL(&t, 2, -1, -1);
    ATX_MERGETABLECELL(&t, 1); // row 0: 00 | 01 02 | 03
    caretInto(t, 1, 3);
    ATX_SPLITTABLECELL(&t, 3); // row 1: 10 11 12 13 . .
    caretInto(t, 2, 0);
    ATX_DELETETABLECELL(&t); // row 2 ends short: 21 22 23
    // Cells merged downwards: column 0 of rows 0 and 1.
    caretInto(t, 0, 0);
    QTextCursor c = t.textCursor();
    c.setPosition(rowCells(tableAt(t), 1).first().lastPosition(), QTextCursor::KeepAnchor);
    t.setTextCursor(c);
    QCOMPARE(ATX_MERGETABLECELL(&t, 1), int(TableOk));
    const Grid grid = texts(tableAt(t));
    QCOMPARE(
        grid,
        (Grid{{"00\n10", "01\n02", "03"}, {"^", "11", "12", "13", "", ""}, {"21", "22", "23"}}));
    const QString before = describe(t.document());
    QVERIFY2(before.contains("v1") && before.contains("v2"), qPrintable(before));
    QCOMPARE(roundTrip(t.document(), RtfWriter::Native), before);
    // Split again after reading: the merged cell splits the same way it did before.
    QTextDocument back;
    QVERIFY(RtfReader::read(RtfWriter::write(*t.document(), RtfWriter::Native), &back));
    TextControl again;
    again.setDocument(&back);
    again.setSelStart(tablesOf(&back).first()->firstPosition());
    caretInto(again, 0, 1);
    QCOMPARE(ATX_SPLITTABLECELL(&again, 2), int(TableOk));
    caretInto(t, 0, 1);
    ATX_SPLITTABLECELL(&t, 2);
    QCOMPARE(describe(&back), describe(t.document()));
    again.setDocument(new QTextDocument(&again));
}

void TestTables::rtfKeepsTextTypedBesideAShortRow() {
    TextControl t;
    t.setDocWidth(9000);
    prepare(t);
    ATX_INSERTTABLE(&t, 2, 3);
    QTextTable* table = tableAt(t);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            table->cellAt(r, c).firstCursorPosition().insertText(QString("%1%2").arg(r).arg(c));
    caretInto(t, 0, 1);
    QCOMPARE(ATX_DELETETABLECELL(&t), int(TableOk));
    // The space the deleted cell left at the end of row 0 takes the caret like any cell; a
    // click there and a paste (here two paragraphs) are the user's text.
    table = tableAt(t);
    const QTextTableCell gap = table->cellAt(0, table->columns() - 1);
    QVERIFY(isFillerCell(gap));
    t.setTextCursor(gap.firstCursorPosition());
    t.setSelText("pasted\nhere");
    const QString before = describe(t.document());
    QVERIFY2(before.contains("pasted/here"), qPrintable(before));
    QByteArray rtf;
    QCOMPARE(roundTrip(t.document(), RtfWriter::Native, &rtf), before);
    QCOMPARE(roundTrip(t.document(), RtfWriter::Standard).count("pasted/here"), 1);
    // It is the row's third cell wherever cells are counted.
    QCOMPARE(texts(tableAt(t)), (Grid{{"00", "02", "pasted\nhere"}, {"10", "11", "12"}}));
    // It takes the table's borders, as the file shows it, in the same undo step as the text.
    const auto gapBorder = [&t] {
        return tableAt(t)->cellAt(0, tableAt(t)->columns() - 1).format().toTableCellFormat()
            .rightBorder();
    };
    QTRY_VERIFY(gapBorder() > 0);
    t.setUnDoAction(1);
    QCoreApplication::processEvents();
    QCOMPARE(gapBorder(), 0.0);
    QCOMPARE(texts(tableAt(t)), (Grid{{"00", "02"}, {"10", "11", "12"}}));
    QCOMPARE(t.ReDoAction(), 3);
}

void TestTables::rtfKeepsTheAnalysisTables() {
    TextControl t;
    prepareSection(t);
    competitorTable(t, Grid{{"Price", "30", "4", "120", "3", "90", "5", "150", "2", "60"},
                            {"Totals", "30", "", "120", "", "90", "", "150", "", "60"}});
    t.setCurPar(0);
    Grid swot(22, QStringList(4));
    swot[11] = QStringList{"Opportunities", "", "Threats", ""};
    swot[1] = QStringList{"Staff", "4", "Cash", "-3"};
    swotTable(t, swot);
    const QString before = describe(t.document());
    QCOMPARE(roundTrip(t.document(), RtfWriter::Native), before);
}

void TestTables::rtfStandardFlavourShowsTheBorders() {
    for (int style = 0; style <= 3; ++style) {
        TextControl t;
        prepare(t);
        ATX_INSERTTABLE(&t, 2, 3);
        ATX_TABLEBORDER(&t, style);
        QByteArray rtf;
        const QString back = roundTrip(t.document(), RtfWriter::Standard, &rtf);
        QVERIFY(!rtf.contains("tztblbrdr"));
        QVERIFY2(back.contains(QString("table border %1").arg(style)), qPrintable(back));
    }
}

void TestTables::foreignRtfTables() {
    // As another word processor writes it: widths differing per row, a cell merged across
    // (\\clmgf / \\clmrg), one merged downwards (\\clvmgf / \\clvmrg), borders on every cell.
    const QByteArray rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\n"
        "\\pard Before\\par\n"
        "\\trowd\\trgaph108\\trleft-108"
        "\\clvmgf\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrd"
        "rr\\brdrs\\brdrw10\\cellx1892"
        "\\clmgf\\clbrdrt\\brdrs\\brdrw10\\cellx3892\\clmrg\\cellx5892\n"
        "\\pard\\intbl {\\b Name}\\cell\\pard\\intbl Wide\\cell\\pard\\intbl\\cell\\row\n"
        "\\trowd\\trgaph108\\trleft-108\\clvmrg\\cellx1892\\cellx2892\\cellx3892\\cellx5892\n"
        "\\pard\\intbl\\cell\\pard\\intbl a\\cell\\pard\\intbl b\\par c\\cell\\pard\\intbl "
        "d\\cell\\row\n"
        "\\pard After\\par}";
    QTextDocument doc;
    QVERIFY(RtfReader::read(rtf, &doc));
    const QList<QTextTable*> tables = tablesOf(&doc);
    QCOMPARE(tables.size(), 1);
    QCOMPARE(texts(tables.first()), (Grid{{"Name", "Wide"}, {"^", "a", "b\nc", "d"}}));
    QCOMPARE(widths(tables.first(), 0), (QList<int>{2000, 4000}));
    QCOMPARE(widths(tables.first(), 1), (QList<int>{2000, 1000, 1000, 2000}));
    QCOMPARE(doc.firstBlock().text(), QString("Before"));
    QCOMPARE(doc.lastBlock().text(), QString("After"));
    QVERIFY(cellBold(tables.first()->cellAt(0, 0)));
    QCOMPARE(tableBorder(tables.first()), int(TableFormat::AllBorders));
    QCOMPARE(plainTextWithTables(doc), QString("Before\nName\tWide\n\ta\tb c\td\nAfter"));

    // Rows ended only by \\cell and \\row, without any definition.
    const QByteArray bare = "{\\rtf1 \\pard\\intbl x\\cell y\\cell\\row\\pard z\\par}";
    QTextDocument plain;
    QVERIFY(RtfReader::read(bare, &plain));
    QCOMPARE(tablesOf(&plain).size(), 1);
    QCOMPARE(texts(tablesOf(&plain).first()), (Grid{{"x", "y"}}));
}

void TestTables::malformedRtfTables() {
    const QList<QByteArray> inputs{
        "{\\rtf1 \\cell\\cell\\row\\row}",
        "{\\rtf1 \\trowd\\cellx5000\\cellx100\\cellx-7\\pard\\intbl a\\cell b\\cell c\\cell "
        "d\\cell\\row}",
        "{\\rtf1 \\trowd\\clvmrg\\cellx99999999\\pard\\intbl "
        "a\\cell\\row\\trowd\\clvmrg\\clmrg\\cellx10\\pard\\intbl b\\cell\\row}",
        "{\\rtf1 \\pard\\intbl unfinished \\cell half",
        "{\\rtf1 \\trowd" + QByteArray(200, 'x').replace("x", "\\cellx1") +
            "\\pard\\intbl a\\cell\\row}",
        "{\\rtf1 \\trowd\\cellx1000\\pard\\intbl{\\trowd\\cellx500\\pard\\intbl "
        "in\\nestcell\\nestrow}out\\cell\\row}",
    };
    for (const QByteArray& rtf : inputs) {
        QTextDocument doc;
        QVERIFY(RtfReader::read(rtf, &doc));
        // Whatever came in writes out and reads back the same.
        const QString once = describe(&doc);
        QCOMPARE(roundTrip(&doc, RtfWriter::Native), once);
    }
    QTextDocument doc;
    QVERIFY(RtfReader::read(inputs[1], &doc));
    QCOMPARE(texts(tablesOf(&doc).first()).first(), (QStringList{"a", "b", "c", "d"}));
    // A row's own border words do not change the cell border read before them.
    QTextDocument rowBorder;
    QVERIFY(RtfReader::read("{\\rtf1 \\trowd\\clbrdrb\\brdrs\\trbrdrt\\brdrs\\brdrw40\\cellx1000"
                            "\\pard\\intbl a\\cell\\row}",
                            &rowBorder));
    QCOMPARE(tableBorder(tablesOf(&rowBorder).first()), int(TableFormat::Outline));
}

void TestTables::linearFormatAcrossCells() {
    TextControl t;
    prepare(t);
    ATX_INSERTTABLE(&t, 2, 3);
    QTextTable* table = tableAt(t);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            table->cellAt(r, c).firstCursorPosition().insertText(QString("%1%2").arg(r).arg(c));
    QTextCursor c(t.document());
    c.setPosition(table->cellAt(0, 0).firstPosition());
    c.setPosition(table->cellAt(1, 0).firstPosition(), QTextCursor::KeepAnchor);
    QVERIFY(c.hasComplexSelection());
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    mergeCharFormatInOrder(c, bold);
    for (int col = 0; col < 3; ++col) {
        QVERIFY(cellBold(table->cellAt(0, col)));
        QVERIFY(!cellBold(table->cellAt(1, col)));
    }
    QTextBlockFormat centre;
    centre.setAlignment(Qt::AlignHCenter);
    mergeBlockFormatInOrder(c, centre);
    QCOMPARE(table->cellAt(0, 2).firstCursorPosition().blockFormat().alignment(), Qt::AlignHCenter);
    QCOMPARE(table->cellAt(1, 0).firstCursorPosition().blockFormat().alignment(), Qt::AlignHCenter);
    QVERIFY(table->cellAt(1, 1).firstCursorPosition().blockFormat().alignment() !=
            Qt::AlignHCenter);
}

QTEST_MAIN(TestTables)
#include "tst_tables.moc"
