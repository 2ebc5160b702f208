#pragma once

#include <QDialog>

// Windows of the program that are created at start-up and kept until it ends, in their
// plain frames: each has its class name and caption, and the work that fills it comes in
// its own file. When a window gets its real form, its class moves out of this file.

// The budget's start month, year and period.
class TfrmCashdet : public QDialog {
    Q_OBJECT

public:
    explicit TfrmCashdet(QWidget* parent = nullptr);
};
extern TfrmCashdet* frmCashdet;

// The budget sheet's print preview.
class TfrmSpreadPrev : public QDialog {
    Q_OBJECT

public:
    explicit TfrmSpreadPrev(QWidget* parent = nullptr);
};
extern TfrmSpreadPrev* frmSpreadPrev;

