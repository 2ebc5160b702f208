#include "analysis/cafrm.h"

#include "analysis/analysisdialog.h"
#include "dialogs/dialogfrm.h"
#include "platform/helpsystem.h"
#include "platform/inifile.h"
#include "widgets/metergauge.h"
#include "widgets/stringgrid.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

Tfrmca* frmca = nullptr;

namespace {

const char* const kRatingKeys[] = {"s1", "s2", "s3", "s4"};
// Pixels the value label moves for each point of rating: a rating of 10 fills the meter.
constexpr int kStep = 8;
constexpr int kMeterHeight = 10 * kStep + 4;

using AnalysisForm::label;
using AnalysisForm::button;

} // namespace

Tfrmca::Tfrmca(TextControl& text, QWidget* parent)
    : FactorWindow(Analysis::Competitor, text, parent) {
    setObjectName(QStringLiteral("frmca"));
    setWindowTitle(QStringLiteral("Competitor analysis"));

    auto* layout = new QVBoxLayout(this);
    Label6 = label(QStringLiteral("Key factor for success (click &New to add)"), "Label6", this);
    Label6->setBuddy(ComboBox1);
    newbtn = button(QStringLiteral("&New"), "newbtn", this);
    delbtn = button(QStringLiteral("&Delete"), "delbtn", this);
    auto* factorRow = new QHBoxLayout;
    factorRow->addWidget(ComboBox1, 1);
    factorRow->addWidget(newbtn);
    factorRow->addWidget(delbtn);
    layout->addWidget(Label6);
    layout->addLayout(factorRow);

    Label14 = label(QStringLiteral("KFS Weight"), "Label14", this);
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(5, 100);
    SpinEdit1->setSingleStep(5);
    SpinEdit1->setValue(5);
    Label14->setBuddy(SpinEdit1);
    auto* weightRow = new QHBoxLayout;
    weightRow->addWidget(Label14);
    weightRow->addWidget(SpinEdit1);
    weightRow->addStretch();
    layout->addLayout(weightRow);

    GroupBox1 = new QGroupBox(QStringLiteral("  KFS Rating  "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* group = new QVBoxLayout(GroupBox1);
    Label5 = label(QStringLiteral("Use the buttons at the bottom of each gauge to indicate the "
                                      "score for this factor."),
                       "Label5", GroupBox1);
    Label5->setWordWrap(true);
    group->addWidget(Label5);
    labus = label(QStringLiteral("Our Company"), "labus", GroupBox1);
    Label8 = label(QStringLiteral("Competitors"), "Label8", GroupBox1);
    labca = label(QStringLiteral("'A'"), "labca", GroupBox1);
    labcb = label(QStringLiteral("'B'"), "labcb", GroupBox1);
    labcc = label(QStringLiteral("'C'"), "labcc", GroupBox1);
    auto* gauges = new QHBoxLayout;
    auto* ours = new QVBoxLayout;
    ours->addWidget(new QWidget(GroupBox1)); // level with "Competitors"
    ours->addWidget(makeGauge(0, labus));
    gauges->addStretch(1);
    gauges->addLayout(ours);
    gauges->addStretch(1);
    auto* theirs = new QVBoxLayout;
    Label8->setAlignment(Qt::AlignHCenter);
    theirs->addWidget(Label8);
    auto* three = new QHBoxLayout;
    three->addWidget(makeGauge(1, labca));
    three->addSpacing(12);
    three->addWidget(makeGauge(2, labcb));
    three->addSpacing(12);
    three->addWidget(makeGauge(3, labcc));
    theirs->addLayout(three);
    gauges->addLayout(theirs);
    gauges->addStretch(1);
    group->addLayout(gauges);
    layout->addWidget(GroupBox1);

    sg1 = new StringGrid(CompetitorColumns, this);
    sg1->setObjectName(QStringLiteral("sg1"));
    sg1->setSelectionMode(QAbstractItemView::SingleSelection);
    sg1->setDefaultColWidth(30);
    sg1->setColWidth(0, 160);
    sg1->setColumnWidth(1, qMax(sg1->columnWidth(1),
                                sg1->fontMetrics().horizontalAdvance(QStringLiteral("Weight")) + 8));
    sg1->setDefaultRowHeight(15);
    sg1->setDefaultAlignment(Qt::AlignRight);
    sg1->setColumnColour(3, QColor(0, 255, 255));
    for (int c : {5, 7, 9})
        sg1->setColumnColour(c, QColor(255, 255, 0));
    // Room from the start for the highest score of a factor (a weight of 100 rated 10)
    // and its totals; larger sums widen their columns when they come.
    sg1->fitColumns(1, CompetitorColumns - 1, QStringLiteral("1000"));
    sg1->setFixedWidth(sg1->contentWidth());
    sg1->setFixedHeight(sg1->heightForRows(8));
    connect(sg1, &StringGrid::rowClicked, this, &Tfrmca::sg1Click);

    headings = new QWidget(this);
    headings->setObjectName(QStringLiteral("headings"));
    label(QStringLiteral("Factor"), "Label1", headings);
    label(QStringLiteral("Weight"), "Label7", headings);
    const char* const pairs[4][2] = {
        {"Label12", "Label13"}, {"Label2", "Label9"}, {"Label10", "Label11"}, {"Label3", "Label4"}};
    const QString parties[4] = {QStringLiteral("US"), QStringLiteral("'A'"), QStringLiteral("'B'"),
                                QStringLiteral("'C'")};
    for (int p = 0; p < 4; ++p) {
        label(QStringLiteral("Rating"), pairs[p][0], headings);
        label(parties[p], pairs[p][1], headings);
    }
    layOutHeadings();
    AnalysisForm::addGrid(layout, headings, sg1);

    helpbtn = button(QStringLiteral("&Help"), "helpbtn", this);
    Button1 = button(QStringLiteral("&Insert table"), "Button1", this);
    cancelbtn = button(QStringLiteral("&Cancel"), "cancelbtn", this);
    btnInsertChart = button(QStringLiteral("Insert ch&art"), "btnInsertChart", this);
    AnalysisForm::addFoot(layout, helpbtn, Button1, cancelbtn, btnInsertChart);

    connect(newbtn, &QPushButton::clicked, this, &Tfrmca::newbtnClick);
    connect(delbtn, &QPushButton::clicked, this, &Tfrmca::delbtnClick);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &Tfrmca::SpinEdit1Change);
    connect(Button1, &QPushButton::clicked, this, &Tfrmca::Button1Click);
    connect(btnInsertChart, &QPushButton::clicked, this, &Tfrmca::btnInsertChartClick);
    connect(cancelbtn, &QPushButton::clicked, this, &Tfrmca::cancelbtnClick);
    connect(helpbtn, &QPushButton::clicked, this, &Tfrmca::helpbtnClick);
    enableControls(false);
}

QWidget* Tfrmca::makeGauge(int party, QLabel* caption) {
    auto* column = new QWidget(GroupBox1);
    auto* v = new QVBoxLayout(column);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);
    caption->setAlignment(Qt::AlignHCenter);
    v->addWidget(caption);

    // The meter, with its value label riding on the top of the fill to its left.
    auto* well = new QWidget(column);
    const int labelWidth = fontMetrics().horizontalAdvance(QStringLiteral("10")) + 6;
    const int labelHeight = fontMetrics().height();
    well->setFixedSize(labelWidth + 4 + 18, kMeterHeight + labelHeight);
    meter[party] = new MeterGauge(well);
    meter[party]->setObjectName(QStringLiteral("meter%1t").arg(party + 1));
    meter[party]->setGeometry(labelWidth + 4, labelHeight / 2, 18, kMeterHeight);
    value[party] = new QLabel(QStringLiteral("0"), well);
    value[party]->setObjectName(QStringLiteral("Label%1").arg(15 + party));
    value[party]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value[party]->setStyleSheet(QStringLiteral("color: blue"));
    value[party]->resize(labelWidth, labelHeight);
    auto* wellRow = new QHBoxLayout;
    wellRow->addStretch();
    wellRow->addWidget(well);
    wellRow->addStretch();
    v->addLayout(wellRow);

    down[party] = new QToolButton(column);
    down[party]->setObjectName(QStringLiteral("eb%1").arg(2 * party + 2));
    down[party]->setArrowType(Qt::DownArrow);
    down[party]->setToolTip(QStringLiteral("Lower the rating"));
    up[party] = new QToolButton(column);
    up[party]->setObjectName(QStringLiteral("eb%1").arg(2 * party + 1));
    up[party]->setArrowType(Qt::UpArrow);
    up[party]->setToolTip(QStringLiteral("Raise the rating"));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    buttons->addStretch();
    buttons->addWidget(down[party]);
    buttons->addWidget(up[party]);
    buttons->addStretch();
    v->addLayout(buttons);

    connect(up[party], &QToolButton::clicked, this, [this, party] { upClick(party); });
    connect(down[party], &QToolButton::clicked, this, [this, party] { downClick(party); });
    placeValueLabel(party);
    return column;
}

