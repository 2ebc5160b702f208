#include "analysis/swfrm.h"

#include "dialogs/dialogfrm.h"
#include "platform/helpsystem.h"
#include "platform/inifile.h"
#include "widgets/stepmarker.h"
#include "widgets/stringgrid.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

Tfrmsw* frmsw = nullptr;
Tfrmip* frmip = nullptr;

namespace {

const FactorScoreConfig kStrengthWeakness{
    Analysis::StrengthWeakness, "frmsw", "Strength / weakness analysis", "Factor Weighting",
    "Strength / Weakness Score", "Weight", 18, "W"};
const FactorScoreConfig kImpactProbability{
    Analysis::ImpactProbability, "frmip", "Impact / Probability analysis", "Probability of occurence",
    "Potential Impact", "Prob.", 17, "P"};

// Heading labels over the score columns -5 to 5.
const char* const kScoreHeadings[11] = {"Label2",  "Label9",  "Label12", "Label13",
                                        "Label14", "Label16", "Label17", "Label18",
                                        "Label19", "Label20", "Label15"};

using AnalysisForm::label;
using AnalysisForm::button;

QSpinBox* makeSpin(const char* name, int low, int high, int initial, QWidget* parent) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(low, high);
    s->setValue(initial);
    return s;
}

// Pixels between the widgets of a row: a label and its box, the New and Delete buttons.
constexpr int kRowSpacing = 6;

} // namespace

Tfrmsw::Tfrmsw(TextControl& text, QWidget* parent) : TfrmFactorScore(kStrengthWeakness, text, parent) {}
Tfrmip::Tfrmip(TextControl& text, QWidget* parent) : TfrmFactorScore(kImpactProbability, text, parent) {}

