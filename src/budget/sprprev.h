#pragma once

#include <QDialog>
#include <QPointer>
#include <QSize>
#include <QSizeF>
#include <functional>

class QAction;
class QLabel;
class QMenuBar;
class QScrollBar;
class QToolButton;
class SheetControl;
class ToolPanel;

// The budget's printout, one page at a time, drawn by the sheet itself: page moves, three
// zooms with scroll bars, page setup and printing.
class TfrmSpreadPrev : public QDialog {
    Q_OBJECT
public:
    enum Zoom { ZoomFit, Zoom100, ZoomPageWidth };

    explicit TfrmSpreadPrev(QWidget* parent = nullptr);
    ~TfrmSpreadPrev() override;

    void setSheet(SheetControl* sheet);
    // The main window's page setup, and its printing of the budget.
    std::function<void()> onPageSetup;
    std::function<void()> onPrint;

    // The page panel's size for a zoom: `paper` is the portrait sheet of paper in inches,
    // `area` the drawing area's client size, `ppi` the screen's pixels per inch.
    static QSize pageSize(Zoom zoom, bool landscape, const QSizeF& paper, const QSize& area,
                          double ppi);

    void FormShow();
    void Redraw();
    void cmdFirstPageClick();
    void cmdPrevPageClick();
    void cmdNextPageClick();
    void cmdLastPageClick();
    void mnuPageSetClick();
    void mnuPrintClick();
    void SetZoom(Zoom zoom);

    Zoom zoom() const { return m_zoom; }
    int currentPage() const { return m_page; }
    int pageCount() const { return m_pageCount; }
    bool busy() const { return m_busy; }

    ToolPanel* docStandard;
    QToolButton* cmdFirstPage;
    QToolButton* cmdPrevPage;
    QToolButton* cmdNextPage;
    QToolButton* cmdLastPage;
    QToolButton* cmdPageSetup;
    QToolButton* cmdZoomFit;
    QToolButton* cmdZoom100;
    QToolButton* cmdZoomPW;
    QToolButton* cmdPrint;
    QToolButton* cmdClose;
    QLabel* Panel2;   // "Page 1 of 3"
    QWidget* Panel4;  // the drawing area
    QWidget* imgPreview;
    QWidget* Panel1;  // holds the horizontal scroll bar
    QScrollBar* hs1;
    QWidget* Panel3;  // holds the vertical scroll bar
    QScrollBar* vs1;

    QAction* mnuPrint;
    QAction* mnuPageSet;
    QAction* mnuClose;
    QAction* mnuZoomFit;
    QAction* mnuZoom100;
    QAction* mnuZoomPW;
    QAction* mnuFirst;
    QAction* mnuPrevious;
    QAction* mnuNext;
    QAction* mnuLast;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class PagePanel;
    friend class PagePanel;
    void measurePaper();
    void goToPage(int page);
    void paintPage(QWidget* panel);
    QToolButton* toolButton(const QString& name, const QString& text, const QString& hint);

    QPointer<SheetControl> m_sheet;
    QSizeF m_paper{8.27, 11.69};
    Zoom m_zoom = ZoomFit;
    int m_page = 1;
    int m_pageCount = 1;
    bool m_busy = true;
};
extern TfrmSpreadPrev* frmSpreadPrev;
