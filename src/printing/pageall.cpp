#include "printing/pageall.h"

#include "dialogs/dialogfrm.h"
#include "platform/printerinfo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>

Tfrmpagesetupall* frmpagesetupall = nullptr;

namespace {

constexpr int kLongSide = 90;     // pixels: the thumbnail sheet's long side
constexpr int kShadowOffset = 5;  // pixels
constexpr int kBudgetPaperTop = 80;
constexpr double kMarginSlack = 0.1; // inches a text area needs at the least

int roundToInt(double v) {
    return int(std::lround(v));
}

// Numbers as the boxes show them: plain decimals, without trailing zeros.
QString plainNumber(double v) {
    return QString::number(v, 'g', 7);
}

// A box's text as a number; text that is not one counts as 1.
double numberOrOne(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? v : 1.0;
}

QLineEdit* numberBox(QWidget* parent, const char* name, const QString& allowed) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(allowed), e));
    e->setMaxLength(8);
    e->setFixedWidth(56);
    return e;
}

QGroupBox* group(const QString& title, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    return g;
}

// The orientation and margin boxes of one printed product, side by side. Component
// names carry `infix` after their kind ("rb" + infix + "Portrait", "txt" + infix +
// "LeftMargin"); margins come left, right, top, bottom.
QHBoxLayout* sideBoxes(QWidget* parent, const QString& infix, const QString& portraitCaption,
                       const QString& landscapeCaption, QRadioButton** portrait,
                       QRadioButton** landscape, std::array<QLineEdit**, 4> margins) {
    QGroupBox* orientation = group(QStringLiteral("Orientation"), parent);
    *portrait = new QRadioButton(portraitCaption, orientation);
    (*portrait)->setObjectName(QStringLiteral("rb%1Portrait").arg(infix));
    *landscape = new QRadioButton(landscapeCaption, orientation);
    (*landscape)->setObjectName(QStringLiteral("rb%1Landscape").arg(infix));
    auto* column = new QVBoxLayout(orientation);
    column->addWidget(*portrait);
    column->addWidget(*landscape);
    column->addStretch(1);

    QGroupBox* box = group(QStringLiteral("Margins (Inches)"), parent);
    auto* grid = new QGridLayout(box);
    const char* const sides[4] = {"Left", "Right", "Top", "Bottom"};
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("txt%1%2Margin").arg(infix, QLatin1String(sides[i]));
        QLineEdit* e = numberBox(box, qPrintable(name), QStringLiteral("[0-9.]*"));
        *margins[size_t(i)] = e;
        // Left over right in the first column, top over bottom in the second.
        grid->addWidget(new QLabel(QLatin1String(sides[i]) + QLatin1Char(':'), box), i % 2,
                        i < 2 ? 0 : 2);
        grid->addWidget(e, i % 2, i < 2 ? 1 : 3);
    }
    auto* row = new QHBoxLayout;
    row->addWidget(orientation);
    row->addWidget(box, 1);
    return row;
}

// The page in the shape of its orientation: the printable page is wider than high only
// when the printer reports it so, and when no printer answers, the stand-in page is
// upright whatever the orientation.
QSizeF shaped(QSizeF page, bool landscape) {
    const bool wide = page.width() > page.height();
    return wide == landscape ? page : page.transposed();
}

} // namespace

bool marginsFitPage(const PageMargins& m, QSizeF printable) {
    return m.left + m.right + kMarginSlack <= printable.width() + 1e-9 &&
           m.top + m.bottom + kMarginSlack <= printable.height() + 1e-9;
}

Thumbnail pageThumbnail(QSize panel, QSizeF page, bool landscape, const PageMargins& m,
                        bool minimumDown, int paperTop, int paperLeft) {
    Thumbnail t;
    const double pw = std::max(page.width(), 0.01);
    const double ph = std::max(page.height(), 0.01);
    int w, h, left, top;
    if (!landscape) {
        h = kLongSide;
        w = roundToInt(kLongSide * pw / ph);
        left = (panel.width() - w) / 2;
        top = 10;
    } else {
        w = kLongSide;
        h = roundToInt(kLongSide * ph / pw);
        left = panel.width() / 2 - 50;
        top = (panel.height() - h) / 2;
    }
    if (paperTop >= 0) top = paperTop;
    if (paperLeft >= 0) left = paperLeft;
    t.paper = QRect(left, top, w, h);
    t.shadow = t.paper.translated(kShadowOffset, kShadowOffset);

    const double scale = w / pw; // pixels per inch
    int fw = roundToInt((pw - m.left / 2 - m.right / 2) * scale);
    if ((pw - m.left - m.right) * scale < 2) fw = 4;
    int fh = roundToInt((ph - m.top / 2 - m.bottom / 2) * scale);
    if (minimumDown && (ph - m.top - m.bottom) * scale < 2) fh = 4;
    t.frame = QRect(left + roundToInt(m.left / 2 * scale), top + roundToInt(m.top / 2 * scale),
                    std::max(0, fw), std::max(0, fh));
    t.sample = t.frame.adjusted(1, 1, -1, -1);
    return t;
}