TfrmFactorScore::TfrmFactorScore(const FactorScoreConfig& config, TextControl& text, QWidget* parent)
    : FactorWindow(config.analysis, text, parent), m_config(config) {
    setObjectName(QLatin1String(config.formName));
    setWindowTitle(QLatin1String(config.caption));

    auto* layout = new QVBoxLayout(this);
    auto* steps = new QGridLayout;
    steps->setHorizontalSpacing(8);
    Shape4 = new StepMarker(1, this);
    Shape4->setObjectName(QStringLiteral("Shape4"));
    Shape1 = new StepMarker(2, this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape2 = new StepMarker(3, this);
    Shape2->setObjectName(QStringLiteral("Shape2"));

    Label11 = label(QStringLiteral("Enter factor description (press new to add)"), "Label11", this);
    Label11->setBuddy(ComboBox1);
    Button2 = button(QStringLiteral("&New"), "Button2", this);
    Button3 = button(QStringLiteral("&Delete"), "Button3", this);
    // Rows inside the grid get no spacing of their own from it (its two spacings differ):
    // each is given the room a reader expects between a label, its box and the buttons.
    auto* factorRow = new QHBoxLayout;
    factorRow->setSpacing(kRowSpacing);
    factorRow->addWidget(ComboBox1, 1);
    factorRow->addWidget(Button2);
    factorRow->addWidget(Button3);
    steps->addWidget(Shape4, 0, 0, 2, 1, Qt::AlignTop);
    steps->addWidget(Label11, 0, 1);
    steps->addLayout(factorRow, 1, 1);

    Label10 = label(QLatin1String(config.weightLabel), "Label10", this);
    SpinEdit1 = makeSpin("SpinEdit1", 1, 10, 1, this);
    Label10->setBuddy(SpinEdit1);
    Label6 = label(QLatin1String(config.scoreLabel), "Label6", this);
    SpinEdit2 = makeSpin("SpinEdit2", -5, 5, 0, this);
    Label6->setBuddy(SpinEdit2);
    auto* values = new QHBoxLayout;
    values->setSpacing(kRowSpacing);
    values->addWidget(Label10);
    values->addWidget(SpinEdit1);
    values->addSpacing(24);
    values->addWidget(Shape2);
    values->addSpacing(4);
    values->addWidget(Label6);
    values->addWidget(SpinEdit2);
    values->addStretch();
    steps->addWidget(Shape1, 2, 0, Qt::AlignVCenter);
    steps->addLayout(values, 2, 1);
    steps->setRowMinimumHeight(2, Shape1->sizeHint().height() + 8);
    layout->addLayout(steps);
    layout->addSpacing(6);

    sg1 = new StringGrid(FactorScoreColumns, this);
    sg1->setObjectName(QStringLiteral("sg1"));
    sg1->setSelectionMode(QAbstractItemView::SingleSelection);
    sg1->setDefaultColWidth(20);
    sg1->setColWidth(0, 155);
    const int numberWidth = qMax(30, sg1->fontMetrics().horizontalAdvance(QStringLiteral("-50")) + 10);
    sg1->setColWidth(1, numberWidth);
    sg1->setColWidth(13, numberWidth);
    sg1->setColumnWidth(13, qMax(sg1->columnWidth(13),
                                 sg1->fontMetrics().horizontalAdvance(QStringLiteral("Total")) + 8));
    sg1->setColumnWidth(1, qMax(sg1->columnWidth(1), sg1->fontMetrics().horizontalAdvance(
                                                         QLatin1String(config.weightHeading)) + 10));
    sg1->setDefaultRowHeight(15);
    sg1->setColumnAlignment(0, Qt::AlignRight);
    for (int c = 2; c <= 12; ++c)
        sg1->setColumnAlignment(c, Qt::AlignHCenter);
    sg1->setColumnAlignment(1, Qt::AlignHCenter);
    sg1->setColumnAlignment(13, Qt::AlignHCenter);
    sg1->setColumnColour(1, QColor(255, 255, 0));
    sg1->setColumnColour(13, QColor(255, 255, 0));
    sg1->setFixedWidth(sg1->contentWidth());
    sg1->setFixedHeight(sg1->heightForRows(8));
    connect(sg1, &StringGrid::rowClicked, this, &TfrmFactorScore::sg1Click);

    headings = new QWidget(this);
    headings->setObjectName(QStringLiteral("headings"));
    label(QStringLiteral("Factor description"), "Label3", headings);
    label(QLatin1String(config.weightHeading), "Label4", headings);
    for (int s = -5; s <= 5; ++s)
        label(QString::number(s), kScoreHeadings[s + 5], headings);
    label(QStringLiteral("Total"), "Label1", headings);
    layOutHeadings();
    AnalysisForm::addGrid(layout, headings, sg1);

    Button7 = button(QStringLiteral("&Help"), "Button7", this);
    Button5 = button(QStringLiteral("&Insert Table"), "Button5", this);
    Button4 = button(QStringLiteral("&Cancel"), "Button4", this);
    btnInsertChart = button(QStringLiteral("Insert Ch&art"), "btnInsertChart", this);
    AnalysisForm::addFoot(layout, Button7, Button5, Button4, btnInsertChart);

    connect(Button2, &QPushButton::clicked, this, &TfrmFactorScore::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfrmFactorScore::Button3Click);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &TfrmFactorScore::SpinEdit1Change);
    connect(SpinEdit2, &QSpinBox::valueChanged, this, &TfrmFactorScore::SpinEdit2Change);
    connect(Button5, &QPushButton::clicked, this, &TfrmFactorScore::Button5Click);
    connect(btnInsertChart, &QPushButton::clicked, this, &TfrmFactorScore::btnInsertChartClick);
    connect(Button4, &QPushButton::clicked, this, &TfrmFactorScore::Button4Click);
    connect(Button7, &QPushButton::clicked, this, &TfrmFactorScore::Button7Click);
    enableControls(false);
}

void TfrmFactorScore::layOutHeadings() {
    const int line = fontMetrics().height();
    headings->setFixedSize(sg1->contentWidth(), line + 2);
    const QList<int> x = AnalysisForm::columnEdges(sg1);
    const auto place = [&](const char* name, int column, Qt::Alignment a) {
        auto* l = headings->findChild<QLabel*>(QLatin1String(name));
        l->setAlignment(a | Qt::AlignBottom);
        // A little room between a right-aligned heading and the next.
        const int gap = a == Qt::AlignRight ? 6 : 0;
        l->setGeometry(x[column], 0, x[column + 1] - x[column] - gap, line + 2);
    };
    place("Label3", 0, Qt::AlignRight);
    place("Label4", 1, Qt::AlignHCenter);
    for (int s = -5; s <= 5; ++s)
        place(kScoreHeadings[s + 5], ScoreColumn(s), Qt::AlignHCenter);
    place("Label1", 13, Qt::AlignHCenter);
}

