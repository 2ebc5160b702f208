#pragma once

#include "analysis/analysisdialog.h"
#include "analysis/grids.h"


class QPushButton;
class QWidget;
class StringGrid;
class TextControl;

// The SWOT summary: the plan's strengths and weaknesses from the strength / weakness
// analysis and its opportunities and threats from the impact / probability analysis,
// ranked, at most ten of each, as the table the plan will get. It writes nothing.
class Tfrmsummary : public AnalysisDialog {
    Q_OBJECT
public:
    explicit Tfrmsummary(TextControl& text, QWidget* parent = nullptr);

    // Shows the summary of a plan; returns mrOk when the table is wanted.
    int execFor(const QString& plan);
    Grid gridRows() const;

    void FormShow();
    void Button2Click(); // Cancel
    void Button3Click(); // Help

    QWidget* Panel1;
    StringGrid* sg1;
    QPushButton* Button1;
    QPushButton* btnInsertChart;
    QPushButton* Button2;
    QPushButton* Button3;

protected:
    void showEvent(QShowEvent* e) override;
    void cancelClick() override { Button2Click(); }

private:
    QString m_plan;
};

extern Tfrmsummary* frmsummary;
