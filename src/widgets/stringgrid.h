#pragma once

#include <QColor>
#include <QList>
#include <QStringList>
#include <QTableWidget>

// A grid of text cells addressed as (column, row), without headings, for the analysis
// windows: per-column colours and default alignment, per-row bold, per-cell alignment
// and bold. Cells that rows added later bring take their column's colour and alignment,
// so a grid can be refilled row by row without painting gaps.
class StringGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit StringGrid(int columns, QWidget* parent = nullptr);

    int colCount() const { return columnCount(); }
    void setRows(int rows);

    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString& text);
    // The cells row by row; cells beyond the grid read as empty.
    QList<QStringList> rowsOfText() const;

    void setDefaultAlignment(Qt::Alignment alignment);
    void setColumnAlignment(int column, Qt::Alignment alignment);
    void setCellAlignment(int column, int row, Qt::Alignment alignment);
    Qt::Alignment cellAlignment(int column, int row) const;
    void setColumnColour(int column, const QColor& colour);
    QColor cellColour(int column, int row) const;
    void setRowBold(int row, bool bold);
    void setRowUnderlined(int row, bool underlined);
    void setCellBold(int column, int row, bool bold);
    bool cellBold(int column, int row) const;

    // Widths are given for the program's usual font and widened when the font is larger,
    // so that numbers fit; the row height likewise.
    void setColWidth(int column, int width);
    void setDefaultColWidth(int width);
    void setDefaultRowHeight(int height);
    // Widens columns first..last so that each shows its widest cell whole, in the cell's
    // own font, and at least `sample` in bold; a column never goes below the width it
    // was given before the first fitting. Returns whether any width changed.
    bool fitColumns(int first, int last, const QString& sample = QString());
    // The width the columns take together, with the frame (and the scroll bar if shown).
    int contentWidth() const;
    // The height n rows take, with the frame.
    int heightForRows(int rows) const;

    // The row the grid is on (the factor chosen), -1 for none.
    void setCurrentRow(int row);

signals:
    // A cell was clicked, or the keys moved to another row: the row.
    void rowClicked(int row);

private:
    QTableWidgetItem* itemAt(int column, int row) const;
    QTableWidgetItem* ensureItem(int column, int row);
    void styleNewItem(QTableWidgetItem* item, int column);
    int scaled(int width) const;

    Qt::Alignment m_defaultAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    QList<Qt::Alignment> m_columnAlignment; // 0 means the default
    QList<QColor> m_columnColour;
    QList<int> m_givenWidths; // the widths before the first fitting
};
