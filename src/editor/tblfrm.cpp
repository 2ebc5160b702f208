#include "editor/tblfrm.h"

#include "editor/tablecommands.h"
#include "editor/updown.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

int executeCentred(QDialog* dialog) {
    QScreen* screen = nullptr;
    if (QWidget* active = QApplication::activeWindow()) screen = active->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        dialog->move(area.x() + (area.width() - dialog->width()) / 2,
                     area.y() + (area.height() - dialog->height()) / 2);
    }
    return dialog->exec() == QDialog::Accepted ? 1 : 2;
}

Tfrminserttbl::Tfrminserttbl(QWidget* parent) : QDialog(parent) {
    setObjectName("frminserttbl");
    setWindowTitle("Insert Table");
    setModal(true);
    setFixedSize(236, 86);

    lblRows = new QLabel("Rows :", this);
    lblRows->setObjectName("lblRows");
    lblRows->setGeometry(16, 18, 64, 21);
    txtRows = new QLineEdit(this);
    txtRows->setObjectName("txtRows");
    txtRows->setGeometry(88, 16, 49, 23);
    udRows = new UpDown(this);
    udRows->setObjectName("udRows");
    udRows->setGeometry(137, 16, 17, 23);

    lblColumns = new QLabel("Columns :", this);
    lblColumns->setObjectName("lblColumns");
    lblColumns->setGeometry(16, 50, 64, 21);
    txtColumns = new QLineEdit(this);
    txtColumns->setObjectName("txtColumns");
    txtColumns->setGeometry(88, 48, 49, 23);
    udColumns = new UpDown(this);
    udColumns->setObjectName("udColumns");
    udColumns->setGeometry(137, 48, 17, 23);

    for (UpDown* ud : {udRows, udColumns}) {
        ud->setRange(1, 100);
        ud->setIncrement(1);
        ud->setPosition(2);
    }
    udRows->setBuddy(txtRows);
    udColumns->setBuddy(txtColumns);
    lblRows->setBuddy(txtRows);
    lblColumns->setBuddy(txtColumns);

    addOkCancelButtons(this, &cmdOK, &cmdCancel);
}

void addOkCancelButtons(QDialog* dialog, QPushButton** ok, QPushButton** cancel) {
    *ok = new QPushButton("&OK", dialog);
    (*ok)->setObjectName("cmdOK");
    (*ok)->setGeometry(164, 14, 62, 25);
    (*ok)->setDefault(true);
    *cancel = new QPushButton("&Cancel", dialog);
    (*cancel)->setObjectName("cmdCancel");
    (*cancel)->setGeometry(164, 46, 62, 25);
    QObject::connect(*ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(*cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

void Tfrminserttbl::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void Tfrminserttbl::FormShow() {
    txtRows->setText("2");
    txtColumns->setText("2");
    udRows->setPosition(2);
    udColumns->setPosition(2);
    txtRows->setFocus();
    txtRows->selectAll();
}

void Tfrminserttbl::accept() {
    if (TableCommands::acceptCounts({txtRows, txtColumns})) QDialog::accept();
}

int Tfrminserttbl::execute() {
    return executeCentred(this);
}
