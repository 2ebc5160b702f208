#include "sheetview.h"

#include "sheetcontrol.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

namespace Sheet {

namespace {
const QColor kHeadingFill(0xEE, 0xEE, 0xEE);
const QColor kHeadingActive(0xD6, 0xDE, 0xEA);
const QColor kHeadingLine(0xB8, 0xB8, 0xB8);
const QColor kOutside(0xA8, 0xA8, 0xA8);
const QColor kSelection(0x33, 0x66, 0xCC);
const QColor kFrozenLine(0x70, 0x70, 0x70);
} // namespace

SheetView::SheetView(SheetControl* control) : QAbstractScrollArea(control), m_control(control) {
    setObjectName(QStringLiteral("sheetView"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_editor = new QLineEdit(viewport());
    m_editor->setObjectName(QStringLiteral("cellEditor"));
    m_editor->setFrame(false);
    m_editor->hide();
    m_editor->installEventFilter(this);
    connect(m_editor, &QLineEdit::textEdited, this, &SheetView::editorTextEdited);
}

int SheetView::headingHeight() const {
    return fontMetrics().height() + 6;
}

int SheetView::headingWidth() const {
    const int maxRow = m_control->model().view().maxRow;
    return qMax(36, fontMetrics().horizontalAdvance(QString::number(maxRow)) + 14);
}

int SheetView::firstScrollRow() const {
    return m_control->model().view().fixedRows + 1;
}

int SheetView::firstScrollCol() const {
    return m_control->model().view().fixedCols + 1;
}

// The last top row that still fills the view down to MaxRow.
int SheetView::maxTopRow() const {
    const SheetModel& m = m_control->model();
    const ViewSettings& v = m.view();
    int avail = viewport()->height() - headingHeight();
    for (int r = 1; r <= v.fixedRows; ++r) avail -= m.rowHeight(r);
    int top = v.maxRow;
    int used = m.rowHeight(top);
    while (top > firstScrollRow() && used + m.rowHeight(top - 1) <= avail) used += m.rowHeight(--top);
    return qMax(firstScrollRow(), top);
}

int SheetView::maxLeftCol() const {
    const SheetModel& m = m_control->model();
    const ViewSettings& v = m.view();
    int avail = viewport()->width() - headingWidth();
    for (int c = 1; c <= v.fixedCols; ++c) avail -= m.columnWidth(c);
    int left = v.maxCol;
    int used = m.columnWidth(left);
    while (left > firstScrollCol() && used + m.columnWidth(left - 1) <= avail) used += m.columnWidth(--left);
    return qMax(firstScrollCol(), left);
}

void SheetView::updateLayout() {
    m_updatingScrollBars = true;
    const int topMax = maxTopRow(), leftMax = maxLeftCol();
    m_topRow = qBound(firstScrollRow(), m_topRow, topMax);
    m_leftCol = qBound(firstScrollCol(), m_leftCol, leftMax);
    verticalScrollBar()->setRange(0, topMax - firstScrollRow());
    verticalScrollBar()->setPageStep(qMax(1, viewport()->height() / qMax(1, m_control->model().view().defaultRowHeight) - 2));
    verticalScrollBar()->setValue(m_topRow - firstScrollRow());
    horizontalScrollBar()->setRange(0, leftMax - firstScrollCol());
    horizontalScrollBar()->setPageStep(qMax(1, viewport()->width() / qMax(1, m_control->model().view().defaultColumnWidth) - 1));
    horizontalScrollBar()->setValue(m_leftCol - firstScrollCol());
    m_updatingScrollBars = false;
    placeEditor();
    viewport()->update();
}

void SheetView::setTopRow(int row) {
    m_topRow = row;
    updateLayout();
}

void SheetView::setLeftCol(int col) {
    m_leftCol = col;
    updateLayout();
}

void SheetView::scrollContentsBy(int, int) {
    if (m_updatingScrollBars) return;
    m_topRow = firstScrollRow() + verticalScrollBar()->value();
    m_leftCol = firstScrollCol() + horizontalScrollBar()->value();
    placeEditor();
    viewport()->update();
}

void SheetView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateLayout();
    if (m_pendingRow > 0 && isVisible()) ensureVisible(m_pendingRow, m_pendingCol);
}

void SheetView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    if (m_pendingRow > 0) ensureVisible(m_pendingRow, m_pendingCol);
}

std::vector<Span> SheetView::visibleRows() const {
    const SheetModel& m = m_control->model();
    const ViewSettings& v = m.view();
    std::vector<Span> out;
    double y = headingHeight();
    const int bottom = viewport()->height();
    for (int r = 1; r <= v.fixedRows && r <= v.maxRow && y < bottom; ++r) {
        out.push_back({r, y, double(m.rowHeight(r))});
        y += m.rowHeight(r);
    }
    for (int r = m_topRow; r <= v.maxRow && y < bottom; ++r) {
        out.push_back({r, y, double(m.rowHeight(r))});
        y += m.rowHeight(r);
    }
    return out;
}

std::vector<Span> SheetView::visibleCols() const {
    const SheetModel& m = m_control->model();
    const ViewSettings& v = m.view();
    std::vector<Span> out;
    double x = headingWidth();
    const int right = viewport()->width();
    for (int c = 1; c <= v.fixedCols && c <= v.maxCol && x < right; ++c) {
        out.push_back({c, x, double(m.columnWidth(c))});
        x += m.columnWidth(c);
    }
    for (int c = m_leftCol; c <= v.maxCol && x < right; ++c) {
        out.push_back({c, x, double(m.columnWidth(c))});
        x += m.columnWidth(c);
    }
    return out;
}

QRect SheetView::cellRect(int row, int col) const {
    QRect out;
    for (const Span& r : visibleRows())
        if (r.index == row)
            for (const Span& c : visibleCols())
                if (c.index == col) out = QRect(int(c.pos), int(r.pos), int(c.size), int(r.size));
    return out;
}

SheetView::Hit SheetView::hitTest(const QPoint& pos, int* row, int* col) const {
    const int hw = headingWidth(), hh = headingHeight();
    *row = *col = 0;
    const auto rows = visibleRows();
    const auto cols = visibleCols();
    for (const Span& r : rows)
        if (pos.y() >= r.pos && pos.y() < r.pos + r.size) *row = r.index;
    for (const Span& c : cols) {
        if (pos.x() >= c.pos && pos.x() < c.pos + c.size) *col = c.index;
        if (pos.y() < hh && qAbs(pos.x() - (c.pos + c.size)) <= 3) {
            *col = c.index;
            return Hit::ColumnEdge;
        }
    }
    if (pos.x() < hw && pos.y() < hh) return Hit::Corner;
    if (pos.y() < hh) return *col ? Hit::ColumnHeading : Hit::None;
    if (pos.x() < hw) return *row ? Hit::RowHeading : Hit::None;
    return *row && *col ? Hit::Cell : Hit::None;
}

bool SheetView::cellAt(const QPoint& pos, int* row, int* col) const {
    return hitTest(pos, row, col) == Hit::Cell;
}

void SheetView::ensureVisible(int row, int col) {
    // A hidden view's size is the one it had when last shown (or none): scrolling by it
    // would leave the sheet oddly scrolled when it appears. The cell is brought into view
    // once the view is shown.
    if (!isVisible()) {
        m_pendingRow = row;
        m_pendingCol = col;
        return;
    }
    m_pendingRow = m_pendingCol = 0;
    const SheetModel& m = m_control->model();
    const ViewSettings& v = m.view();
    bool changed = false;
    if (row > v.fixedRows) {
        if (row < m_topRow) {
            m_topRow = row;
            changed = true;
        } else {
            int avail = viewport()->height() - headingHeight();
            for (int r = 1; r <= v.fixedRows; ++r) avail -= m.rowHeight(r);
            int used = 0;
            for (int r = m_topRow; r <= row; ++r) used += m.rowHeight(r);
            while (used > avail && m_topRow < row) {
                used -= m.rowHeight(m_topRow++);
                changed = true;
            }
        }
    }
    if (col > v.fixedCols) {
        if (col < m_leftCol) {
            m_leftCol = col;
            changed = true;
        } else {
            int avail = viewport()->width() - headingWidth();
            for (int c = 1; c <= v.fixedCols; ++c) avail -= m.columnWidth(c);
            int used = 0;
            for (int c = m_leftCol; c <= col; ++c) used += m.columnWidth(c);
            while (used > avail && m_leftCol < col) {
                used -= m.columnWidth(m_leftCol++);
                changed = true;
            }
        }
    }
    if (changed) updateLayout();
}

// ---------------------------------------------------------------- painting

void SheetView::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const SheetModel& m = m_control->model();
    const ViewSettings& v = m.view();
    p.fillRect(viewport()->rect(), kOutside);
    const auto rows = visibleRows();
    const auto cols = visibleCols();
    CellPaintOptions o;
    o.gridLines = v.showGridLines;
    // The four panes: frozen corner, frozen rows, frozen columns, and the rest.
    std::vector<Span> rowParts[2], colParts[2];
    for (const Span& r : rows) rowParts[r.index <= v.fixedRows ? 0 : 1].push_back(r);
    for (const Span& c : cols) colParts[c.index <= v.fixedCols ? 0 : 1].push_back(c);
    for (auto& rp : rowParts)
        for (auto& cp : colParts) {
            if (rp.empty() || cp.empty()) continue;
            p.save();
            p.setClipRect(QRectF(cp.front().pos, rp.front().pos, cp.back().pos + cp.back().size - cp.front().pos,
                                 rp.back().pos + rp.back().size - rp.front().pos));
            paintCells(p, m, rp, cp, o);
            p.restore();
        }
    paintSelection(p, rows, cols);
    paintHeadings(p, rows, cols);
    // Lines where the frozen rows and columns end.
    p.setPen(QPen(kFrozenLine, 1));
    if (!rowParts[0].empty() && !cols.empty()) {
        const int y = int(rowParts[0].back().pos + rowParts[0].back().size);
        p.drawLine(0, y, int(cols.back().pos + cols.back().size), y);
    }
    if (!colParts[0].empty() && !rows.empty()) {
        const int x = int(colParts[0].back().pos + colParts[0].back().size);
        p.drawLine(x, 0, x, int(rows.back().pos + rows.back().size));
    }
}

