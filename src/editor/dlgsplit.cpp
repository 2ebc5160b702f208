#include "editor/dlgsplit.h"

#include "editor/tablecommands.h"
#include "editor/tblfrm.h"
#include "editor/updown.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Tsplitcelllsdlg::Tsplitcelllsdlg(QWidget* parent) : QDialog(parent) {
    setObjectName("splitcelllsdlg");
    setWindowTitle("Split Cells");
    setModal(true);
    setFixedSize(236, 84);

    lblColumns = new QLabel("&Columns :", this);
    lblColumns->setObjectName("lblColumns");
    lblColumns->setGeometry(16, 18, 64, 21);
    txtColumns = new QLineEdit(this);
    txtColumns->setObjectName("txtColumns");
    txtColumns->setGeometry(88, 16, 49, 23);
    lblColumns->setBuddy(txtColumns);
    udColumns = new UpDown(this);
    udColumns->setObjectName("udColumns");
    udColumns->setGeometry(137, 16, 17, 23);
    udColumns->setRange(1, 100);
    udColumns->setPosition(2);
    udColumns->setBuddy(txtColumns);

    addOkCancelButtons(this, &cmdOK, &cmdCancel);
}

void Tsplitcelllsdlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void Tsplitcelllsdlg::FormShow() {
    txtColumns->setText("2");
    udColumns->setPosition(2);
    txtColumns->setFocus();
    txtColumns->selectAll();
}

void Tsplitcelllsdlg::accept() {
    if (TableCommands::acceptCounts({txtColumns})) QDialog::accept();
}

int Tsplitcelllsdlg::execute() {
    return executeCentred(this);
}
