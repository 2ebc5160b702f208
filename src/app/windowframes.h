#pragma once

#include <QDialog>

// Windows of the program that are created at start-up and kept until it ends, in their
// plain frames: each has its class name and caption, and the work that fills it comes in
// its own file. When a window gets its real form, its class moves out of this file.

// Paper, orientation and margins of the plan and the budget.
class Tfrmpagesetupall : public QDialog {
    Q_OBJECT

public:
    explicit Tfrmpagesetupall(QWidget* parent = nullptr);
};
extern Tfrmpagesetupall* frmpagesetupall;

// Competitor analysis.
class Tfrmca : public QDialog {
    Q_OBJECT

public:
    explicit Tfrmca(QWidget* parent = nullptr);
};
extern Tfrmca* frmca;

// Impact / probability analysis.
class Tfrmip : public QDialog {
    Q_OBJECT

public:
    explicit Tfrmip(QWidget* parent = nullptr);
};
extern Tfrmip* frmip;

// Strength / weakness analysis.
class Tfrmsw : public QDialog {
    Q_OBJECT

public:
    explicit Tfrmsw(QWidget* parent = nullptr);
};
extern Tfrmsw* frmsw;

// The SWOT summary.
class Tfrmsummary : public QDialog {
    Q_OBJECT

public:
    explicit Tfrmsummary(QWidget* parent = nullptr);
};
extern Tfrmsummary* frmsummary;

// Name of a key factor for success.
class Tfrmkfsname : public QDialog {
    Q_OBJECT

public:
    explicit Tfrmkfsname(QWidget* parent = nullptr);
};
extern Tfrmkfsname* frmkfsname;

// Printing progress.
class Tprintdl : public QDialog {
    Q_OBJECT

public:
    explicit Tprintdl(QWidget* parent = nullptr);
};
extern Tprintdl* printdl;

// The plan's print preview.
class TfrmATXPrev : public QDialog {
    Q_OBJECT

public:
    explicit TfrmATXPrev(QWidget* parent = nullptr);
};
extern TfrmATXPrev* frmATXPrev;