// --- Thumbnail panel ----------------------------------------------------------------------

ThumbnailPanel::ThumbnailPanel(const QString& name, QWidget* parent) : QFrame(parent) {
    setObjectName(name);
    setFrameShape(QFrame::NoFrame);
}

void ThumbnailPanel::setThumbnail(const Thumbnail& t) {
    m_thumb = t;
    update();
}

void ThumbnailPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (m_thumb.paper.isEmpty()) return;
    QPainter p(this);
    p.fillRect(m_thumb.shadow, QColor(96, 96, 96));
    p.fillRect(m_thumb.paper, Qt::white);
    p.setPen(QColor(0, 0, 0));
    p.drawRect(m_thumb.paper.adjusted(0, 0, -1, -1));

    // The sample text: lines of grey words, the last line of each paragraph short.
    const QRect s = m_thumb.sample.intersected(m_thumb.paper);
    if (s.width() > 2 && s.height() > 2) {
        p.save();
        p.setClipRect(s);
        const QColor ink(140, 140, 140);
        int line = 0;
        for (int y = s.top() + 1; y + 1 <= s.bottom(); y += 3, ++line) {
            const bool lastOfParagraph = line % 5 == 4;
            const int length = lastOfParagraph ? s.width() * 3 / 5 : s.width() - 1;
            for (int x = s.left(); x < s.left() + length; x += 7)
                p.fillRect(QRect(x, y, std::min(5, s.left() + length - x), 1), ink);
            if (lastOfParagraph) y += 2;
        }
        p.restore();
    }
    QPen dotted(QColor(0, 0, 160));
    dotted.setStyle(Qt::DotLine);
    p.setPen(dotted);
    if (!m_thumb.frame.isEmpty()) p.drawRect(m_thumb.frame.adjusted(0, 0, -1, -1));
}

// --- The window ---------------------------------------------------------------------------