void Tfrmca::layOutHeadings() {
    const int line = fontMetrics().height();
    headings->setFixedSize(sg1->contentWidth(), 2 * line + 2);
    const QList<int> x = AnalysisForm::columnEdges(sg1);
    const auto place = [&](const char* name, int from, int to, int row, Qt::Alignment a) {
        auto* l = headings->findChild<QLabel*>(QLatin1String(name));
        l->setAlignment(a | Qt::AlignBottom);
        l->setGeometry(x[from], row * line, x[to] - x[from], line + 2);
    };
    place("Label1", 0, 1, 1, Qt::AlignLeft);
    place("Label7", 1, 2, 1, Qt::AlignHCenter);
    const char* const pairs[4][2] = {
        {"Label12", "Label13"}, {"Label2", "Label9"}, {"Label10", "Label11"}, {"Label3", "Label4"}};
    for (int p = 0; p < 4; ++p) {
        place(pairs[p][0], 2 + 2 * p, 4 + 2 * p, 0, Qt::AlignHCenter);
        place(pairs[p][1], 2 + 2 * p, 4 + 2 * p, 1, Qt::AlignHCenter);
    }
}

void Tfrmca::placeValueLabel(int party) {
    QLabel* l = value[party];
    const int y = meter[party]->y() + meter[party]->fillTop() - l->height() / 2;
    l->move(0, qBound(0, y, l->parentWidget()->height() - l->height()));
}

