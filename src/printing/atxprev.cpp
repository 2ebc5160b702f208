#include "printing/atxprev.h"

#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "platform/helpsystem.h"
#include "platform/printerinfo.h"
#include "platform/repaintlock.h"
#include "printing/planprint.h"
#include "widgets/toolglyphs.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

TfrmATXPrev* frmATXPrev = nullptr;

namespace {

constexpr int kHelpContext = 32;

int roundToInt(double v) {
    return int(std::lround(v));
}

// Holds the hourglass up for a piece of work, whatever way it ends.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

// --- The page picture ---------------------------------------------------------------------

PagePicture::PagePicture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PagePicture::setImage(const QImage& image) {
    m_image = image;
    update();
}

void PagePicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    if (m_image.isNull()) {
        p.fillRect(r, Qt::white);
    } else {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(r, m_image);
    }
    p.setPen(QColor(64, 64, 64));
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

// --- The window ---------------------------------------------------------------------------

TfrmATXPrev::TfrmATXPrev(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfrmATXPrev"));
    setWindowTitle(QStringLiteral("Print Preview"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setMinimumSize(320, 240);
    setSizeGripEnabled(true);

    auto action = [this](QMenu* menu, const char* name, const QString& caption,
                         void (TfrmATXPrev::*handler)(), const QKeySequence& keys = {}) {
        auto* a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(name));
        if (!keys.isEmpty()) a->setShortcut(keys);
        menu->addAction(a);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    QMenu* file = MainMenu->addMenu(QStringLiteral("&File"));
    mnuPageSet = action(file, "mnuPageSet", QStringLiteral("Page Set&up..."),
                        &TfrmATXPrev::cmdPageSetupClick);
    mnuPrint = action(file, "mnuPrint", QStringLiteral("&Print"), &TfrmATXPrev::cmdPrintClick,
                      QKeySequence(Qt::CTRL | Qt::Key_P));
    file->addSeparator();
    mnuClose = action(file, "mnuClose", QStringLiteral("&Close"), &TfrmATXPrev::cmdCloseClick);
    QMenu* view = MainMenu->addMenu(QStringLiteral("&View"));
    mnuFit = action(view, "mnuFit", QStringLiteral("Zoom To &Fit"), &TfrmATXPrev::cmdZoomFitClick);
    mnu100 = action(view, "mnu100", QStringLiteral("Zoom &100%"), &TfrmATXPrev::cmdZoom100Click);
    mnuPW = action(view, "mnuPW", QStringLiteral("Zoom Page &Width"),
                   &TfrmATXPrev::cmdZoomPWClick);
    for (QAction* a : {mnuFit, mnu100, mnuPW})
        a->setCheckable(true);
    QMenu* pages = MainMenu->addMenu(QStringLiteral("&Page"));
    mnuFirst = action(pages, "mnuFirst", QStringLiteral("&First Page"),
                      &TfrmATXPrev::cmdFirstPageClick, QKeySequence(Qt::CTRL | Qt::Key_Home));
    mnuPrev = action(pages, "mnuPrev", QStringLiteral("&Previous Page"),
                     &TfrmATXPrev::cmdPrevPageClick, QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    mnuNext = action(pages, "mnuNext", QStringLiteral("&Next Page"),
                     &TfrmATXPrev::cmdNextPageClick, QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    mnuLast = action(pages, "mnuLast", QStringLiteral("&Last Page"),
                     &TfrmATXPrev::cmdLastPageClick, QKeySequence(Qt::CTRL | Qt::Key_End));

    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("pnlTools"));
    auto* tools = new QHBoxLayout(bar);
    tools->setContentsMargins(4, 2, 4, 2);
    tools->setSpacing(2);
    auto button = [this, bar, tools](const char* name, const QString& text, const QString& hint,
                                     void (TfrmATXPrev::*handler)()) {
        auto* b = new QToolButton(bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(text);
        b->setToolTip(hint);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        tools->addWidget(b);
        connect(b, &QToolButton::clicked, this, handler);
        return b;
    };
    auto glyphButton = [&button](const char* name, Glyph glyph, const QString& hint,
                                 void (TfrmATXPrev::*handler)()) {
        QToolButton* b = button(name, hint, hint, handler);
        b->setIcon(glyphIcon(glyph));
        b->setIconSize(QSize(16, 16));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        return b;
    };
    auto gap = [tools, bar] {
        auto* line = new QFrame(bar);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        tools->addSpacing(4);
        tools->addWidget(line);
        tools->addSpacing(4);
    };
    cmdPrint = glyphButton("cmdPrint", Glyph::Print, QStringLiteral("Print"),
                           &TfrmATXPrev::cmdPrintClick);
    cmdPrint->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    cmdPageSetup = button("cmdPageSetup", QStringLiteral("Page Setup"),
                          QStringLiteral("Page Setup"), &TfrmATXPrev::cmdPageSetupClick);
    gap();
    cmdFirstPage = glyphButton("cmdFirstPage", Glyph::First, QStringLiteral("First Page"),
                               &TfrmATXPrev::cmdFirstPageClick);
    cmdPrevPage = glyphButton("cmdPrevPage", Glyph::Previous, QStringLiteral("Previous Page"),
                              &TfrmATXPrev::cmdPrevPageClick);
    cmdNextPage = glyphButton("cmdNextPage", Glyph::Next, QStringLiteral("Next Page"),
                              &TfrmATXPrev::cmdNextPageClick);
    cmdLastPage = glyphButton("cmdLastPage", Glyph::Last, QStringLiteral("Last Page"),
                              &TfrmATXPrev::cmdLastPageClick);
    gap();
    cmdZoomFit = button("cmdZoomFit", QStringLiteral("Zoom To Fit"), QStringLiteral("Zoom To Fit"),
                        &TfrmATXPrev::cmdZoomFitClick);
    cmdZoom100 = button("cmdZoom100", QStringLiteral("Zoom 100%"), QStringLiteral("Zoom 100%"),
                        &TfrmATXPrev::cmdZoom100Click);
    cmdZoomPW = button("cmdZoomPW", QStringLiteral("Zoom Page Width"),
                       QStringLiteral("Zoom Page Width"), &TfrmATXPrev::cmdZoomPWClick);
    auto* zooms = new QButtonGroup(this);
    for (QToolButton* b : {cmdZoomFit, cmdZoom100, cmdZoomPW}) {
        b->setCheckable(true);
        zooms->addButton(b);
    }
    zooms->setExclusive(true);
    tools->addStretch(1);
    cmdClose = button("cmdClose", QStringLiteral("Close"), QStringLiteral("Close"),
                      &TfrmATXPrev::cmdCloseClick);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette grey = ScrollBox1->palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    ScrollBox1->setPalette(grey);
    ScrollBox1->setBackgroundRole(QPalette::Window);
    Panel1 = new QWidget;
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAutoFillBackground(false);
    imgPreview = new PagePicture(Panel1);
    imgPreview->setObjectName(QStringLiteral("imgPreview"));
    ScrollBox1->setWidget(Panel1);

    Panel2 = new QLabel(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::StyledPanel);
    Panel2->setFrameShadow(QFrame::Sunken);
    Panel2->setContentsMargins(6, 2, 6, 2);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->setMenuBar(MainMenu);
    column->addWidget(bar);
    column->addWidget(ScrollBox1, 1);
    column->addWidget(Panel2);
}

bool TfrmATXPrev::Execute(TextControl& text, PlanPrinting& printing, PageGeometry& geometry,
                          const PreviewLinks& links) {
    m_text = &text;
    m_printing = &printing;
    m_links = links;
    m_geometry = geometry;
    m_printChosen = false;
    pumpMessages();
    // The page events draw only the page shown.
    printing.setMode(PlanPrinting::Mode::Previewing);
    text.setPrinterDC(1);
    CurrentPage = 1;
    LastPage = 1;
    m_shown = false;
    exec();
    text.setShowHidden(1);
    text.setPrinterDC(0);
    geometry = m_geometry;
    m_text = nullptr;
    return m_printChosen;
}

void TfrmATXPrev::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shown || !m_text) return;
    m_shown = true;
    FormShow();
}

void TfrmATXPrev::FormShow() {
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    if (QScreen* s = screen()) {
        const QRect area = s->geometry();
        setGeometry(area.x(), area.y(), area.width() - 30, area.height() - 30);
    }
    m_zoom = Zoom::Actual;
    setNavigation(false, false, true, true);
    makePageImage();
    if (imgPrint.isNull()) {
        // No memory for the page picture: nothing can be shown.
        ShowMessageDialog(QStringLiteral("An error occurred when print previewing."), mtError,
                          mbOK, mbOK, 0);
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    if (layout()) layout()->activate();
    showZoom(Zoom::Actual);
    Render();
}

QSizeF TfrmATXPrev::printablePage() const {
    return PrinterInfo::instance().printablePageInches();
}

void TfrmATXPrev::makePageImage() {
    const QSizeF page = printablePage();
    const double ppi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    const double dpr = std::max(1.0, devicePixelRatioF());
    const QSize size(std::max(1, roundToInt(page.width() * ppi * dpr)),
                     std::max(1, roundToInt(page.height() * ppi * dpr)));
    imgPrint = QImage(size, QImage::Format_RGB32);
    imgPrint.setDevicePixelRatio(dpr);
    // The print functions scale to the image's resolution: the screen's, per logical pixel.
    const int dotsPerMeter = roundToInt(ppi / 0.0254);
    imgPrint.setDotsPerMeterX(dotsPerMeter);
    imgPrint.setDotsPerMeterY(dotsPerMeter);
    imgPrint.fill(Qt::white);
    m_ratio = page.width() / page.height();
}

void TfrmATXPrev::LayoutRecompute() {
    m_geometry.fitTo(printablePage());
    if (m_text) {
        m_text->setDocWidth(twips(m_geometry.textWidth));
        m_text->setPageHeight(twips(m_geometry.textHeight));
    }
    makePageImage();
    const int h = roundToInt(0.9 * ScrollBox1->height());
    imgPreview->resize(roundToInt(h * m_ratio), h);
}

void TfrmATXPrev::Render() {
    if (!m_printing || !m_text) return;
    BusyCursor busy;
    pumpMessages();
    // The page area is held still while the page is drawn; the window around it stays live.
    RepaintLock lock(ScrollBox1);
    imgPrint.fill(Qt::white);
    {
        QPainter painter(&imgPrint);
        m_printing->setPreviewPage(CurrentPage);
        m_printing->printPass(painter, m_geometry);
    }
    pumpMessages();
    pumpMessages();
    LastPage = std::max(1, m_printing->lastPageSeen());
    imgPreview->setImage(imgPrint);
    Panel2->setText(QStringLiteral("Page %1 of %2").arg(CurrentPage).arg(LastPage));
    if (LastPage == 1)
        setNavigation(false, false, false, false);
    else
        setNavigation(CurrentPage != 1, CurrentPage != 1, CurrentPage != LastPage,
                      CurrentPage != LastPage);
}

void TfrmATXPrev::setNavigation(bool first, bool previous, bool next, bool last) {
    cmdFirstPage->setEnabled(first);
    mnuFirst->setEnabled(first);
    cmdPrevPage->setEnabled(previous);
    mnuPrev->setEnabled(previous);
    cmdNextPage->setEnabled(next);
    mnuNext->setEnabled(next);
    cmdLastPage->setEnabled(last);
    mnuLast->setEnabled(last);
}

void TfrmATXPrev::goToPage(int page) {
    setNavigation(false, false, false, false);
    CurrentPage = std::clamp(page, 1, std::max(1, LastPage));
    Render();
}

void TfrmATXPrev::cmdFirstPageClick() {
    goToPage(1);
}

void TfrmATXPrev::cmdPrevPageClick() {
    goToPage(CurrentPage - 1);
}

void TfrmATXPrev::cmdNextPageClick() {
    goToPage(CurrentPage + 1);
}

void TfrmATXPrev::cmdLastPageClick() {
    goToPage(LastPage);
}

// --- Zoom ---------------------------------------------------------------------------------

QSize TfrmATXPrev::clientSize() const {
    return ScrollBox1->maximumViewportSize();
}

void TfrmATXPrev::showZoom(Zoom zoom) {
    m_zoom = zoom;
    cmdZoomFit->setChecked(zoom == Zoom::Fit);
    cmdZoom100->setChecked(zoom == Zoom::Actual);
    cmdZoomPW->setChecked(zoom == Zoom::PageWidth);
    mnuFit->setChecked(zoom == Zoom::Fit);
    mnu100->setChecked(zoom == Zoom::Actual);
    mnuPW->setChecked(zoom == Zoom::PageWidth);
    applyZoom();
}

void TfrmATXPrev::applyZoom() {
    QSize client = clientSize();
    const int bar = ScrollBox1->verticalScrollBar()->sizeHint().width();
    const QSizeF page = imgPrint.deviceIndependentSize();
    switch (m_zoom) {
    case Zoom::Fit: {
        double h = 0.98 * client.height();
        double w = h * m_ratio;
        if (w > 0.98 * client.width()) {
            w = 0.98 * client.width();
            h = w / m_ratio;
        }
        imgPreview->setGeometry(roundToInt((client.width() - w) / 2),
                                roundToInt((client.height() - h) / 2), roundToInt(w),
                                roundToInt(h));
        Panel1->resize(client);
        break;
    }
    case Zoom::Actual: {
        const int h = roundToInt(page.height());
        const int w = roundToInt(h * m_ratio);
        // A page taller than the box brings in the vertical scroll bar, which narrows it.
        if (h + 20 > client.height()) client.rwidth() -= bar;
        if (w < client.width() - 20) {
            imgPreview->setGeometry(client.width() / 2 - w / 2, 10, w, h);
            Panel1->resize(client.width() - 1, h + 20);
        } else {
            imgPreview->setGeometry(10, 10, w, h);
            Panel1->resize(w + 20, h + 20);
        }
        break;
    }
    case Zoom::PageWidth: {
        auto place = [&](int clientWidth) {
            const double w = std::min(0.92 * clientWidth, page.width());
            const double h = w / m_ratio;
            imgPreview->setGeometry(roundToInt((clientWidth - w) / 2), roundToInt(0.05 * h),
                                    roundToInt(w), roundToInt(h));
            Panel1->resize(clientWidth - 1, roundToInt(1.1 * h));
        };
        place(client.width());
        if (Panel1->height() > client.height()) place(client.width() - bar);
        break;
    }
    }
    imgPreview->setImage(imgPrint);
}

void TfrmATXPrev::cmdZoomFitClick() {
    showZoom(Zoom::Fit);
}

void TfrmATXPrev::cmdZoom100Click() {
    showZoom(Zoom::Actual);
}

void TfrmATXPrev::cmdZoomPWClick() {
    showZoom(Zoom::PageWidth);
}

void TfrmATXPrev::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (!m_shown) return;
    applyZoom();
    // Once more when the scroll box has settled into its new size.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) applyZoom();
    });
}

// --- Page setup, printing, closing --------------------------------------------------------

void TfrmATXPrev::cmdPageSetupClick() {
    SheetPrintSettings sheet = m_links.readSheet ? m_links.readSheet() : SheetPrintSettings{};
    PageMargins margins{m_geometry.left, m_geometry.right, m_geometry.top, m_geometry.bottom};
    if (m_links.pageSetup && m_links.pageSetup->Execute(margins, sheet)) {
        m_geometry.left = margins.left;
        m_geometry.right = margins.right;
        m_geometry.top = margins.top;
        m_geometry.bottom = margins.bottom;
        if (m_printing) m_printing->setContentsPage(m_links.pageSetup->contentsPage());
    }
    LayoutRecompute();
    if (m_links.applySheet) m_links.applySheet(sheet);
    LayoutRecompute();
    applyZoom();
    CurrentPage = 1;
    Render();
    if (m_links.markChanged) m_links.markChanged();
}

void TfrmATXPrev::cmdPrintClick() {
    m_printChosen = true;
    accept();
}

void TfrmATXPrev::cmdCloseClick() {
    reject();
}

void TfrmATXPrev::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        HelpSystem::instance().showContext(kHelpContext);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
