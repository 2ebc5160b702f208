#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The small "Printing" window shown while the plan prints: which printer, where, and the
// page going out. It stays on top and cannot be closed by the user; its Cancel button
// stays disabled, since a print run cannot be stopped half-way.
class Tprintdl : public QDialog {
    Q_OBJECT
public:
    explicit Tprintdl(QWidget* parent = nullptr);

    // The printer's name, and "on " + its port.
    void showPrinter(const QString& name, const QString& port);
    // "Page " + the page's number.
    void showPage(int page);

    QLabel* Label1 = nullptr; // "Printing"
    QLabel* Label5 = nullptr; // the page
    QLabel* Label2 = nullptr; // "on the"
    QLabel* Label4 = nullptr; // the printer's name
    QLabel* Label6 = nullptr; // "on " + the port
    QPushButton* cmdCancel = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

extern Tprintdl* printdl;
