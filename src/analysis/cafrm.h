#pragma once

#include "analysis/factorwindow.h"

class MeterGauge;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QToolButton;
class StringGrid;

// The competitor analysis: the plan's key factors for success, each weighted (5 to 100)
// and rated from 0 to 10 for our company and three competitors. Every change goes to
// "ca.ini" at once; the grid shows each rating times its weight and the totals, and is
// what the plan's table is built from after "Insert table".
class Tfrmca : public FactorWindow {
    Q_OBJECT
public:
    // The plan text is the one whose caret a Cancel moves down a line.
    explicit Tfrmca(TextControl& text, QWidget* parent = nullptr);

    bool mayClose() const { return m_mayClose; }
    // The grid as the table is built from it: the factor rows and the totals row.
    Grid gridRows() const;
    // The rating a party's gauge shows (0 our company, 1 to 3 competitors 'A' to 'C').
    int gaugeRating(int party) const;

    // Handlers.
    void FormShow();
    void ComboBox1Change();
    void sg1Click(int row);
    void newbtnClick();
    void delbtnClick();
    void SpinEdit1Change();
    void upClick(int party);
    void downClick(int party);
    void Button1Click();
    void btnInsertChartClick();
    void cancelbtnClick();
    void helpbtnClick();

    QLabel* Label6;
    QPushButton* newbtn;
    QPushButton* delbtn;
    QLabel* Label14;
    QSpinBox* SpinEdit1;
    QGroupBox* GroupBox1;
    QLabel* Label5;
    QLabel* labus;
    QLabel* Label8;
    QLabel* labca;
    QLabel* labcb;
    QLabel* labcc;
    // Per party (our company, 'A', 'B', 'C'): the meter, its value label, its buttons.
    MeterGauge* meter[4];
    QLabel* value[4];
    QToolButton* down[4];
    QToolButton* up[4];
    QWidget* headings;
    StringGrid* sg1;
    QPushButton* Button1;
    QPushButton* btnInsertChart;
    QPushButton* cancelbtn;
    QPushButton* helpbtn;

protected:
    void showEvent(QShowEvent* e) override;
    void cancelClick() override { cancelbtnClick(); }

    void enableControls(bool factors) override;
    void showFactor(const IniFile& ini, int index) override;
    void rebuildGrid(const IniFile& ini) override;
    void clearGrid() override;
    void showDuplicate() override;

private:
    QWidget* makeGauge(int party, QLabel* caption);
    void placeValueLabel(int party);
    void setGauge(int party, int rating);
    void emptyGauge(int party);
    void refreshGaugeButtons();
    void rate(int party, int step);
    void layOutHeadings();
    // Leaves with `result` when the factors make a table (or chart); else says why not.
    void insertClick(int result);

    bool m_mayClose = false;
    int m_rating[4] = {0, 0, 0, 0};
};

extern Tfrmca* frmca;