void SheetView::paintHeadings(QPainter& p, const std::vector<Span>& rows, const std::vector<Span>& cols) {
    const ViewSettings& v = m_control->model().view();
    const CellRange sel = v.selection;
    const int hw = headingWidth(), hh = headingHeight();
    p.setFont(font());
    auto heading = [&](const QRectF& r, const QString& text, bool active) {
        p.fillRect(r, active ? kHeadingActive : kHeadingFill);
        p.setPen(kHeadingLine);
        p.drawLine(r.topRight(), r.bottomRight());
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.setPen(active ? QColor(0x20, 0x20, 0x20) : QColor(0x50, 0x50, 0x50));
        p.drawText(r, Qt::AlignCenter, text);
    };
    for (const Span& c : cols)
        heading(QRectF(c.pos, 0, c.size, hh), columnName(c.index), c.index >= sel.col1 && c.index <= sel.col2);
    for (const Span& r : rows)
        heading(QRectF(0, r.pos, hw, r.size), QString::number(r.index), r.index >= sel.row1 && r.index <= sel.row2);
    heading(QRectF(0, 0, hw, hh), QString(), false);
}

void SheetView::paintSelection(QPainter& p, const std::vector<Span>& rows, const std::vector<Span>& cols) {
    const ViewSettings& v = m_control->model().view();
    const CellRange sel = v.selection;
    // Each pane draws its part of the selection, so that frozen and scrolled parts join.
    const bool focused = hasFocus() || isEditing();
    QColor fill = kSelection;
    fill.setAlpha(40);
    for (int rp = 0; rp < 2; ++rp)
        for (int cp = 0; cp < 2; ++cp) {
            double x1 = 1e9, x2 = -1, y1 = 1e9, y2 = -1;
            for (const Span& r : rows)
                if ((r.index <= v.fixedRows) == (rp == 0) && r.index >= sel.row1 && r.index <= sel.row2)
                    y1 = qMin(y1, r.pos), y2 = qMax(y2, r.pos + r.size);
            for (const Span& c : cols)
                if ((c.index <= v.fixedCols) == (cp == 0) && c.index >= sel.col1 && c.index <= sel.col2)
                    x1 = qMin(x1, c.pos), x2 = qMax(x2, c.pos + c.size);
            if (x2 < 0 || y2 < 0) continue;
            if (!sel.isSingleCell()) p.fillRect(QRectF(x1, y1, x2 - x1, y2 - y1), fill);
        }
    // The active cell keeps its white face; the selection's outline goes round it all.
    const QRect active = cellRect(v.activeRow, v.activeCol);
    if (!active.isEmpty() && !sel.isSingleCell()) {
        p.save();
        p.setClipRect(active.adjusted(1, 1, -1, -1));
        paintCells(p, m_control->model(), {{v.activeRow, double(active.y()), double(active.height())}},
                   {{v.activeCol, double(active.x()), double(active.width())}}, CellPaintOptions{1, false});
        p.restore();
    }
    double x1 = 1e9, x2 = -1, y1 = 1e9, y2 = -1;
    for (const Span& r : rows)
        if (r.index >= sel.row1 && r.index <= sel.row2) y1 = qMin(y1, r.pos), y2 = qMax(y2, r.pos + r.size);
    for (const Span& c : cols)
        if (c.index >= sel.col1 && c.index <= sel.col2) x1 = qMin(x1, c.pos), x2 = qMax(x2, c.pos + c.size);
    if (x2 >= 0 && y2 >= 0) {
        p.save();
        p.setClipRect(QRect(headingWidth(), headingHeight(), viewport()->width(), viewport()->height()));
        p.setPen(QPen(focused ? kSelection : QColor(0x80, 0x80, 0x80), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(x1, y1, x2 - x1, y2 - y1).adjusted(1, 1, -1, -1));
        p.restore();
    }
}

// ---------------------------------------------------------------- selection

void SheetView::moveTo(int row, int col, bool extend) {
    const ViewSettings& v = m_control->model().view();
    row = qBound(1, row, v.maxRow);
    col = qBound(1, col, v.maxCol);
    if (extend) {
        m_extendRow = row;
        m_extendCol = col;
        m_control->selectRange(CellRange{v.activeRow, v.activeCol, row, col}.normalized(), v.activeRow, v.activeCol);
    } else {
        m_extendRow = row;
        m_extendCol = col;
        m_control->selectRange(CellRange::cell(row, col), row, col);
    }
    ensureVisible(row, col);
}

void SheetView::moveActive(int dRow, int dCol, bool extend) {
    const ViewSettings& v = m_control->model().view();
    if (extend) moveTo(m_extendRow + dRow, m_extendCol + dCol, true);
    else moveTo(v.activeRow + dRow, v.activeCol + dCol, false);
}

void SheetView::selectTo(int row, int col) {
    const ViewSettings& v = m_control->model().view();
    row = qBound(1, row, v.maxRow);
    col = qBound(1, col, v.maxCol);
    CellRange r{m_anchorRow, m_anchorCol, row, col};
    if (m_drag == Drag::Rows) r = {m_anchorRow, 1, row, v.maxCol};
    if (m_drag == Drag::Columns) r = {1, m_anchorCol, v.maxRow, col};
    m_extendRow = row;
    m_extendCol = col;
    m_control->selectRange(r.normalized(), v.activeRow, v.activeCol);
}

// ---------------------------------------------------------------- mouse

bool SheetView::event(QEvent* event) {
    // Tab moves between cells, not out of the sheet.
    if (event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        if ((ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) &&
            !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(ke);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

bool SheetView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::MouseMove && m_drag == Drag::None) {
        int row, col;
        const auto* me = static_cast<QMouseEvent*>(event);
        const bool edge = hitTest(me->position().toPoint(), &row, &col) == Hit::ColumnEdge &&
                          !m_control->model().view().protection;
        viewport()->setCursor(edge ? Qt::SplitHCursor : Qt::ArrowCursor);
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void SheetView::mousePressEvent(QMouseEvent* event) {
    if (isEditing() && !commitEdit()) return;
    setFocus(Qt::MouseFocusReason);
    int row, col;
    const Hit hit = hitTest(event->position().toPoint(), &row, &col);
    const ViewSettings& v = m_control->model().view();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool right = event->button() == Qt::RightButton;
    switch (hit) {
    case Hit::Cell:
        if (right) {
            // The menu acts where the user points: a press outside the selection moves it.
            if (!v.selection.contains(row, col)) moveTo(row, col, false);
        } else if (shift) {
            m_anchorRow = v.activeRow;
            m_anchorCol = v.activeCol;
            m_drag = Drag::Cells;
            selectTo(row, col);
        } else {
            m_anchorRow = row;
            m_anchorCol = col;
            m_drag = Drag::Cells;
            moveTo(row, col, false);
        }
        break;
    case Hit::RowHeading:
        if (!right || !(row >= v.selection.row1 && row <= v.selection.row2)) {
            m_drag = right ? Drag::None : Drag::Rows;
            if (!shift) {
                m_anchorRow = row;
                m_anchorCol = 1;
                m_control->selectRange(CellRange{row, 1, row, v.maxCol}, row, qMin(v.activeCol, v.maxCol));
            } else {
                m_drag = Drag::Rows;
                selectTo(row, v.maxCol);
            }
        }
        break;
    case Hit::ColumnHeading:
        if (!right || !(col >= v.selection.col1 && col <= v.selection.col2)) {
            m_drag = right ? Drag::None : Drag::Columns;
            if (!shift) {
                m_anchorRow = 1;
                m_anchorCol = col;
                m_control->selectRange(CellRange{1, col, v.maxRow, col}, qMin(v.activeRow, v.maxRow), col);
            } else {
                m_drag = Drag::Columns;
                selectTo(v.maxRow, col);
            }
        }
        break;
    case Hit::Corner:
        m_control->selectRange(CellRange{1, 1, v.maxRow, v.maxCol}, v.activeRow, v.activeCol);
        break;
    case Hit::ColumnEdge:
        if (!v.protection && !right) {
            m_drag = Drag::Width;
            m_dragCol = col;
            m_dragStartX = int(event->position().x());
            m_dragStartWidth = m_control->model().columnWidth(col);
        }
        break;
    case Hit::None: break;
    }
    if (m_drag == Drag::Width || m_drag == Drag::Rows || m_drag == Drag::Columns) {
        // Heading drags extend from where they began.
    }
    const QPoint at = viewport()->mapTo(m_control, event->position().toPoint());
    emit m_control->MouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void SheetView::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag == Drag::None || !(event->buttons() & Qt::LeftButton)) return;
    const QPoint pos = event->position().toPoint();
    if (m_drag == Drag::Width) {
        m_control->model().setColumnWidth(m_dragCol, qMax(4, m_dragStartWidth + pos.x() - m_dragStartX));
        return;
    }
    // Past the edges the sheet scrolls a step at a time.
    if (pos.y() >= viewport()->height() && verticalScrollBar()->value() < verticalScrollBar()->maximum())
        verticalScrollBar()->setValue(verticalScrollBar()->value() + 1);
    if (pos.x() >= viewport()->width() && horizontalScrollBar()->value() < horizontalScrollBar()->maximum())
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + 1);
    const QPoint clamped(qBound(headingWidth(), pos.x(), viewport()->width() - 1),
                         qBound(headingHeight(), pos.y(), viewport()->height() - 1));
    int row, col;
    hitTest(clamped, &row, &col);
    const ViewSettings& v = m_control->model().view();
    if (!row) row = pos.y() < headingHeight() ? v.selection.row1 : m_extendRow;
    if (!col) col = pos.x() < headingWidth() ? v.selection.col1 : m_extendCol;
    if (m_drag == Drag::Rows) col = v.maxCol;
    if (m_drag == Drag::Columns) row = v.maxRow;
    if (row != m_extendRow || col != m_extendCol) selectTo(row, col);
}

void SheetView::mouseReleaseEvent(QMouseEvent*) {
    m_drag = Drag::None;
}

void SheetView::mouseDoubleClickEvent(QMouseEvent* event) {
    int row, col;
    if (event->button() == Qt::LeftButton && hitTest(event->position().toPoint(), &row, &col) == Hit::Cell) {
        m_drag = Drag::None;
        const ViewSettings& v = m_control->model().view();
        startEdit(m_control->CellEntry(v.activeRow, v.activeCol), false);
    }
}

void SheetView::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 40;
    if (event->modifiers() & Qt::ShiftModifier)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - steps);
    else
        verticalScrollBar()->setValue(verticalScrollBar()->value() - steps);
    event->accept();
}