int Tfrmca::gaugeRating(int party) const {
    return m_rating[party];
}

Grid Tfrmca::gridRows() const {
    return sg1->rowsOfText();
}

// --- Showing and choosing ------------------------------------------------------------------

void Tfrmca::showEvent(QShowEvent* e) {
    FactorWindow::showEvent(e);
    FormShow();
}

void Tfrmca::FormShow() {
    loadOnShow();
}

void Tfrmca::enableControls(bool factors) {
    for (QWidget* w : {static_cast<QWidget*>(delbtn), static_cast<QWidget*>(SpinEdit1),
                       static_cast<QWidget*>(Label14), static_cast<QWidget*>(GroupBox1), headings,
                       static_cast<QWidget*>(sg1)})
        w->setEnabled(factors);
    if (factors) {
        refreshGaugeButtons();
        return;
    }
    sg1->setRows(0);
    {
        // No factor, no weight: nothing from the plan shown before.
        const QSignalBlocker block(SpinEdit1);
        SpinEdit1->setValue(SpinEdit1->minimum());
        SpinEdit1->clear();
    }
    for (int p = 0; p < 4; ++p)
        setGauge(p, 0);
    for (int p = 0; p < 4; ++p) {
        up[p]->setEnabled(false);
        down[p]->setEnabled(false);
    }
}

void Tfrmca::ComboBox1Change() {
    chooseFactor(ComboBox1->currentIndex());
}

void Tfrmca::sg1Click(int row) {
    // The totals row has no factor: the grid stays on the chosen one.
    if (row >= 0 && row < ComboBox1->count())
        chooseFactor(row);
    else
        sg1->setCurrentRow(ComboBox1->currentIndex());
}

// Only this factor's values: one that cannot be shown leaves its editor empty, never with
// what the factor chosen before had.
void Tfrmca::showFactor(const IniFile& ini, int index) {
    if (index < 0) return;
    int w = 0;
    const bool weight = readEditorValue(ini, "w", &w);
    {
        const QSignalBlocker block(SpinEdit1);
        SpinEdit1->setValue(weight ? w : SpinEdit1->minimum());
        if (!weight) SpinEdit1->clear();
    }
    for (int p = 0; p < 4; ++p) {
        int rating = 0;
        if (readEditorValue(ini, kRatingKeys[p], &rating)) setGauge(p, rating);
        else emptyGauge(p);
    }
    sg1->setCurrentRow(index);
    refreshGaugeButtons();
}

