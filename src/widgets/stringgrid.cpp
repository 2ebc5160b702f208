#include "widgets/stringgrid.h"

#include <QHeaderView>
#include <QStyle>

StringGrid::StringGrid(int columns, QWidget* parent) : QTableWidget(0, columns, parent) {
    m_columnAlignment.fill(Qt::Alignment(), columns);
    m_columnColour.fill(QColor(), columns);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(8);
    verticalHeader()->setMinimumSectionSize(8);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWordWrap(false);
    setTabKeyNavigation(false);
    connect(this, &QTableWidget::cellPressed, this, [this](int row, int) { emit rowClicked(row); });
    // Moving with the keys chooses the row too, as a click does.
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
        if (hasFocus() && row != previous && row >= 0) emit rowClicked(row);
    });
}

int StringGrid::scaled(int width) const {
    // The widths were chosen for an 8 point sans font, whose digits are about 6 pixels.
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    return digit > 6 ? width * digit / 6 : width;
}

void StringGrid::setRows(int rows) {
    const int before = rowCount();
    setRowCount(rows);
    for (int r = before; r < rows; ++r)
        for (int c = 0; c < columnCount(); ++c)
            ensureItem(c, r);
}

QTableWidgetItem* StringGrid::itemAt(int column, int row) const {
    return item(row, column);
}

void StringGrid::styleNewItem(QTableWidgetItem* it, int column) {
    const Qt::Alignment a = m_columnAlignment.value(column);
    it->setTextAlignment(a ? a : m_defaultAlignment);
    if (m_columnColour.value(column).isValid()) it->setBackground(m_columnColour[column]);
    it->setFlags(Qt::ItemIsEnabled);
}

QTableWidgetItem* StringGrid::ensureItem(int column, int row) {
    if (QTableWidgetItem* it = itemAt(column, row)) return it;
    auto* it = new QTableWidgetItem;
    styleNewItem(it, column);
    setItem(row, column, it);
    return it;
}

QString StringGrid::cell(int column, int row) const {
    const QTableWidgetItem* it = itemAt(column, row);
    return it ? it->text() : QString();
}

void StringGrid::setCell(int column, int row, const QString& text) {
    if (column < 0 || column >= columnCount() || row < 0 || row >= rowCount()) return;
    ensureItem(column, row)->setText(text);
}

QList<QStringList> StringGrid::rowsOfText() const {
    QList<QStringList> out;
    for (int r = 0; r < rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < columnCount(); ++c)
            row << cell(c, r);
        out << row;
    }
    return out;
}

void StringGrid::setDefaultAlignment(Qt::Alignment alignment) {
    m_defaultAlignment = alignment | Qt::AlignVCenter;
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (!m_columnAlignment.value(c)) ensureItem(c, r)->setTextAlignment(m_defaultAlignment);
}

void StringGrid::setColumnAlignment(int column, Qt::Alignment alignment) {
    if (column < 0 || column >= m_columnAlignment.size()) return;
    m_columnAlignment[column] = alignment | Qt::AlignVCenter;
    for (int r = 0; r < rowCount(); ++r)
        ensureItem(column, r)->setTextAlignment(m_columnAlignment[column]);
}

void StringGrid::setCellAlignment(int column, int row, Qt::Alignment alignment) {
    if (column < 0 || column >= columnCount() || row < 0 || row >= rowCount()) return;
    ensureItem(column, row)->setTextAlignment(alignment | Qt::AlignVCenter);
}

Qt::Alignment StringGrid::cellAlignment(int column, int row) const {
    const QTableWidgetItem* it = itemAt(column, row);
    return it ? Qt::Alignment(it->textAlignment()) & Qt::AlignHorizontal_Mask : Qt::Alignment();
}

void StringGrid::setColumnColour(int column, const QColor& colour) {
    if (column < 0 || column >= m_columnColour.size()) return;
    m_columnColour[column] = colour;
    for (int r = 0; r < rowCount(); ++r)
        ensureItem(column, r)->setBackground(colour);
}

QColor StringGrid::cellColour(int column, int row) const {
    const QTableWidgetItem* it = itemAt(column, row);
    return it ? it->background().color() : QColor();
}

void StringGrid::setRowBold(int row, bool bold) {
    for (int c = 0; c < columnCount(); ++c)
        setCellBold(c, row, bold);
}

void StringGrid::setRowUnderlined(int row, bool underlined) {
    if (row < 0 || row >= rowCount()) return;
    for (int c = 0; c < columnCount(); ++c) {
        QTableWidgetItem* it = ensureItem(c, row);
        QFont f = it->font();
        f.setUnderline(underlined);
        it->setFont(f);
    }
}

void StringGrid::setCellBold(int column, int row, bool bold) {
    if (column < 0 || column >= columnCount() || row < 0 || row >= rowCount()) return;
    QTableWidgetItem* it = ensureItem(column, row);
    QFont f = it->font();
    f.setBold(bold);
    it->setFont(f);
}

bool StringGrid::cellBold(int column, int row) const {
    const QTableWidgetItem* it = itemAt(column, row);
    return it && it->font().bold();
}

void StringGrid::setColWidth(int column, int width) {
    setColumnWidth(column, scaled(width));
}

void StringGrid::setDefaultColWidth(int width) {
    horizontalHeader()->setDefaultSectionSize(scaled(width));
    for (int c = 0; c < columnCount(); ++c)
        setColumnWidth(c, scaled(width));
}

void StringGrid::setDefaultRowHeight(int height) {
    verticalHeader()->setDefaultSectionSize(qMax(height, fontMetrics().height() + 4));
}

bool StringGrid::fitColumns(int first, int last, const QString& sample) {
    if (m_givenWidths.isEmpty())
        for (int c = 0; c < columnCount(); ++c)
            m_givenWidths << columnWidth(c);
    // The item view's margins either side of the text and its grid line.
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 2;
    QFont bold = font();
    bold.setBold(true);
    const int least = sample.isEmpty() ? 0 : QFontMetrics(bold).horizontalAdvance(sample) + margins;
    bool changed = false;
    for (int c = std::max(first, 0); c <= last && c < columnCount(); ++c) {
        int wanted = std::max(m_givenWidths.value(c), least);
        for (int r = 0; r < rowCount(); ++r) {
            const QTableWidgetItem* it = itemAt(c, r);
            if (!it || it->text().isEmpty()) continue;
            const QFont f = it->font().resolve(font());
            wanted = std::max(wanted, QFontMetrics(f).horizontalAdvance(it->text()) + margins);
        }
        if (wanted != columnWidth(c)) {
            setColumnWidth(c, wanted);
            changed = true;
        }
    }
    return changed;
}

int StringGrid::contentWidth() const {
    int w = 2 * frameWidth();
    for (int c = 0; c < columnCount(); ++c)
        w += columnWidth(c);
    if (verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        w += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return w;
}

int StringGrid::heightForRows(int rows) const {
    return 2 * frameWidth() + rows * verticalHeader()->defaultSectionSize();
}

void StringGrid::setCurrentRow(int row) {
    if (row < 0 || row >= rowCount()) {
        setCurrentItem(nullptr);
        return;
    }
    setCurrentCell(row, 0,
                   selectionMode() == QAbstractItemView::NoSelection
                       ? QItemSelectionModel::NoUpdate
                       : QItemSelectionModel::ClearAndSelect);
    scrollToItem(item(row, 0));
}
