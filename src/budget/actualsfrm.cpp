#include "budget/actualsfrm.h"

#include "controls/sheet/sheetcontrol.h"
#include "platform/printerinfo.h"

#include <QHBoxLayout>
#include <QPrinter>
#include <QPushButton>
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
    connect(cmdPrint, &QPushButton::clicked, this, &TfrmActuals::cmdPrintClick);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);

    const QSize available = parent ? parent->window()->size() : QSize(1100, 700);
    resize(qMax(640, available.width() * 9 / 10), qMax(420, available.height() * 4 / 5));
    spread->setFocus();
}

void TfrmActuals::cmdPrintClick() {
    if (QPrinter* printer = PrinterInfo::instance().printer()) spread->Print(printer, true);
}