Tfrmpagesetupall::Tfrmpagesetupall(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Tfrmpagesetupall"));
    setWindowTitle(QStringLiteral("Page setup"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    const QString digits = QStringLiteral("[0-9]*");

    // The plan.
    QGroupBox* plan = group(QStringLiteral("Plan"), this);
    QHBoxLayout* planRow =
        sideBoxes(plan, QString(), QStringLiteral("P&ortrait"), QStringLiteral("Land&scape"),
                  &rbPortrait, &rbLandscape,
                  {&txtLeftMargin, &txtRightMargin, &txtTopMargin, &txtBottomMargin});

    pnlPlan = new ThumbnailPanel(QStringLiteral("pnlPlan"), plan);
    pnlPlan->setFixedSize(220, 112);

    chkContents = new QCheckBox(QStringLiteral("Con&tents page"), plan);
    chkContents->setObjectName(QStringLiteral("chkContents"));
    chkContents->setToolTip(QStringLiteral(
        "After the title page, a page listing the sections with their page numbers"));

    auto* planLayout = new QVBoxLayout(plan);
    planLayout->addLayout(planRow);
    planLayout->addWidget(chkContents);
    planLayout->addStretch(1);
    planLayout->addWidget(pnlPlan, 0, Qt::AlignHCenter);
    planLayout->addStretch(1);

    // The paper of the plan's printer.
    QGroupBox* paper = group(QStringLiteral("Paper"), this);
    cbSize = new QComboBox(paper);
    cbSize->setObjectName(QStringLiteral("cbSize"));
    cbSource = new QComboBox(paper);
    cbSource->setObjectName(QStringLiteral("cbSource"));
    for (QComboBox* c : {cbSize, cbSource}) {
        c->setEditable(false);
        c->setMinimumWidth(180);
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    }
    auto* paperGrid = new QGridLayout(paper);
    auto* sizeLabel = new QLabel(QStringLiteral("Paper Si&ze:"), paper);
    sizeLabel->setBuddy(cbSize);
    auto* sourceLabel = new QLabel(QStringLiteral("Paper So&urce:"), paper);
    sourceLabel->setBuddy(cbSource);
    paperGrid->addWidget(sizeLabel, 0, 0);
    paperGrid->addWidget(cbSize, 0, 1);
    paperGrid->addWidget(sourceLabel, 1, 0);
    paperGrid->addWidget(cbSource, 1, 1);
    paperGrid->setColumnStretch(1, 1);

    // The budget.
    QGroupBox* budget = group(QStringLiteral("Marketing Budget"), this);
    QHBoxLayout* budgetRow =
        sideBoxes(budget, QStringLiteral("C"), QStringLiteral("&Portrait"),
                  QStringLiteral("Lan&dscape"), &rbCPortrait, &rbCLandscape,
                  {&txtCLeftMargin, &txtCRightMargin, &txtCTopMargin, &txtCBottomMargin});

    QGroupBox* scaleBox = group(QStringLiteral("Scale"), budget);
    comZoom = new QComboBox(scaleBox);
    comZoom->setObjectName(QStringLiteral("comZoom"));
    comZoom->addItems({"10", "25", "50", "75", "100", "200", "400"});
    auto* zoomLabel = new QLabel(QStringLiteral("Scale &%"), scaleBox);
    zoomLabel->setBuddy(comZoom);
    chkFit = new QCheckBox(QStringLiteral("&Fit to Page(s)"), scaleBox);
    chkFit->setObjectName(QStringLiteral("chkFit"));
    edPH = numberBox(scaleBox, "edPH", digits);
    edPW = numberBox(scaleBox, "edPW", digits);
    edPH->setFixedWidth(40);
    edPW->setFixedWidth(40);
    lblPH = new QLabel(QStringLiteral("&High"), scaleBox);
    lblPH->setObjectName(QStringLiteral("lblPH"));
    lblPH->setBuddy(edPH);
    lblPW = new QLabel(QStringLiteral("&Wide"), scaleBox);
    lblPW->setObjectName(QStringLiteral("lblPW"));
    lblPW->setBuddy(edPW);
    auto* sg = new QGridLayout(scaleBox);
    sg->addWidget(zoomLabel, 0, 0);
    sg->addWidget(comZoom, 0, 1);
    sg->addWidget(chkFit, 0, 2, 1, 4);
    sg->addWidget(lblPW, 1, 2);
    sg->addWidget(edPW, 1, 3);
    sg->addWidget(lblPH, 1, 4);
    sg->addWidget(edPH, 1, 5);
    sg->setColumnStretch(6, 1);

    pnlCashflow = new ThumbnailPanel(QStringLiteral("pnlCashflow"), budget);
    pnlCashflow->setFixedSize(220, 180);
    // The centring belongs to the sheet on paper: its boxes stand above the sheet's picture.
    auto* centre = new QLabel(QStringLiteral("Centre"), pnlCashflow);
    centre->setGeometry(8, 4, 200, 20);
    chkCH = new QCheckBox(QStringLiteral("&Centre Horizontally"), pnlCashflow);
    chkCH->setObjectName(QStringLiteral("chkCH"));
    chkCH->setGeometry(16, 24, 200, 22);
    chkCV = new QCheckBox(QStringLiteral("Centre &Vertically"), pnlCashflow);
    chkCV->setObjectName(QStringLiteral("chkCV"));
    chkCV->setGeometry(16, 48, 200, 22);

    auto* budgetLayout = new QVBoxLayout(budget);
    budgetLayout->addLayout(budgetRow);
    budgetLayout->addWidget(scaleBox);
    budgetLayout->addWidget(pnlCashflow, 0, Qt::AlignHCenter);
    budgetLayout->addStretch(1);

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(plan, 0, 0);
    grid->addWidget(paper, 1, 0);
    grid->addWidget(budget, 0, 1, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOk, &QPushButton::clicked, this, &Tfrmpagesetupall::cmdOkClick);
    connect(cmdCancel, &QPushButton::clicked, this, &Tfrmpagesetupall::reject);
    connect(cbSize, &QComboBox::activated, this, &Tfrmpagesetupall::cbSizeChange);
    connect(cbSource, &QComboBox::activated, this, &Tfrmpagesetupall::cbSourceChange);
    connect(rbPortrait, &QRadioButton::clicked, this, &Tfrmpagesetupall::planOrientationClick);
    connect(rbLandscape, &QRadioButton::clicked, this, &Tfrmpagesetupall::planOrientationClick);
    connect(rbCPortrait, &QRadioButton::clicked, this, [this] { sheetOrientationClick(false); });
    connect(rbCLandscape, &QRadioButton::clicked, this, [this] { sheetOrientationClick(true); });
    for (const auto& [box, value] : marginFields())
        connect(box, &QLineEdit::editingFinished, this,
                [this, box = box, value = value] { marginExit(box, value); });
    connect(edPH, &QLineEdit::editingFinished, this,
            [this] { pagesExit(edPH, &m_sheet.pagesHigh); });
    connect(edPW, &QLineEdit::editingFinished, this,
            [this] { pagesExit(edPW, &m_sheet.pagesWide); });
    connect(chkFit, &QCheckBox::clicked, this, &Tfrmpagesetupall::chkFitClick);
    connect(chkCH, &QCheckBox::toggled, this, [this](bool on) { m_sheet.hCenter = on; });
    connect(chkCV, &QCheckBox::toggled, this, [this](bool on) { m_sheet.vCenter = on; });
    connect(comZoom, &QComboBox::activated, this,
            [this] { m_sheet.scale = comZoom->currentText().toInt(); });
}

bool Tfrmpagesetupall::Execute(PageMargins& plan, SheetPrintSettings& sheet) {
    m_plan = plan;
    m_openingPlan = plan;
    m_sheet = sheet;
    FormShow();
    if (exec() != QDialog::Accepted) return false;
    plan = m_plan;
    sheet = m_sheet;
    return true;
}

void Tfrmpagesetupall::FormShow() {
    // The budget's side.
    txtCLeftMargin->setText(plainNumber(m_sheet.margins.left));
    txtCRightMargin->setText(plainNumber(m_sheet.margins.right));
    txtCTopMargin->setText(plainNumber(m_sheet.margins.top));
    txtCBottomMargin->setText(plainNumber(m_sheet.margins.bottom));
    rbCLandscape->setChecked(m_sheet.landscape);
    rbCPortrait->setChecked(!m_sheet.landscape);
    chkCH->setChecked(m_sheet.hCenter);
    chkCV->setChecked(m_sheet.vCenter);
    chkFit->setChecked(m_sheet.fit);
    edPH->setText(QString::number(m_sheet.pagesHigh));
    edPW->setText(QString::number(m_sheet.pagesWide));
    comZoom->setCurrentIndex(comZoom->findText(QStringLiteral("100")));
    const int scaleItem = comZoom->findText(QString::number(m_sheet.scale));
    if (scaleItem >= 0) comZoom->setCurrentIndex(scaleItem);
    chkFitClick();

    // The plan's side.
    chkContents->setChecked(m_contents);
    txtLeftMargin->setText(plainNumber(m_plan.left));
    txtRightMargin->setText(plainNumber(m_plan.right));
    txtTopMargin->setText(plainNumber(m_plan.top));
    txtBottomMargin->setText(plainNumber(m_plan.bottom));

    fillPaperLists();
    const PrinterInfo& printer = PrinterInfo::instance();
    m_openingSize = printer.paperSize();
    m_openingSource = printer.paperSource();
    m_openingOrientation = printer.orientation();
    rbLandscape->setChecked(m_openingOrientation == PrinterInfo::kLandscape);
    rbPortrait->setChecked(m_openingOrientation != PrinterInfo::kLandscape);
    txtLeftMargin->setFocus();
    Redraw();
}

void Tfrmpagesetupall::fillPaperLists() {
    const PrinterInfo& printer = PrinterInfo::instance();
    auto fill = [](QComboBox* box, const QList<PrinterInfo::Paper>& items, int current) {
        box->clear();
        for (const PrinterInfo::Paper& p : items)
            box->addItem(p.name, p.code);
        int index = box->findData(current);
        if (index < 0 && current > 0) {
            // A paper the printer does not list (set by the system's own dialog, say)
            // is still the one in use.
            box->addItem(QStringLiteral("Other (%1)").arg(current), current);
            index = box->count() - 1;
        }
        box->setCurrentIndex(index);
        return index;
    };
    m_sizeIndex = fill(cbSize, printer.paperSizes(), printer.paperSize());
    m_sourceIndex = fill(cbSource, printer.paperSources(), printer.paperSource());
}

void Tfrmpagesetupall::cbSizeChange() {
    PrinterInfo& printer = PrinterInfo::instance();
    if (printer.setPaperSize(cbSize->currentData().toInt()))
        m_sizeIndex = cbSize->currentIndex();
    else
        cbSize->setCurrentIndex(m_sizeIndex);
    planOrientationClick();
}

void Tfrmpagesetupall::cbSourceChange() {
    PrinterInfo::instance().setPaperSource(cbSource->currentData().toInt());
    m_sourceIndex = cbSource->currentIndex();
}

void Tfrmpagesetupall::planOrientationClick() {
    PrinterInfo::instance().setOrientation(rbLandscape->isChecked() ? PrinterInfo::kLandscape
                                                                    : PrinterInfo::kPortrait);
    Redraw();
}

void Tfrmpagesetupall::sheetOrientationClick(bool landscape) {
    m_sheet.landscape = landscape;
    Redraw();
}

void Tfrmpagesetupall::marginExit(QLineEdit* box, double* value) {
    *value = numberOrOne(box->text());
    box->setText(plainNumber(*value));
    Redraw();
}

void Tfrmpagesetupall::pagesExit(QLineEdit* box, int* value) {
    bool ok = false;
    const int n = box->text().trimmed().toInt(&ok);
    *value = ok ? n : 1;
    box->setText(QString::number(*value));
}

void Tfrmpagesetupall::chkFitClick() {
    const bool on = chkFit->isChecked();
    m_sheet.fit = on;
    for (QWidget* w : std::initializer_list<QWidget*>{edPH, edPW, lblPH, lblPW})
        w->setEnabled(on);
}

std::array<std::pair<QLineEdit*, double*>, 8> Tfrmpagesetupall::marginFields() {
    return {{{txtLeftMargin, &m_plan.left},
             {txtRightMargin, &m_plan.right},
             {txtTopMargin, &m_plan.top},
             {txtBottomMargin, &m_plan.bottom},
             {txtCLeftMargin, &m_sheet.margins.left},
             {txtCRightMargin, &m_sheet.margins.right},
             {txtCTopMargin, &m_sheet.margins.top},
             {txtCBottomMargin, &m_sheet.margins.bottom}}};
}

void Tfrmpagesetupall::commitEdits() {
    // A box still being typed in counts as left.
    for (const auto& [box, value] : marginFields())
        marginExit(box, value);
    pagesExit(edPH, &m_sheet.pagesHigh);
    pagesExit(edPW, &m_sheet.pagesWide);
}

void Tfrmpagesetupall::Redraw() {
    const QSizeF printable = PrinterInfo::instance().printablePageInches();
    const bool planLandscape = rbLandscape->isChecked();
    const QSizeF planPage = shaped(printable, planLandscape);
    pnlPlan->setThumbnail(
        pageThumbnail(pnlPlan->size(), planPage, planLandscape, m_plan, !planLandscape));

    const bool sheetLandscape = m_sheet.landscape;
    const bool turned = sheetLandscape != planLandscape;
    const QSizeF sheetPage = turned ? planPage.transposed() : planPage;
    pnlCashflow->setThumbnail(pageThumbnail(pnlCashflow->size(), sheetPage, sheetLandscape,
                                            m_sheet.margins, true, kBudgetPaperTop,
                                            turned ? pnlCashflow->width() / 2 - 50 : -1));
}

void Tfrmpagesetupall::cmdOkClick() {
    commitEdits();
    if (!marginsFitPage(m_plan, PrinterInfo::instance().printablePageInches())) {
        ShowMessageDialog(QStringLiteral("The margins overlap or they are off the paper.\n"
                                         "Enter a different margin size."),
                          mtError, mbOK, mbOK, 0);
        txtLeftMargin->setFocus();
        return;
    }
    m_contents = chkContents->isChecked();
    accept();
}

void Tfrmpagesetupall::reject() {
    // The printer goes back to the paper it had; when its size cannot be restored, the
    // source and orientation are left as they are.
    PrinterInfo& printer = PrinterInfo::instance();
    if (printer.setPaperSize(m_openingSize)) {
        printer.setPaperSource(m_openingSource);
        printer.setOrientation(m_openingOrientation);
    }
    m_plan = m_openingPlan;
    QDialog::reject();
}
