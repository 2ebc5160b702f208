#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;

// The OK and Cancel buttons of the small table dialogs, in their usual places.
void addOkCancelButtons(QDialog* dialog, QPushButton** ok, QPushButton** cancel);

// "Insert Table": the numbers of rows and columns of a new table. Both edits show "2"
// each time the window opens; the caller reads them after OK.
class Tfrminserttbl : public QDialog {
    Q_OBJECT
public:
    explicit Tfrminserttbl(QWidget* parent = nullptr);
    // Centres the window on the screen, shows it modally and returns 1 for OK, 2 for Cancel.
    int execute();

    QLabel* lblRows;
    QLineEdit* txtRows;
    UpDown* udRows;
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

// Centres a dialog on the screen of the active window, shows it modally and maps its
// result to 1 (OK) or 2 (Cancel).
int executeCentred(QDialog* dialog);
