#pragma once

#include "sheetpainter.h"

#include <QAbstractScrollArea>
#include <QLineEdit>
#include <vector>

class SheetControl;

namespace Sheet {

// The grid of the spreadsheet control: headings, frozen rows and columns that stay while
// the rest scrolls (by whole rows and columns), the selection, and the in-place editor.
// The selection itself lives in the model's view settings.
class SheetView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit SheetView(SheetControl* control);

    int topRow() const { return m_topRow; }
    int leftCol() const { return m_leftCol; }
    void setTopRow(int row);
    void setLeftCol(int col);
    // Scrolls so that the cell shows (frozen cells always show).
    void ensureVisible(int row, int col);
    // The cell's rectangle in viewport coordinates; empty when it does not show.
    QRect cellRect(int row, int col) const;
    // The cell under a viewport point; false over the headings or beyond the sheet.
    bool cellAt(const QPoint& pos, int* row, int* col) const;
    int headingWidth() const;
    int headingHeight() const;

    // Starts editing the active cell. `replace`: typing started it, so arrow keys end the
    // edit and move; otherwise (F2, double click) they move the caret.
    void startEdit(const QString& text, bool replace);
    // Ends the edit, storing the text; false (and the edit goes on) when it is refused.
    bool commitEdit(bool force = false);
    void cancelEdit();
    bool isEditing() const { return m_editor->isVisible(); }
    QLineEdit* editor() const { return m_editor; }
    void setEditorText(const QString& text);
    // Sizes and limits changed: scroll ranges and the editor follow.
    void updateLayout();
    // The visible rows and columns, frozen first, placed in viewport pixels.
    std::vector<Span> visibleRows() const;
    std::vector<Span> visibleCols() const;

signals:
    void editorTextEdited(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    enum class Hit { None, Cell, ColumnHeading, RowHeading, Corner, ColumnEdge };
    Hit hitTest(const QPoint& pos, int* row, int* col) const;
    int firstScrollRow() const;
    int firstScrollCol() const;
    int maxTopRow() const;
    int maxLeftCol() const;
    void moveActive(int dRow, int dCol, bool extend);
    void moveTo(int row, int col, bool extend);
    void selectTo(int row, int col);
    void placeEditor();
    bool editorKey(QKeyEvent* event);
    void paintHeadings(QPainter& p, const std::vector<Span>& rows, const std::vector<Span>& cols);
    void paintSelection(QPainter& p, const std::vector<Span>& rows, const std::vector<Span>& cols);

    SheetControl* m_control;
    QLineEdit* m_editor;
    int m_topRow = 1;
    // A cell to bring into view once the view is shown with its real size.
    int m_pendingRow = 0, m_pendingCol = 0;
    int m_leftCol = 1;
    bool m_replaceEdit = false;
    bool m_updatingScrollBars = false;
    // Mouse drag: what it selects, or the column whose width it changes.
    enum class Drag { None, Cells, Rows, Columns, Width } m_drag = Drag::None;
    int m_dragCol = 0;
    int m_dragStartX = 0;
    int m_dragStartWidth = 0;
    int m_anchorRow = 1;
    int m_anchorCol = 1;
    int m_extendRow = 1;
    int m_extendCol = 1;
};

} // namespace Sheet
