#include "budget/sprprev.h"

#include "controls/sheet/sheetcontrol.h"
#include "widgets/toolglyphs.h"
#include "widgets/toolpanel.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

TfrmSpreadPrev* frmSpreadPrev = nullptr;

namespace {

constexpr int kScrollSteps = 8; // positions 0..8; a step moves the page 1/9 of its size
constexpr int kScrollBarThickness = 16;

// Flag held up for a scope, so that a nested request finds it set.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~BusyScope() { m_flag = false; }

private:
    bool& m_flag;
};

} // namespace

// The page panel: white paper on which the sheet draws the current page.
class TfrmSpreadPrev::PagePanel : public QWidget {
public:
    explicit PagePanel(TfrmSpreadPrev* owner, QWidget* parent) : QWidget(parent), m_owner(owner) {
        setObjectName(QStringLiteral("imgPreview"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override { m_owner->paintPage(this); }

private:
    TfrmSpreadPrev* m_owner;
};

TfrmSpreadPrev::TfrmSpreadPrev(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfrmSpreadPrev"));
    setWindowTitle(QStringLiteral("Print Preview"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setMinimumSize(320, 240);

    // Menus.
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto item = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    mnuPrint = item(file, "mnuPrint", QStringLiteral("&Print..."));
    mnuPageSet = item(file, "mnuPageSet", QStringLiteral("Page Set&up"));
    file->addSeparator();
    mnuClose = item(file, "mnuClose", QStringLiteral("&Close"));
    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    mnuZoomFit = item(view, "mnuZoomFit", QStringLiteral("Zoom To &Fit"));
    mnuZoom100 = item(view, "mnuZoom100", QStringLiteral("&Zoom To 100%"));
    mnuZoomPW = item(view, "mnuZoomPW", QStringLiteral("Zoom To &Page Width"));
    auto* zoomChecks = new QActionGroup(this);
    for (QAction* a : {mnuZoomFit, mnuZoom100, mnuZoomPW}) {
        a->setCheckable(true);
        zoomChecks->addAction(a);
    }
    QMenu* page = bar->addMenu(QStringLiteral("&Page"));
    mnuFirst = item(page, "mnuFirst", QStringLiteral("&First"));
    mnuPrevious = item(page, "mnuPrevious", QStringLiteral("&Previous"));
    mnuNext = item(page, "mnuNext", QStringLiteral("&Next"));
    mnuLast = item(page, "mnuLast", QStringLiteral("&Last"));
    mnuPrevious->setShortcut(QKeySequence(Qt::Key_PageUp));
    mnuNext->setShortcut(QKeySequence(Qt::Key_PageDown));

    // Toolbar.
    docStandard = new ToolPanel(QStringLiteral("docStandard"), 30, this);
    docStandard->setFrameShape(QFrame::StyledPanel);
    docStandard->setFrameShadow(QFrame::Raised);
    cmdFirstPage = toolButton(QStringLiteral("cmdFirstPage"), QString(), QStringLiteral("First Page"));
    cmdFirstPage->setIcon(glyphIcon(Glyph::First));
    cmdPrevPage = toolButton(QStringLiteral("cmdPrevPage"), QString(), QStringLiteral("Previous Page"));
    cmdPrevPage->setIcon(glyphIcon(Glyph::Previous));
    cmdNextPage = toolButton(QStringLiteral("cmdNextPage"), QString(), QStringLiteral("Next Page"));
    cmdNextPage->setIcon(glyphIcon(Glyph::Next));
    cmdLastPage = toolButton(QStringLiteral("cmdLastPage"), QString(), QStringLiteral("Last Page"));
    cmdLastPage->setIcon(glyphIcon(Glyph::Last));
    docStandard->addBevel(QStringLiteral("Bevel1"));
    cmdPageSetup =
        toolButton(QStringLiteral("cmdPageSetup"), QStringLiteral("Page Setup"), QStringLiteral("Page Setup"));
    docStandard->addBevel(QStringLiteral("Bevel2"));
    cmdZoomFit =
        toolButton(QStringLiteral("cmdZoomFit"), QStringLiteral("Fit"), QStringLiteral("Zoom To Fit"));
    cmdZoom100 =
        toolButton(QStringLiteral("cmdZoom100"), QStringLiteral("100%"), QStringLiteral("Zoom To 100%"));
    cmdZoomPW = toolButton(QStringLiteral("cmdZoomPW"), QStringLiteral("Page Width"),
                           QStringLiteral("Zoom To Page Width"));
    auto* zoomButtons = new QButtonGroup(this);
    zoomButtons->setExclusive(true);
    for (QToolButton* b : {cmdZoomFit, cmdZoom100, cmdZoomPW}) {
        b->setCheckable(true);
        zoomButtons->addButton(b);
    }
    docStandard->addBevel(QStringLiteral("Bevel3"));
    cmdPrint = toolButton(QStringLiteral("cmdPrint"), QStringLiteral("Print"), QStringLiteral("Print"));
    cmdPrint->setIcon(glyphIcon(Glyph::PrintBudget));
    cmdPrint->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    cmdClose = toolButton(QStringLiteral("cmdClose"), QStringLiteral("Close"), QStringLiteral("Close"));
    docStandard->addBevel(QStringLiteral("Bevel4"));
    Panel2 = new QLabel(docStandard);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setMinimumWidth(110);
    Panel2->setAlignment(Qt::AlignCenter);
    Panel2->setFrameShape(QFrame::StyledPanel);
    Panel2->setFrameShadow(QFrame::Sunken);
    docStandard->addSpacing(4);
    docStandard->addWidget(Panel2);
    docStandard->addStretch();

    // Drawing area with its scroll bars on the right and at the bottom.
    Panel4 = new QWidget(this);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setAutoFillBackground(true);
    QPalette grey = Panel4->palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    Panel4->setPalette(grey);
    Panel4->installEventFilter(this);
    imgPreview = new PagePanel(this, Panel4);

    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedWidth(kScrollBarThickness);
    vs1 = new QScrollBar(Qt::Vertical, Panel3);
    vs1->setObjectName(QStringLiteral("vs1"));
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(kScrollBarThickness);
    hs1 = new QScrollBar(Qt::Horizontal, Panel1);
    hs1->setObjectName(QStringLiteral("hs1"));
    // The vertical bar runs the height of its panel, the horizontal one stops short of
    // the corner under the vertical bar.
    auto* vBox = new QVBoxLayout(Panel3);
    vBox->setContentsMargins(0, 0, 0, 0);
    vBox->addWidget(vs1);
    auto* hBox = new QHBoxLayout(Panel1);
    hBox->setContentsMargins(0, 0, 0, 0);
    hBox->setSpacing(0);
    hBox->addWidget(hs1, 1);
    hBox->addSpacing(kScrollBarThickness);
    for (QScrollBar* s : {hs1, vs1}) {
        s->setRange(0, kScrollSteps);
        s->setPageStep(2);
        s->setSingleStep(1);
    }

    Panel4->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* area = new QHBoxLayout;
    area->setContentsMargins(0, 0, 0, 0);
    area->setSpacing(0);
    area->addWidget(Panel4, 1);
    area->addWidget(Panel3);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->setMenuBar(bar);
    column->addWidget(docStandard);
    column->addLayout(area, 1);
    column->addWidget(Panel1);

    connect(cmdFirstPage, &QToolButton::clicked, this, &TfrmSpreadPrev::cmdFirstPageClick);
    connect(cmdPrevPage, &QToolButton::clicked, this, &TfrmSpreadPrev::cmdPrevPageClick);
    connect(cmdNextPage, &QToolButton::clicked, this, &TfrmSpreadPrev::cmdNextPageClick);
    connect(cmdLastPage, &QToolButton::clicked, this, &TfrmSpreadPrev::cmdLastPageClick);
    connect(mnuFirst, &QAction::triggered, this, &TfrmSpreadPrev::cmdFirstPageClick);
    connect(mnuPrevious, &QAction::triggered, this, &TfrmSpreadPrev::cmdPrevPageClick);
    connect(mnuNext, &QAction::triggered, this, &TfrmSpreadPrev::cmdNextPageClick);
    connect(mnuLast, &QAction::triggered, this, &TfrmSpreadPrev::cmdLastPageClick);
    connect(cmdPageSetup, &QToolButton::clicked, this, &TfrmSpreadPrev::mnuPageSetClick);
    connect(mnuPageSet, &QAction::triggered, this, &TfrmSpreadPrev::mnuPageSetClick);
    connect(cmdPrint, &QToolButton::clicked, this, &TfrmSpreadPrev::mnuPrintClick);
    connect(mnuPrint, &QAction::triggered, this, &TfrmSpreadPrev::mnuPrintClick);
    connect(cmdClose, &QToolButton::clicked, this, &QDialog::reject);
    connect(mnuClose, &QAction::triggered, this, &QDialog::reject);
    connect(cmdZoomFit, &QToolButton::clicked, this, [this] { SetZoom(ZoomFit); });
    connect(cmdZoom100, &QToolButton::clicked, this, [this] { SetZoom(Zoom100); });
    connect(cmdZoomPW, &QToolButton::clicked, this, [this] { SetZoom(ZoomPageWidth); });
    connect(mnuZoomFit, &QAction::triggered, this, [this] { SetZoom(ZoomFit); });
    connect(mnuZoom100, &QAction::triggered, this, [this] { SetZoom(Zoom100); });
    connect(mnuZoomPW, &QAction::triggered, this, [this] { SetZoom(ZoomPageWidth); });
    for (QScrollBar* s : {hs1, vs1}) {
        // A drag redraws when the bar is let go; a click on the bar at once.
        connect(s, &QScrollBar::valueChanged, this, [this, s] {
            if (!s->isSliderDown()) Redraw();
        });
        connect(s, &QScrollBar::sliderReleased, this, &TfrmSpreadPrev::Redraw);
    }
}

TfrmSpreadPrev::~TfrmSpreadPrev() {
    m_busy = true;
    if (frmSpreadPrev == this) frmSpreadPrev = nullptr;
}

void TfrmSpreadPrev::setSheet(SheetControl* sheet) {
    m_sheet = sheet;
}

QToolButton* TfrmSpreadPrev::toolButton(const QString& name, const QString& text,
                                        const QString& hint) {
    auto* b = new QToolButton(docStandard);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setIconSize(QSize(16, 16));
    b->setMinimumSize(26, 25);
    b->setFocusPolicy(Qt::NoFocus);
    docStandard->addWidget(b);
    return b;
}

// --- Showing ----------------------------------------------------------------------------

void TfrmSpreadPrev::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TfrmSpreadPrev::FormShow() {
    m_busy = true;
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    if (QScreen* s = screen()) {
        const QRect screenRect = s->geometry();
        setGeometry(screenRect.x() + 10, screenRect.y() + 10,
                    std::max(minimumWidth(), screenRect.width() - 80),
                    std::max(minimumHeight(), screenRect.height() - 43));
    }
    cmdZoomFit->setChecked(true);
    mnuZoomFit->setChecked(true);
    for (QAction* a : {mnuFirst, mnuPrevious})
        a->setEnabled(false);
    for (QToolButton* b : {cmdFirstPage, cmdPrevPage})
        b->setEnabled(false);
    for (QAction* a : {mnuNext, mnuLast})
        a->setEnabled(true);
    for (QToolButton* b : {cmdNextPage, cmdLastPage})
        b->setEnabled(true);
    measurePaper();
    m_page = 1;
    m_zoom = ZoomFit;
    {
        const QSignalBlocker h(hs1), v(vs1);
        hs1->setValue(0);
        vs1->setValue(0);
    }
    m_busy = false;
    // The first drawing follows once the window has its size.
    QMetaObject::invokeMethod(this, &TfrmSpreadPrev::Redraw, Qt::QueuedConnection);
}

void TfrmSpreadPrev::measurePaper() {
    // The whole sheet of paper the printout is laid on, turned upright.
    if (!m_sheet) return;
    const QSizeF paper = m_sheet->PaperSize();
    if (paper.width() <= 0 || paper.height() <= 0) return;
    m_paper = m_sheet->PrintLandscape() ? paper.transposed() : paper;
}

QSize TfrmSpreadPrev::pageSize(Zoom zoom, bool landscape, const QSizeF& paper, const QSize& area,
                               double ppi) {
    const double ratio = paper.width() / paper.height();
    double w = 0, h = 0;
    switch (zoom) {
    case ZoomFit:
        h = 0.9 * area.height();
        w = landscape ? h / ratio : h * ratio;
        if (w > 0.9 * area.width()) {
            // Too wide for the area: fit the width instead, keeping the paper's shape, so
            // that the whole page shows with its margin.
            w = 0.9 * area.width();
            h = landscape ? w * ratio : w / ratio;
        }
        break;
    case Zoom100:
        w = ppi * (landscape ? paper.height() : paper.width());
        h = ppi * (landscape ? paper.width() : paper.height());
        break;
    case ZoomPageWidth:
        w = 0.9 * area.width();
        h = landscape ? w * ratio : w / ratio;
        break;
    }
    return QSize(std::max(1, int(std::lround(w))), std::max(1, int(std::lround(h))));
}

// --- Drawing ----------------------------------------------------------------------------

void TfrmSpreadPrev::Redraw() {
    if (m_busy || !m_sheet) return;
    BusyScope busy(m_busy);

    const bool landscape = m_sheet->PrintLandscape();
    const QSize area = Panel4->size();
    const double ppi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    const QSize page = pageSize(m_zoom, landscape, m_paper, area, ppi);
    mnuZoomFit->setChecked(m_zoom == ZoomFit);
    mnuZoom100->setChecked(m_zoom == Zoom100);
    mnuZoomPW->setChecked(m_zoom == ZoomPageWidth);

    const int top =
        int(std::lround(0.05 * area.height() - vs1->value() * (page.height() / 9.0)));
    const int left = int(std::lround(0.05 * area.width() - hs1->value() * (page.width() / 9.0)));
    imgPreview->setGeometry(left, top, page.width(), page.height());

    const bool wide = page.width() * 1.1 > width();
    const bool high = page.height() * 1.1 > height();
    Panel1->setVisible(wide);
    Panel3->setVisible(high);

    m_pageCount = std::max(1, m_sheet->PageCount());
    m_page = std::clamp(m_page, 1, m_pageCount);
    imgPreview->update();
    Panel2->setText(QStringLiteral("Page %1 of %2").arg(m_page).arg(m_pageCount));

    const bool notLast = m_page != m_pageCount;
    const bool notFirst = m_page != 1;
    cmdNextPage->setEnabled(notLast);
    cmdLastPage->setEnabled(notLast);
    mnuNext->setEnabled(notLast);
    mnuLast->setEnabled(notLast);
    cmdFirstPage->setEnabled(notFirst);
    cmdPrevPage->setEnabled(notFirst);
    mnuFirst->setEnabled(notFirst);
    mnuPrevious->setEnabled(notFirst);
}

void TfrmSpreadPrev::paintPage(QWidget* panel) {
    QPainter painter(panel);
    painter.fillRect(panel->rect(), Qt::white);
    if (!m_sheet) return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    m_sheet->DrawPage(&painter, QRectF(panel->rect()), m_page);
    painter.setPen(QColor(64, 64, 64));
    painter.drawRect(panel->rect().adjusted(0, 0, -1, -1));
}

void TfrmSpreadPrev::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Redraw();
}

bool TfrmSpreadPrev::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Panel4 && event->type() == QEvent::Resize) Redraw();
    return QDialog::eventFilter(watched, event);
}

// --- Commands ---------------------------------------------------------------------------

void TfrmSpreadPrev::goToPage(int page) {
    m_page = std::clamp(page, 1, std::max(1, m_pageCount));
    Redraw();
}

void TfrmSpreadPrev::cmdFirstPageClick() {
    goToPage(1);
}

void TfrmSpreadPrev::cmdPrevPageClick() {
    goToPage(m_page - 1);
}

void TfrmSpreadPrev::cmdNextPageClick() {
    goToPage(m_page + 1);
}

void TfrmSpreadPrev::cmdLastPageClick() {
    goToPage(m_pageCount);
}

void TfrmSpreadPrev::SetZoom(Zoom zoom) {
    m_zoom = zoom;
    QToolButton* down = zoom == ZoomFit ? cmdZoomFit : zoom == Zoom100 ? cmdZoom100 : cmdZoomPW;
    down->setChecked(true);
    {
        const QSignalBlocker h(hs1), v(vs1);
        hs1->setValue(0);
        vs1->setValue(0);
    }
    Redraw();
}

void TfrmSpreadPrev::mnuPageSetClick() {
    if (onPageSetup) onPageSetup();
    measurePaper();
    m_page = 1;
    Redraw();
}

void TfrmSpreadPrev::mnuPrintClick() {
    reject();
    if (onPrint) onPrint();
}
