#pragma once

#include "controls/text/tablemodel.h"

#include <QByteArray>
#include <QList>

#include <functional>

class QTextBlock;
class QTextTable;

// Tables in RTF. A table is a run of rows; each row is its definition (\trowd ... with a
// \cellx per cell giving the cell's right edge, merge and border words before it)
// followed by its cells' paragraphs, marked \intbl, each cell ending with \cell and the
// row with \row.
namespace RtfTables {

// Writes `table` as RTF rows. `paragraph` writes one paragraph: "\pard", its paragraph
// words, "\intbl" and its text, without any ending. Native adds the table's border style
// as a word of our own (\tztblbrdrN), so that it comes back exactly.
void write(const QTextTable* table, QByteArray& out, bool native,
           const std::function<void(const QTextBlock&)>& paragraph);
// The definition of one row, "\trowd...\cellxN".
QByteArray rowDefinition(const QTextTable* table, int row, bool native);

enum Side { NoSide = -1, Top = 0, Right = 1, Bottom = 2, Left = 3 };

struct CellDef {
    int right = 0;                 // \cellx, twips from the page's left margin
    int vmerge = 0;                // 1 \clvmgf, 2 \clvmrg
    int hmerge = 0;                // 1 \clmgf, 2 \clmrg
    int borders[4] = {0, 0, 0, 0}; // twips per Side, 0 none
};

struct RowDef {
    QList<CellDef> cells;
    int left = 0;    // \trleft
    int height = 0;  // \trrh
    int border = -1; // \tztblbrdr, -1 when absent
};

struct Row {
    RowDef def;
    QList<std::pair<int, int>> cells; // first and last paragraph of each cell
};

struct Table {
    int firstParagraph = 0;
    int lastParagraph = 0;
    QList<Row> rows;
};

// Collects the tables of an RTF text while it is parsed. The parser numbers its
// paragraphs from 0 and reports the table words and where paragraphs end; at the end
// tables() lists every table with the paragraphs that make its cells.
class Collector {
public:
    // Row definition words, as they come.
    void trowd();
    void trleft(int twips);
    void trrh(int twips);
    void cellx(int twips);
    void clvmgf() { m_cell.vmerge = 1; }
    void clvmrg() { m_cell.vmerge = 2; }
    void clmgf() { m_cell.hmerge = 1; }
    void clmrg() { m_cell.hmerge = 2; }
    // \clbrdrt / \clbrdrr / \clbrdrb / \clbrdrl: the border words that follow are for that
    // side; NoSide for borders that are not a cell's (rows, paragraphs).
    void clbrdr(Side side);
    // \brdrs and the other line styles: the side has a line (of a thin width unless \brdrw says).
    void brdrLine();
    void brdrw(int twips);
    void brdrnone();
    void tztblbrdr(int border);

    // Paragraph `index` ended with \cell, with \par (or \sect...), or a \row came.
    // `inTable` is whether the paragraph carried \intbl.
    void cellEnded(int index);
    void paragraphEnded(int index, bool inTable);
    void rowEnded();
    // The text ended (after the last paragraph was reported).
    void finish();

    const QList<Table>& tables() const { return m_tables; }

private:
    void closeTable();

    RowDef m_def;    // the row definition in force
    CellDef m_cell;  // the cell definition being read
    int m_side = -1; // the side border words apply to, -1 none (row borders)
    bool m_defStarted = false;
    Row m_row;            // the row whose text is being read
    int m_cellStart = -1; // first paragraph of the cell being read
    Table m_table;        // the table being read
    bool m_inTable = false;
    QList<Table> m_tables;
};

// Turns a collected table into the document model; `paragraph` gives the content of a
// paragraph by its number.
TableModel toModel(const Table& table, const std::function<CellParagraph(int)>& paragraph);

// The border style that a table's cell borders show, for tables from other programs.
int borderStyleOf(const QList<RowDef>& rows);

} // namespace RtfTables
