#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Sheet {
class SheetModel;
}

// What each chart shows, taken from what its analysis window shows in its grid (the grid
// the plan's table is built from) or from the budget sheet's computed values. Plain data,
// so that a chart can be checked against its source before anything is drawn.

// Rows of cell texts as an analysis window's grid holds them.
using ChartGrid = QList<QStringList>;

// The competitor analysis: each party's score (rating times weight) per factor, and the
// totals as a last group.
struct CompetitorChartData {
    QStringList categories;      // the factors in list order, then "Totals"
    QStringList parties;         // our company, then the competitors 'A', 'B', 'C'
    QList<QList<double>> scores; // per party, one score per category
};
// From the competitor grid: one row per factor (name, weight, then rating and score of
// each party in turn), the totals row last.
CompetitorChartData competitorChartData(const ChartGrid& grid);

// A factor with its score times weighting (or impact times probability).
struct ChartFactor {
    QString name;
    int value = 0;
};

// The strength / weakness factors ranked from weakest to strongest; factors of equal
// value keep their list order.
QList<ChartFactor> rankedFactors(const ChartGrid& factorScoreGrid);

// The impact / probability factors as points.
struct RiskPoint {
    QString name;
    int probability = 0; // 1 to 10
    int impact = 0;      // -5 to 5
};
// From the factor score grid: description, probability, "X" under the impact (column
// impact + 7), impact times probability.
QList<RiskPoint> riskPoints(const ChartGrid& factorScoreGrid);

// The four quarters of the SWOT summary, each as ranked in the summary (at most ten).
struct SwotChartData {
    QList<ChartFactor> strengths, weaknesses, opportunities, threats;
};
// From the SWOT summary's grid of 22 rows and 4 columns.
SwotChartData swotChartData(const ChartGrid& swotGrid);

// The budget: spend per period in each of the budget's groups, and the cumulative spend.
struct BudgetChartData {
    QStringList periods;          // the sheet's period headings, "Apr 2027" or "Q1 Apr-Jun 2027"
    bool quarterly = false;
    QString currency;             // the symbol the sheet shows its money in ("£"), or empty
    QStringList groups;           // the groups the budget total adds up
    QList<QList<double>> spend;   // per group, one amount per period
    QList<double> cumulative;     // the spend up to and including each period
    bool isEmpty() const;
};
// Read from the sheet's computed values: the row headed "Total marketing budget" names
// the groups (the rows its formula adds), the heading "Total" ends the periods, and the
// row headed "Cumulative spend" gives the running total (added up from the budget total
// when the sheet has no such row). Periods are the columns between the row headings and
// "Total" (every column with a budget total when there is no such heading).
BudgetChartData budgetChartData(const Sheet::SheetModel& sheet);

// The budget against what was really spent: per period the budget's total and, for the
// periods counted so far, the actual total, each with its running total.
struct ActualsChartData {
    QStringList periods;            // the budget's period headings
    bool quarterly = false;
    QString currency;               // as the budget's
    int periodsCounted = 0;         // the periods to date, which have actuals
    QList<double> budget;           // one amount per period
    QList<double> actual;           // one amount per period counted
    QList<double> cumulativeBudget; // up to and including each period
    QList<double> cumulativeActual; // up to and including each period counted
    bool isEmpty() const { return periods.isEmpty(); }
};
