#include "budget/actualsfrm.h"

#include "controls/sheet/sheetcontrol.h"
#include "platform/printerinfo.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TfrmActuals::TfrmActuals(Sheet::SheetModel& sheet, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfrmActuals"));
    setWindowTitle(QStringLiteral("Actual Spend"));
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    spread = new SheetControl(&sheet, this);
    spread->setObjectName(QStringLiteral("spreadActuals"));
    layout->addWidget(spread, 1);

    auto* buttons = new QHBoxLayout;
    cmdInsertChart = new QPushButton(QStringLiteral("Insert C&hart into Plan"), this);
    cmdInsertChart->setObjectName(QStringLiteral("cmdInsertChart"));
    cmdInsertChart->setToolTip(QStringLiteral("Puts a chart of the budget against the actual "
                                              "spend into the plan's Monitoring and Control "
                                              "section"));
    cmdInsertChart->setAutoDefault(false); // Enter stores a figure (below)
    cmdInsertChart->hide();
    buttons->addWidget(cmdInsertChart);
    buttons->addStretch(1);
    cmdPrint = new QPushButton(QStringLiteral("&Print..."), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    // Enter belongs to the sheet (it stores the figure typed), never to a button.
    for (QPushButton* b : {cmdPrint, cmdClose}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    cmdPrint->setEnabled(PrinterInfo::instance().printer() != nullptr);
    connect(cmdInsertChart, &QPushButton::clicked, this, [this] {
        // The figure being typed counts.
        spread->Finish();
        if (onInsertChart) onInsertChart();
    });
    connect(cmdPrint, &QPushButton::clicked, this, &TfrmActuals::cmdPrintClick);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);

    // Most of the main window, and room for several months however small that is, within
    // the screen.
    const QSize main = parent ? parent->window()->size() : QSize(1100, 700);
    QSize size(qMax(980, main.width() * 9 / 10), qMax(560, main.height() * 4 / 5));
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    resize(size);
    // Opens at the cell the user starts on, scrolled into view.
    spread->setSelection(Sheet::cellName(spread->Row(), spread->Col()));
    spread->setFocus();
}

void TfrmActuals::cmdPrintClick() {
    if (QPrinter* printer = PrinterInfo::instance().printer()) spread->Print(printer, true);
}

void TfrmActuals::setInsertChart(std::function<void()> insert) {
    onInsertChart = std::move(insert);
    cmdInsertChart->setVisible(bool(onInsertChart));
}
