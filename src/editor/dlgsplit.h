#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;

// "Split Cells": into how many cells the current cell is split. The edit shows "2" each
// time the window opens; the caller reads it after OK.
class Tsplitcelllsdlg : public QDialog {
    Q_OBJECT
public:
    explicit Tsplitcelllsdlg(QWidget* parent = nullptr);
    // Shows the window modally, centred; 1 for OK, 2 for Cancel.
    int execute();

    QLabel* lblColumns;
    QLineEdit* txtColumns;
    UpDown* udColumns;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    // OK: a count out of range is refused and the window stays open to correct it.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
};
