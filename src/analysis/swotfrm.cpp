#include "analysis/swotfrm.h"

#include "analysis/factorfile.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "platform/helpsystem.h"
#include "platform/inifile.h"
#include "widgets/stringgrid.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

Tfrmsummary* frmsummary = nullptr;

namespace {
QPushButton* makeButton(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}
} // namespace

Tfrmsummary::Tfrmsummary(TextControl& text, QWidget* parent) : QDialog(parent), m_text(text) {
    setObjectName(QStringLiteral("frmsummary"));
    setWindowTitle(QStringLiteral("SWOT Table preview"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

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

    Button3 = makeButton(QStringLiteral("&Help"), "Button3", this);
    Button1 = makeButton(QStringLiteral("&Insert table"), "Button1", this);
    Button1->setDefault(true);
    Button2 = makeButton(QStringLiteral("&Cancel"), "Button2", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button3);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addSpacing(4);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Button1, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(Button2, &QPushButton::clicked, this, &Tfrmsummary::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &Tfrmsummary::Button3Click);
}

int Tfrmsummary::execFor(const QString& plan) {
    m_plan = plan;
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
    const Grid grid = buildSwotGrid(swotEntries(sw, m_plan), swotEntries(ip, m_plan));
    for (int r = 0; r < SwotRows; ++r)
        for (int c = 0; c < SwotColumns; ++c)
            sg1->setCell(c, r, grid[r][c]);
}

void Tfrmsummary::Button2Click() {
    m_text.setLineNumber(m_text.LineNumber() + 1);
    done(mrCancel);
}

void Tfrmsummary::reject() {
    // Escape is the Cancel button.
    Button2Click();
}

void Tfrmsummary::closeEvent(QCloseEvent* e) {
    // The close box leaves without a table and without moving the caret.
    if (isVisible()) done(mrCancel);
    e->accept();
}

void Tfrmsummary::Button3Click() {
    HelpSystem::instance().showContext(19);
}
