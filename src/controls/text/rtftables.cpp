#include "controls/text/rtftables.h"

#include "controls/text/tableformat.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>

using namespace TableFormat;

namespace RtfTables {

namespace {

constexpr int kMaxTwips = 31680;     // 22 inches
constexpr int kMaxBorderTwips = 300; // 15 points
constexpr int kDefaultCellWidth = 1440;

void appendWord(QByteArray& out, const char* word, int value) {
    out += word;
    out += QByteArray::number(value);
}

int rowHeightOf(const QTextTable* table, int row) {
    for (const QTextTableCell& cell : rowCells(table, row))
        if (cell.row() == row)
            if (const int h = cell.format().intProperty(RowHeightProperty)) return h;
    return 0;
}

} // namespace

QByteArray rowDefinition(const QTextTable* table, int row, bool native) {
    QByteArray out = "\\trowd\\trgaph";
    out += QByteArray::number(CellGap);
    out += "\\trleft0";
    if (const int h = rowHeightOf(table, row)) appendWord(out, "\\trrh", h);
    if (native) appendWord(out, "\\tztblbrdr", tableBorder(table));
    const QList<int> bounds = rowBounds(table, row);
    const QList<QTextTableCell> cells = rowCells(table, row);
    for (int i = 0; i < cells.size(); ++i) {
        const QTextTableCell& cell = cells[i];
        if (cell.row() < row)
            out += "\\clvmrg";
        else if (cell.rowSpan() > 1)
            out += "\\clvmgf";
        const QTextTableCellFormat f = cell.format().toTableCellFormat();
        const bool firstRowOfCell = cell.row() == row;
        const bool lastRowOfCell = cell.row() + cell.rowSpan() - 1 == row;
        const struct {
            const char* word;
            double width;
            bool applies;
        } sides[] = {
            {"\\clbrdrt", f.topBorder(), firstRowOfCell},
            {"\\clbrdrl", f.leftBorder(), true},
            {"\\clbrdrb", f.bottomBorder(), lastRowOfCell},
            {"\\clbrdrr", f.rightBorder(), true},
        };
        for (const auto& side : sides) {
            const int tw = unitsToTwips(side.width);
            if (side.applies && tw > 0) {
                out += side.word;
                out += "\\brdrs";
                appendWord(out, "\\brdrw", tw);
            }
        }
        appendWord(out, "\\cellx", bounds.value(i + 1));
    }
    return out;
}

void write(const QTextTable* table, QByteArray& out, bool native,
           const std::function<void(const QTextBlock&)>& paragraph) {
    const QTextDocument* doc = table->document();
    for (int r = 0; r < table->rows(); ++r) {
        out += rowDefinition(table, r, native);
        out += '\n';
        for (const QTextTableCell& cell : rowCells(table, r)) {
            if (cell.row() != r) {
                out += "\\pard\\intbl\\cell\n";
                continue;
            }
            const int end = cell.lastPosition();
            bool first = true;
            for (QTextBlock b = doc->findBlock(cell.firstPosition());
                 b.isValid() && b.position() <= end; b = b.next()) {
                if (!first) out += "\\par\n";
                paragraph(b);
                first = false;
            }
            out += "\\cell\n";
        }
        out += "\\row\n";
    }
}

void Collector::trowd() {
    m_def = RowDef{};
    m_cell = CellDef{};
    m_side = -1;
    m_defStarted = true;
}

void Collector::trleft(int twips) {
    m_def.left = std::clamp(twips, -kMaxTwips, kMaxTwips);
}

void Collector::trrh(int twips) {
    m_def.height = std::clamp(twips, -kMaxTwips, kMaxTwips);
}

void Collector::cellx(int twips) {
    m_cell.right = std::clamp(twips, -kMaxTwips, 2 * kMaxTwips);
    if (m_def.cells.size() < MaxColumns) m_def.cells.append(m_cell);
    m_cell = CellDef{};
    m_side = -1;
}

void Collector::clbrdr(Side side) {
    m_side = side;
}

void Collector::brdrLine() {
    if (m_side >= 0 && m_cell.borders[m_side] == 0) m_cell.borders[m_side] = ThinBorderWidth;
}

void Collector::brdrw(int twips) {
    if (m_side >= 0 && m_cell.borders[m_side] > 0)
        m_cell.borders[m_side] = std::clamp(twips, 1, kMaxBorderTwips);
}

void Collector::brdrnone() {
    if (m_side >= 0) m_cell.borders[m_side] = 0;
}

void Collector::tztblbrdr(int border) {
    m_def.border = std::clamp(border, 0, 3);
}

void Collector::cellEnded(int index) {
    if (m_cellStart < 0) m_cellStart = index;
    if (!m_inTable) {
        m_inTable = true;
        m_table.firstParagraph = m_cellStart;
    }
    m_row.cells.append({m_cellStart, index});
    m_cellStart = -1;
}

void Collector::paragraphEnded(int index, bool inTable) {
    if (inTable) {
        if (m_cellStart < 0) m_cellStart = index;
        if (!m_inTable) {
            m_inTable = true;
            m_table.firstParagraph = m_cellStart;
        }
        return;
    }
    if (m_inTable) closeTable();
}

void Collector::rowEnded() {
    if (m_cellStart >= 0) {
        // Text after the row's last \cell belongs to that cell.
        if (m_row.cells.isEmpty()) m_row.cells.append({m_cellStart, m_cellStart});
        m_cellStart = -1;
    }
    if (m_row.cells.isEmpty()) return;
    m_row.def = m_def;
    m_table.lastParagraph = m_row.cells.last().second;
    m_table.rows.append(m_row);
    m_row = Row{};
    if (m_table.rows.size() >= MaxRows) closeTable();
}

void Collector::finish() {
    if (m_inTable) closeTable();
}

void Collector::closeTable() {
    if (m_cellStart >= 0) {
        m_row.cells.append({m_cellStart, m_cellStart});
        m_cellStart = -1;
    }
    if (!m_row.cells.isEmpty()) {
        m_row.def = m_def;
        m_table.lastParagraph = m_row.cells.last().second;
        m_table.rows.append(m_row);
        m_row = Row{};
    }
    if (!m_table.rows.isEmpty()) m_tables.append(m_table);
    m_table = Table{};
    m_inTable = false;
}

int borderStyleOf(const QList<RowDef>& rows) {
    bool any = false, inner = false, all = true;
    int widest = 0;
    for (int r = 0; r < rows.size(); ++r) {
        const QList<CellDef>& cells = rows[r].cells;
        for (int i = 0; i < cells.size(); ++i) {
            const CellDef& c = cells[i];
            const bool outer[4] = {r == 0, i == cells.size() - 1, r == rows.size() - 1, i == 0};
            for (int side = 0; side < 4; ++side) {
                if (c.borders[side] > 0) {
                    any = true;
                    widest = std::max(widest, c.borders[side]);
                    if (!outer[side]) inner = true;
                } else {
                    all = false;
                }
            }
        }
    }
    if (!any) return NoBorder;
    if (all || inner) return AllBorders;
    return widest >= 20 ? ThickOutline : Outline;
}

TableModel toModel(const Table& table, const std::function<CellParagraph(int)>& paragraph) {
    TableModel m;
    QList<RowDef> defs;
    for (const Row& row : table.rows) {
        TableRow out;
        out.height = row.def.height;
        int previous = 0;
        const int count = int(std::max(row.def.cells.size(), row.cells.size()));
        for (int i = 0; i < count; ++i) {
            CellDef def;
            if (i < row.def.cells.size()) {
                def = row.def.cells[i];
                def.right -= row.def.left;
            } else {
                const int width =
                    i > 0 ? previous - out.bound(int(out.cells.size()) - 1) : kDefaultCellWidth;
                def.right = previous + std::max(width, MinCellWidth);
            }
            def.right = std::clamp(def.right, previous + 20, previous + kMaxTwips);
            CellContent content;
            if (i < row.cells.size())
                for (int p = row.cells[i].first; p <= row.cells[i].second; ++p)
                    content.append(paragraph(p));
            // Cells merged across, and cells beyond the most a row may have, join the one before.
            if (!out.cells.isEmpty() && (def.hmerge == 2 || out.cells.size() >= MaxColumns)) {
                TableCell& into = out.cells.last();
                into.right = def.right;
                if (!contentIsEmpty(content)) into.content += content;
            } else {
                out.cells.append(TableCell{def.right, def.vmerge, content});
            }
            previous = def.right;
        }
        if (out.cells.isEmpty()) continue;
        m.rows.append(out);
        defs.append(row.def);
    }
    const int stated = table.rows.isEmpty() ? -1 : table.rows.first().def.border;
    m.border = stated >= 0 ? stated : borderStyleOf(defs);
    normalizeMerges(m);
    return m;
}

} // namespace RtfTables
