#pragma once

#include "analysis/factorwindow.h"

class QLabel;
class QPushButton;
class QSpinBox;
class StepMarker;
class StringGrid;

// What tells the strength / weakness window from the impact / probability one.
struct FactorScoreConfig {
    Analysis analysis;
    const char* formName;
    const char* caption;
    const char* weightLabel;  // step 2, key w, 1 to 10
    const char* scoreLabel;   // step 3, key i, -5 to 5
    const char* weightHeading; // over the grid's second column
    int helpContext;
    const char* tableLetter;
};

// The factor score window: factors of the business, each with a weighting from 1 to 10
// and a score from -5 to 5; the grid puts an "X" under the score and shows score times
// weighting. One implementation serves the strength / weakness analysis and the impact
// / probability analysis, which differ only in their configuration.
class TfrmFactorScore : public FactorWindow {
    Q_OBJECT
public:
    const FactorScoreConfig& config() const { return m_config; }
    Grid gridRows() const;

    void FormShow();
    void ComboBox1Change();
    void sg1Click(int row);
    void Button2Click(); // New
    void Button3Click(); // Delete
    void SpinEdit1Change();
    void SpinEdit2Change();
    void Button5Click(); // Insert Table
    void btnInsertChartClick();
    void Button4Click(); // Cancel
    void Button7Click(); // Help

    StepMarker* Shape4;
    StepMarker* Shape1;
    StepMarker* Shape2;
    QLabel* Label11;
    QPushButton* Button2;
    QPushButton* Button3;
    QLabel* Label10;
    QSpinBox* SpinEdit1;
    QLabel* Label6;
    QSpinBox* SpinEdit2;
    QWidget* headings;
    StringGrid* sg1;
    QPushButton* Button5;
    QPushButton* btnInsertChart;
    QPushButton* Button4;
    QPushButton* Button7;

protected:
    TfrmFactorScore(const FactorScoreConfig& config, TextControl& text, QWidget* parent);

    void showEvent(QShowEvent* e) override;
    void cancelClick() override { Button4Click(); }

    void enableControls(bool factors) override;
    void showFactor(const IniFile& ini, int index) override;
    void rebuildGrid(const IniFile& ini) override;
    void clearGrid() override;
    void showDuplicate() override;

private:
    void layOutHeadings();
    // Puts a stored value into an editor; a value the editor cannot show is written back
    // as the editor shows it.
    void showValue(const IniFile& ini, const char* key, QSpinBox* editor);

    FactorScoreConfig m_config;
};

// Strength / weakness analysis (navigator section 21, table letter "W").
class Tfrmsw : public TfrmFactorScore {
    Q_OBJECT
public:
    explicit Tfrmsw(TextControl& text, QWidget* parent = nullptr);
};

// Impact / probability analysis (navigator section 19, table letter "P").
class Tfrmip : public TfrmFactorScore {
    Q_OBJECT
public:
    explicit Tfrmip(TextControl& text, QWidget* parent = nullptr);
};

extern Tfrmsw* frmsw;
extern Tfrmip* frmip;
