#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box.
class Tfrmabout : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmabout(QWidget* parent = nullptr);

    QLabel* lblProduct = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Image1 = nullptr;
    QPushButton* cmdWeb = nullptr;
    QPushButton* cmdOK = nullptr;

    void cmdWebClick();
};

extern Tfrmabout* frmabout;
