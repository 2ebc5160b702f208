#include "editor/dlgcells.h"

#include "dialogs/dialogfrm.h"
#include "editor/tblfrm.h"
#include "editor/updown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

Tcellsdlg::Tcellsdlg(QWidget* parent) : QDialog(parent) {
    setObjectName("cellsdlg");
    setWindowTitle("Cell Height and Width");
    setModal(true);
    setFixedSize(352, 196);

    grpRow = new QGroupBox("Height of row 1:", this);
    grpRow->setObjectName("grpRow");
    grpRow->setGeometry(10, 8, 246, 92);
    ComboBox1 = new QComboBox(grpRow);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->addItems({"Auto", "Exactly", "At Least"});
    ComboBox1->setGeometry(12, 26, 96, 24);
    lblAt = new QLabel("At:", grpRow);
    lblAt->setObjectName("lblAt");
    lblAt->setGeometry(120, 28, 24, 20);
    txtHeight = new QLineEdit(grpRow);
    txtHeight->setObjectName("txtHeight");
    txtHeight->setReadOnly(true);
    txtHeight->setGeometry(146, 26, 68, 24);
    udHeight = new UpDown(grpRow);
    udHeight->setObjectName("udHeight");
    udHeight->setGeometry(214, 26, 17, 24);
    udHeight->setRange(8, 72);
    udHeight->setIncrement(1);
    chkAllRows = new QCheckBox("&Apply to all rows", grpRow);
    chkAllRows->setObjectName("chkAllRows");
    chkAllRows->setGeometry(12, 60, 200, 22);

    grpColumn = new QGroupBox(this);
    grpColumn->setObjectName("grpColumn");
    grpColumn->setGeometry(10, 108, 246, 76);
    lblWidth = new QLabel("Column Width :", grpColumn);
    lblWidth->setObjectName("lblWidth");
    lblWidth->setGeometry(12, 28, 100, 20);
    txtWidth = new QLineEdit(grpColumn);
    txtWidth->setObjectName("txtWidth");
    txtWidth->setReadOnly(true);
    txtWidth->setGeometry(146, 26, 68, 24);
    udWidth = new UpDown(grpColumn);
    udWidth->setObjectName("udWidth");
    udWidth->setGeometry(214, 26, 17, 24);
    udWidth->setRange(0, 1000);
    udWidth->setIncrement(2);
    txtWidthCm = new QLineEdit(this);
    txtWidthCm->setObjectName("txtWidthCm");
    txtWidthCm->hide();

    cmdOK = new QPushButton("&OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setGeometry(270, 14, 72, 25);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton("&Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    cmdCancel->setGeometry(270, 46, 72, 25);
    connect(cmdOK, &QPushButton::clicked, this, &Tcellsdlg::cmdOKClick);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    connect(udHeight, &UpDown::Click, this, [this] { udHeightClick(); });
    connect(udWidth, &UpDown::Click, this, [this] { udWidthClick(); });
}

int Tcellsdlg::widthMillimetres(int twips) {
    return int(std::lround(twips / 1440.0 * 25.4));
}

int Tcellsdlg::shownMillimetres(int m) {
    switch (m % 10) {
    case 1:
    case 3:
    case 5:
    case 7:
        return m + 1;
    case 9:
        return m - 1;
    }
    return m;
}

int Tcellsdlg::centimetresToTwips(double cm) {
    return int(std::lround(cm * 0.39370078740157480316 * 1440.0));
}

QString Tcellsdlg::centimetreText(int millimetres) {
    return QString::number(millimetres * 0.1);
}

void Tcellsdlg::prepare(int row, int widthTwips, int heightTwips, int maxWidthTwips) {
    m_maxWidth = maxWidthTwips;
    grpRow->setTitle(QString("Height of row %1:").arg(row + 1));
    const int m = widthMillimetres(widthTwips);
    const int shown = shownMillimetres(m);
    txtWidth->setText(centimetreText(shown) + " cm");
    txtWidthCm->setText(centimetreText(shown));
    m_openingWidth = txtWidthCm->text();
    udWidth->setPosition(m);
    const int points = int(std::lround(heightTwips / 20.0));
    udHeight->setPosition(points);
    txtHeight->setText(QString::number(points) + " pt");
    {
        const QSignalBlocker block(ComboBox1);
        ComboBox1->setCurrentIndex(0);
    }
    txtHeight->setEnabled(false);
    chkAllRows->setChecked(false);
}

bool Tcellsdlg::widthChanged() const {
    return txtWidthCm->text() != m_openingWidth;
}

QString Tcellsdlg::widthRefusal(double cm, int maxWidthTwips) {
    const int widest = int(std::floor(maxWidthTwips / 1440.0 * 25.4 + 1e-9));
    return QString("A column %1 cm wide would take the table past the edge of the text. The "
                   "widest it can be is %2 cm.")
        .arg(QString::number(cm))
        .arg(centimetreText(std::max(widest, 0)));
}

void Tcellsdlg::cmdOKClick() {
    const double cm = txtWidthCm->text().toDouble();
    if (widthChanged() && m_maxWidth > 0 && centimetresToTwips(cm) > m_maxWidth) {
        ShowMessageDialog(widthRefusal(cm, m_maxWidth), mtWarning, mbOK, mbOK, 0);
        return;
    }
    accept();
}

void Tcellsdlg::ComboBox1Change() {
    txtHeight->setEnabled(ComboBox1->currentIndex() != 0);
}

void Tcellsdlg::udHeightClick() {
    if (ComboBox1->currentText() != "Exactly") ComboBox1->setCurrentIndex(1);
    txtHeight->setText(QString::number(udHeight->Position()) + " pt");
    txtHeight->setEnabled(true);
}

void Tcellsdlg::udWidthClick() {
    txtWidth->setText(centimetreText(udWidth->Position()) + " cm");
    txtWidthCm->setText(centimetreText(udWidth->Position()));
}

int Tcellsdlg::execute() {
    return executeCentred(this);
}