// ---------------------------------------------------------------- keys and editing

void SheetView::keyPressEvent(QKeyEvent* event) {
    const ViewSettings& v = m_control->model().view();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool arrows = v.allowArrows;
    if (event->matches(QKeySequence::Copy)) {
        m_control->Copy();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        m_control->Paste();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        m_control->Cut();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (!arrows) break;
        if (ctrl) {
            // To the sheet's edge in that direction.
            const int row = event->key() == Qt::Key_Up ? 1 : event->key() == Qt::Key_Down ? v.maxRow : v.activeRow;
            const int col = event->key() == Qt::Key_Left ? 1 : event->key() == Qt::Key_Right ? v.maxCol : v.activeCol;
            moveTo(row, col, shift);
        } else {
            moveActive(event->key() == Qt::Key_Up ? -1 : event->key() == Qt::Key_Down ? 1 : 0,
                       event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0, shift);
        }
        return;
    case Qt::Key_PageDown:
    case Qt::Key_PageUp: {
        const int step = qMax(1, verticalScrollBar()->pageStep());
        moveActive(event->key() == Qt::Key_PageDown ? step : -step, 0, shift);
        return;
    }
    case Qt::Key_Home:
        moveTo(ctrl ? 1 : v.activeRow, 1, shift);
        // A1 may stand in the frozen rows or columns, which never scroll: the rest of the
        // sheet goes back to its start as well, as the key promises.
        if (ctrl && isVisible() &&
            (m_topRow != firstScrollRow() || m_leftCol != firstScrollCol())) {
            m_topRow = firstScrollRow();
            m_leftCol = firstScrollCol();
            updateLayout();
        }
        return;
    case Qt::Key_End: {
        const CellRange used = m_control->model().usedRange();
        moveTo(ctrl ? qMax(1, used.row2) : v.activeRow, qMax(1, used.col2), shift);
        return;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        moveActive(shift ? -1 : 1, 0, false);
        return;
    case Qt::Key_Tab:
        moveActive(0, 1, false);
        return;
    case Qt::Key_Backtab:
        moveActive(0, -1, false);
        return;
    case Qt::Key_F2:
        startEdit(m_control->CellEntry(v.activeRow, v.activeCol), false);
        return;
    case Qt::Key_Delete:
        m_control->Clear(SheetControl::ClearContents);
        return;
    case Qt::Key_Backspace:
        startEdit(QString(), true);
        return;
    default: break;
    }
    const QString text = event->text();
    if (!ctrl && !text.isEmpty() && text[0].isPrint()) {
        startEdit(text, true);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void SheetView::startEdit(const QString& text, bool replace) {
    const ViewSettings& v = m_control->model().view();
    if (m_control->refuseIfLocked(CellRange::cell(v.activeRow, v.activeCol))) return;
    ensureVisible(v.activeRow, v.activeCol);
    m_replaceEdit = replace;
    const CellFormat& f = m_control->model().format(v.activeRow, v.activeCol);
    QFont font = cellFont(f, 1);
    font.setUnderline(false);
    font.setStrikeOut(false);
    m_editor->setFont(font);
    m_editor->setText(text);
    m_editor->setCursorPosition(int(text.size()));
    placeEditor();
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
    emit editorTextEdited(text);
}

void SheetView::setEditorText(const QString& text) {
    if (m_editor->text() != text) m_editor->setText(text);
}

void SheetView::placeEditor() {
    const ViewSettings& v = m_control->model().view();
    QRect r = cellRect(v.activeRow, v.activeCol);
    if (r.isEmpty()) {
        if (isEditing()) m_editor->setGeometry(-1000, -1000, 10, 10);
        return;
    }
    const int wanted = m_editor->fontMetrics().horizontalAdvance(m_editor->text()) + 12;
    r.setWidth(qMin(qMax(r.width(), wanted), qMax(r.width(), viewport()->width() - r.x())));
    m_editor->setGeometry(r.adjusted(1, 1, -1, -1));
}

bool SheetView::commitEdit(bool force) {
    if (!isEditing()) return true;
    const ViewSettings& v = m_control->model().view();
    if (!m_control->commitEntry(v.activeRow, v.activeCol, m_editor->text(), force)) {
        m_editor->setFocus();
        return false;
    }
    m_editor->hide();
    if (!force) setFocus(Qt::OtherFocusReason);
    viewport()->update();
    return true;
}

void SheetView::cancelEdit() {
    if (!isEditing()) return;
    m_editor->hide();
    setFocus(Qt::OtherFocusReason);
    m_control->syncEditBar();
    viewport()->update();
}

bool SheetView::editorKey(QKeyEvent* event) {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (commitEdit()) moveActive(shift ? -1 : 1, 0, false);
        return true;
    case Qt::Key_Tab:
        if (commitEdit()) moveActive(0, 1, false);
        return true;
    case Qt::Key_Backtab:
        if (commitEdit()) moveActive(0, -1, false);
        return true;
    case Qt::Key_Escape:
        cancelEdit();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!m_control->model().view().allowArrows) return m_replaceEdit;
        if (commitEdit()) moveActive(event->key() == Qt::Key_Up ? -1 : 1, 0, false);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (!m_replaceEdit || !m_control->model().view().allowArrows) return false;
        if (commitEdit()) moveActive(0, event->key() == Qt::Key_Left ? -1 : 1, false);
        return true;
    default: return false;
    }
}

bool SheetView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_editor) {
        if (event->type() == QEvent::KeyPress && editorKey(static_cast<QKeyEvent*>(event))) return true;
        if (event->type() == QEvent::ShortcutOverride) {
            // Enter, Tab and Escape belong to the edit, not to the window's shortcuts.
            auto* ke = static_cast<QKeyEvent*>(event);
            if (ke->key() == Qt::Key_Escape || ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
                event->accept();
                return true;
            }
        }
        if (event->type() == QEvent::KeyRelease) placeEditor();
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

} // namespace Sheet