Grid TfrmFactorScore::gridRows() const {
    return sg1->rowsOfText();
}

void TfrmFactorScore::showEvent(QShowEvent* e) {
    FactorWindow::showEvent(e);
    FormShow();
}

void TfrmFactorScore::FormShow() {
    loadOnShow();
}

void TfrmFactorScore::enableControls(bool factors) {
    for (QWidget* w : {static_cast<QWidget*>(Button3), static_cast<QWidget*>(Button5),
                       static_cast<QWidget*>(btnInsertChart),
                       static_cast<QWidget*>(SpinEdit1), static_cast<QWidget*>(SpinEdit2),
                       static_cast<QWidget*>(Label10), static_cast<QWidget*>(Label6),
                       static_cast<QWidget*>(Shape1), static_cast<QWidget*>(Shape2), headings,
                       static_cast<QWidget*>(sg1)})
        w->setEnabled(factors);
    if (factors) return;
    sg1->setRows(0);
    const QSignalBlocker b1(SpinEdit1);
    const QSignalBlocker b2(SpinEdit2);
    SpinEdit1->setValue(1);
    SpinEdit2->setValue(0);
}

void TfrmFactorScore::ComboBox1Change() {
    chooseFactor(ComboBox1->currentIndex());
}

void TfrmFactorScore::sg1Click(int row) {
    if (row >= 0 && row < ComboBox1->count()) chooseFactor(row);
}

void TfrmFactorScore::showValue(const IniFile& ini, const char* key, QSpinBox* editor) {
    int stored = 0;
    if (!readEditorValue(ini, key, &stored)) {
        // Empty rather than the value of the factor chosen before.
        const QSignalBlocker block(editor);
        editor->setValue(editor->minimum());
        editor->clear();
        return;
    }
    const int shown = qBound(editor->minimum(), stored, editor->maximum());
    {
        const QSignalBlocker block(editor);
        editor->setValue(shown);
    }
    // A missing or out-of-range value is stored as the editor shows it.
    if (shown != stored) writeValue(key, shown);
}

void TfrmFactorScore::showFactor(const IniFile& ini, int index) {
    if (index < 0 || ComboBox1->count() == 0) return;
    showValue(ini, "w", SpinEdit1);
    showValue(ini, "i", SpinEdit2);
    sg1->setCurrentRow(index);
}

void TfrmFactorScore::rebuildGrid(const IniFile& ini) {
    QStringList names;
    for (int i = 0; i < ComboBox1->count(); ++i)
        names << ComboBox1->itemText(i);
    const BuiltGrid g = buildFactorScoreGrid(ini, plan(), names);
    sg1->setRows(int(names.size()));
    for (int r = 0; r < int(names.size()); ++r)
        for (int c = 0; c < FactorScoreColumns; ++c) {
            sg1->setCell(c, r, g.rows[r][c]);
            if (c >= 2 && c <= 12) sg1->setCellBold(c, r, !g.rows[r][c].isEmpty());
        }
    sg1->setCurrentRow(ComboBox1->currentIndex());
    reportNotNumbers(g.notNumbers);
}

void TfrmFactorScore::clearGrid() {
    sg1->setRows(0);
}

void TfrmFactorScore::Button2Click() {
    addFactor(QStringLiteral("Add new factor"), QStringLiteral("Factor description"));
}

void TfrmFactorScore::Button3Click() {
    deleteFactor();
}

void TfrmFactorScore::showDuplicate() {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"),
                    QStringLiteral("Factor name already exists."), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("InformationBox"));
    box.exec();
}

void TfrmFactorScore::SpinEdit1Change() {
    writeValue("w", SpinEdit1->value());
}

void TfrmFactorScore::SpinEdit2Change() {
    writeValue("i", SpinEdit2->value());
}

void TfrmFactorScore::Button5Click() {
    done(mrOk);
}

void TfrmFactorScore::btnInsertChartClick() {
    done(mrInsertChart);
}

void TfrmFactorScore::Button4Click() {
    lineDown();
    done(mrCancel);
}

void TfrmFactorScore::Button7Click() {
    HelpSystem::instance().showContext(m_config.helpContext);
}
