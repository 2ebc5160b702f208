#include "analysis/analysisdialog.h"

#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "widgets/stringgrid.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

AnalysisDialog::AnalysisDialog(TextControl& text, QWidget* parent) : QDialog(parent), m_text(text) {
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void AnalysisDialog::closeEvent(QCloseEvent* e) {
    if (isVisible()) done(mrCancel);
    e->accept();
}

void AnalysisDialog::lineDown() {
    m_text.setLineNumber(m_text.LineNumber() + 1);
}

void AnalysisDialog::showStandardError(const QString& message) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), message, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

namespace AnalysisForm {

QLabel* label(const QString& text, const char* name, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

void addGrid(QBoxLayout* layout, QWidget* headings, StringGrid* grid) {
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    column->addWidget(headings);
    column->addWidget(grid);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addLayout(column);
    row->addStretch();
    layout->addLayout(row);
}

void addFoot(QBoxLayout* layout, QPushButton* help, QPushButton* insert, QPushButton* cancel,
             QPushButton* chart) {
    insert->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addWidget(help);
    row->addStretch();
    row->addWidget(insert);
    if (chart) row->addWidget(chart);
    row->addWidget(cancel);
    layout->addSpacing(4);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void sizeBeforeShowing(QDialog* window) {
    window->ensurePolished();
    if (QLayout* layout = window->layout()) layout->activate();
    window->adjustSize();
}

QList<int> columnEdges(const StringGrid* grid) {
    QList<int> x{grid->frameWidth()};
    for (int c = 0; c < grid->columnCount(); ++c)
        x << x.last() + grid->columnWidth(c);
    return x;
}

} // namespace AnalysisForm
