#include "analysis/swotfrm.h"

#include "analysis/factorfile.h"
#include "dialogs/dialogfrm.h"
#include "platform/helpsystem.h"
#include "platform/inifile.h"
#include "widgets/stringgrid.h"

#include <QPushButton>
#include <QVBoxLayout>

Tfrmsummary* frmsummary = nullptr;

Tfrmsummary::Tfrmsummary(TextControl& text, QWidget* parent) : AnalysisDialog(text, parent) {
    setObjectName(QStringLiteral("frmsummary"));
    setWindowTitle(QStringLiteral("SWOT Table preview"));

    auto* layout = new QVBoxLayout(this);
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* panel = new QVBoxLayout(Panel1);
    panel->setContentsMargins(0, 0, 0, 0);
    sg1 = new StringGrid(SwotColumns, Panel1);
    sg1->setObjectName(QStringLiteral("sg1"));
    sg1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sg1->setFocusPolicy(Qt::NoFocus);
    sg1->setColWidth(0, 163);
    sg1->setColWidth(1, 30);
    sg1->setColWidth(2, 163);
    sg1->setColWidth(3, 30);
    sg1->setDefaultRowHeight(15);
    sg1->setColumnAlignment(1, Qt::AlignLeft);
    sg1->setColumnAlignment(3, Qt::AlignLeft);
    sg1->setRows(SwotRows);
    for (int row : {0, 11}) {
        sg1->setRowBold(row, true);
        sg1->setRowUnderlined(row, true);
        for (int c = 0; c < SwotColumns; ++c)
            sg1->setCellAlignment(c, row, Qt::AlignHCenter);
    }
    // It takes no input, but reads as the window's normal text, not greyed.
    QPalette pal = sg1->palette();
    for (auto role : {QPalette::Text, QPalette::Base, QPalette::WindowText, QPalette::Highlight,
                      QPalette::HighlightedText})
        pal.setColor(QPalette::Disabled, role, pal.color(QPalette::Active, role));
    sg1->setPalette(pal);
    sg1->setEnabled(false);
    sg1->setFixedSize(sg1->contentWidth(), sg1->heightForRows(SwotRows));
    panel->addWidget(sg1);
    layout->addWidget(Panel1);

    Button3 = AnalysisForm::button(QStringLiteral("&Help"), "Button3", this);
    Button1 = AnalysisForm::button(QStringLiteral("&Insert table"), "Button1", this);
    Button2 = AnalysisForm::button(QStringLiteral("&Cancel"), "Button2", this);
    btnInsertChart = AnalysisForm::button(QStringLiteral("Insert ch&art"), "btnInsertChart", this);
    AnalysisForm::addFoot(layout, Button3, Button1, Button2, btnInsertChart);

    connect(Button1, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(btnInsertChart, &QPushButton::clicked, this, [this] { done(mrInsertChart); });
    connect(Button2, &QPushButton::clicked, this, &Tfrmsummary::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &Tfrmsummary::Button3Click);
}

int Tfrmsummary::execFor(const QString& plan) {
    m_plan = plan;
    AnalysisForm::sizeBeforeShowing(this);
    return exec();
}

Grid Tfrmsummary::gridRows() const {
    return sg1->rowsOfText();
}

void Tfrmsummary::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void Tfrmsummary::FormShow() {
    const IniFile sw(FactorFile::path(Analysis::StrengthWeakness));
    const IniFile ip(FactorFile::path(Analysis::ImpactProbability));
    QStringList notNumbers;
    const Grid grid = buildSwotGrid(swotEntries(sw, m_plan, &notNumbers),
                                    swotEntries(ip, m_plan, &notNumbers));
    for (int r = 0; r < SwotRows; ++r)
        for (int c = 0; c < SwotColumns; ++c)
            sg1->setCell(c, r, grid[r][c]);
    // Said as the analysis windows say it; those factors are not in the table.
    for (const QString& text : notNumbers)
        showStandardError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

void Tfrmsummary::Button2Click() {
    lineDown();
    done(mrCancel);
}

void Tfrmsummary::Button3Click() {
    HelpSystem::instance().showContext(19);
}