void Tfrmca::setGauge(int party, int rating) {
    if (rating < 0 || rating > 10) {
        showStandardError(QStringLiteral("Error"));
        emptyGauge(party);
    } else {
        m_rating[party] = rating;
        meter[party]->setPercent(10 * rating);
        value[party]->setText(QString::number(rating));
        placeValueLabel(party);
    }
    refreshGaugeButtons();
}

// A rating that cannot be shown: the meter empty and no number beside it.
void Tfrmca::emptyGauge(int party) {
    m_rating[party] = 0;
    meter[party]->setPercent(0);
    value[party]->clear();
    placeValueLabel(party);
}

void Tfrmca::refreshGaugeButtons() {
    for (int p = 0; p < 4; ++p) {
        up[p]->setEnabled(value[p]->text() != QLatin1String("10"));
        down[p]->setEnabled(value[p]->text() != QLatin1String("0") && !value[p]->text().isEmpty());
    }
}

void Tfrmca::rebuildGrid(const IniFile& ini) {
    QStringList names;
    for (int i = 0; i < ComboBox1->count(); ++i)
        names << ComboBox1->itemText(i);
    const BuiltGrid g = buildCompetitorGrid(ini, plan(), names);
    const int n = int(names.size());
    sg1->setRows(n + 1);
    for (int r = 0; r <= n; ++r) {
        for (int c = 0; c < CompetitorColumns; ++c)
            sg1->setCell(c, r, g.rows[r][c]);
        sg1->setRowBold(r, r == n);
        sg1->setCellAlignment(0, r, r == n ? Qt::AlignLeft : Qt::AlignRight);
    }
    int w = 0;
    if (ComboBox1->currentIndex() >= 0 &&
        IniFile::parseInteger(ini.readString(selectedSection(), QStringLiteral("w")), &w)) {
        const QSignalBlocker block(SpinEdit1);
        SpinEdit1->setValue(w);
    }
    sg1->setCurrentRow(ComboBox1->currentIndex());
    if (sg1->fitColumns(1, CompetitorColumns - 1, QStringLiteral("1000"))) {
        sg1->setFixedWidth(sg1->contentWidth());
        layOutHeadings();
    }
    reportNotNumbers(g.notNumbers);
}

void Tfrmca::clearGrid() {
    sg1->setRows(0);
}

// --- Changes -------------------------------------------------------------------------------

void Tfrmca::newbtnClick() {
    addFactor(QStringLiteral("Add new KFS"), QStringLiteral("KFS Name"));
}

void Tfrmca::delbtnClick() {
    deleteFactor();
}

void Tfrmca::showDuplicate() {
    ShowInformation(QStringLiteral("Factor name already exists."));
}

void Tfrmca::SpinEdit1Change() {
    writeValue("w", SpinEdit1->value());
}

void Tfrmca::upClick(int party) {
    rate(party, 1);
}

void Tfrmca::downClick(int party) {
    rate(party, -1);
}

void Tfrmca::rate(int party, int step) {
    if (ComboBox1->currentIndex() < 0) return;
    const int rating = qBound(0, m_rating[party] + step, 10);
    m_rating[party] = rating;
    meter[party]->setPercent(10 * rating);
    value[party]->setText(QString::number(rating));
    placeValueLabel(party);
    sg1->setFocus();
    refreshGaugeButtons();
    writeValue(kRatingKeys[party], rating);
}

// --- Leaving -------------------------------------------------------------------------------

void Tfrmca::Button1Click() {
    insertClick(mrOk);
}

// The chart asks what the table asks: factors, and weights that share out 100.
void Tfrmca::btnInsertChartClick() {
    insertClick(mrInsertChart);
}

void Tfrmca::insertClick(int result) {
    m_mayClose = false;
    int sum = 0;
    QString bad;
    if (ComboBox1->count() == 0) {
        ShowInformation(QStringLiteral("No factors have been entered."));
        return;
    }
    if (!weightSum(gridRows(), &sum, &bad)) {
        showStandardError(QStringLiteral("'%1' is not a valid integer value").arg(bad));
        return;
    }
    if (sum != 100) {
        ShowInformation(QStringLiteral("Adjust weights so that the sum equals 100."));
        return;
    }
    m_mayClose = true;
    done(result);
}

void Tfrmca::cancelbtnClick() {
    lineDown();
    m_mayClose = true;
    done(mrCancel);
}

void Tfrmca::helpbtnClick() {
    HelpSystem::instance().showContext(16);
}
