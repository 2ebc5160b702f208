#pragma once

#include "printing/pageall.h"
#include "printing/pagegeometry.h"

#include <QDialog>
#include <QImage>

#include <functional>

class QAction;
class QLabel;
class QMenuBar;
class QScrollArea;
class QToolButton;
class PlanPrinting;
class TextControl;

// What the preview's page setup reaches beyond the preview: the page setup window, the
// budget sheet's print settings and the plan's unsaved-changes mark.
struct PreviewLinks {
    Tfrmpagesetupall* pageSetup = nullptr;
    std::function<SheetPrintSettings()> readSheet;
    std::function<void(const SheetPrintSettings&)> applySheet;
    std::function<void()> markChanged;
};

// The page shown, scaled smoothly to the widget's size.
class PagePicture : public QWidget {
    Q_OBJECT
public:
    explicit PagePicture(QWidget* parent = nullptr);
    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};

// The plan's print preview: one page at a time as it will print, with its footer.
class TfrmATXPrev : public QDialog {
    Q_OBJECT
public:
    explicit TfrmATXPrev(QWidget* parent = nullptr);

    // Shows the plan `text` on the page `geometry` describes; page setup inside the
    // preview changes `geometry`. Returns true when the user chose to print.
    bool Execute(TextControl& text, PlanPrinting& printing, PageGeometry& geometry,
                 const PreviewLinks& links);

    enum class Zoom { Fit, Actual, PageWidth };
    Zoom zoom() const { return m_zoom; }
    int CurrentPage = 1;
    int LastPage = 1;
    const PageGeometry& geometry() const { return m_geometry; }

    // Commands.
    void cmdFirstPageClick();
    void cmdPrevPageClick();
    void cmdNextPageClick();
    void cmdLastPageClick();
    void cmdZoomFitClick();
    void cmdZoom100Click();
    void cmdZoomPWClick();
    void cmdPageSetupClick();
    void cmdPrintClick();
    void cmdCloseClick();

    // Draws the current page into imgPrint and shows it.
    void Render();

    QMenuBar* MainMenu = nullptr;
    QToolButton* cmdFirstPage = nullptr;
    QToolButton* cmdPrevPage = nullptr;
    QToolButton* cmdNextPage = nullptr;
    QToolButton* cmdLastPage = nullptr;
    QToolButton* cmdZoomFit = nullptr;
    QToolButton* cmdZoom100 = nullptr;
    QToolButton* cmdZoomPW = nullptr;
    QToolButton* cmdPageSetup = nullptr;
    QToolButton* cmdPrint = nullptr;
    QToolButton* cmdClose = nullptr;
    QAction* mnuFirst = nullptr;
    QAction* mnuPrev = nullptr;
    QAction* mnuNext = nullptr;
    QAction* mnuLast = nullptr;
    QAction* mnuFit = nullptr;
    QAction* mnu100 = nullptr;
    QAction* mnuPW = nullptr;
    QAction* mnuPageSet = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuClose = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QWidget* Panel1 = nullptr;
    PagePicture* imgPreview = nullptr;
    QLabel* Panel2 = nullptr;
    // The whole page at screen resolution, drawn into by the print functions.
    QImage imgPrint;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormShow();
    void LayoutRecompute();
    void makePageImage();
    void applyZoom();
    void showZoom(Zoom zoom);
    void setNavigation(bool first, bool previous, bool next, bool last);
    void goToPage(int page);
    QSizeF printablePage() const;
    QSize clientSize() const;

    TextControl* m_text = nullptr;
    PlanPrinting* m_printing = nullptr;
    PreviewLinks m_links;
    PageGeometry m_geometry;
    Zoom m_zoom = Zoom::Actual;
    double m_ratio = 1;
    bool m_printChosen = false;
    bool m_shown = false;
};

extern TfrmATXPrev* frmATXPrev;
