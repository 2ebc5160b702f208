#pragma once

#include "charts/chartdata.h"

#include <QPointF>
#include <QSizeF>
#include <QString>
#include <memory>
#include <vector>

class QAbstractSeries;
class QChart;

// A text drawn beside a point of a chart's series (the factor names of the impact /
// probability chart), or, without a series, in the middle of the plot ("None").
struct ChartNote {
    QChart* chart = nullptr;
    QAbstractSeries* series = nullptr; // null: the middle of the chart's plot area
    QPointF value;                     // the point, in the series' values
    QString text;
    bool leftOfPoint = false;          // right-aligned to the left of the point
};

// One picture for the plan: a chart, or (the SWOT summary) four charts in a square under a
// title of their own. Sizes are what the picture measures on paper.
class ChartFigure {
public:
    ChartFigure() = default;
    ChartFigure(ChartFigure&&) = default;
    ChartFigure& operator=(ChartFigure&&) = default;
    ~ChartFigure();

    QString title;       // over the square of several charts (a single chart has its own)
    int columns = 1;
    QSizeF inches{6.0, 3.6};
    std::vector<std::unique_ptr<QChart>> charts;
    std::vector<ChartNote> notes;

    QChart* chart(int i = 0) const { return charts.at(size_t(i)).get(); }
    // The picture's size in points (72 an inch), as the text lays it out.
    QSizeF sizePoints() const { return inches * 72.0; }
};

// Grouped bars of each party's score per factor, with the totals as the last group.
ChartFigure competitorChart(const CompetitorChartData& data);
// Bars of score times weighting, weakest at the top to strongest at the bottom.
ChartFigure strengthWeaknessChart(const QList<ChartFactor>& ranked);
// Probability against impact, each factor named beside its point.
ChartFigure impactProbabilityChart(const QList<RiskPoint>& points);
// Strengths and weaknesses over opportunities and threats, each quarter a bar chart.
ChartFigure swotChart(const SwotChartData& data);
// Spend per period stacked by group, with the cumulative spend as a line on its own scale.
ChartFigure budgetChart(const BudgetChartData& data);
// The budget and the actual spend of each period side by side (the actual for the periods
// to date), with both running totals as lines on a scale of their own.
ChartFigure actualsChart(const ActualsChartData& data);
