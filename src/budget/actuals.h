#pragma once

#include <QString>

struct ActualsChartData;

namespace Sheet {
class SheetModel;
}

// What was really spent against the budget: a second sheet of the budget's workbook,
// "Actual Spend", laid out from the budget itself. Each line, group and total of the
// budget keeps its row; for each period the budgeted figure (read from the budget) stands
// beside the actual one (typed for a line, worked out as the budget works out its groups
// and totals). At the right, for every line, group and the whole budget: the variance of
// the latest period counted and of the year to date (budget less actual; overspending in
// red and marked "over"), and the share of the year's budget used so far. Row 2 holds
// the months to date, from today's date unless the user types a number.
namespace Actuals {

QString sheetName();  // "Actual Spend"
QString budgetName(); // "Budget": the first sheet's name once actuals exist

// Columns of the Actual Spend sheet. The budget's period p (1..12) is budget column
// 1 + p; here its budgeted figure is in column 2p and its actual in 2p + 1.
constexpr int kPeriods = 12;
constexpr int kFirstLineRow = 5; // rows above are headings
constexpr int budgetColumn(int period) {
    return 2 * period;
}
constexpr int actualColumn(int period) {
    return 2 * period + 1;
}
constexpr int kLatestVarianceCol = 2 * kPeriods + 2; // Z
constexpr int kBudgetToDateCol = kLatestVarianceCol + 1;
constexpr int kActualToDateCol = kLatestVarianceCol + 2;
constexpr int kVarianceToDateCol = kLatestVarianceCol + 3;
constexpr int kYearBudgetCol = kLatestVarianceCol + 4;
constexpr int kShareUsedCol = kLatestVarianceCol + 5;
constexpr int kLastCol = kShareUsedCol;
// Row 2: the user's months to date (blank: from today's date) and the months counted,
// with the periods counted (months or quarters, as the budget runs) above the latest
// period's variance.
constexpr int kMonthsRow = 2;
constexpr int kMonthsChosenCol = 2;                    // B2
constexpr int kMonthsCountedCol = 3;                   // C2, its words in D2
constexpr int kPeriodsCountedCol = kLatestVarianceCol; // Z2

// Whether the budget's workbook holds actuals.
bool exists(const Sheet::SheetModel& budget);
// The Actual Spend sheet of the budget's workbook, made when missing and brought into
// line with the budget's present layout (a line added to the budget appears; figures
// typed for a line stay on its row). The budget sheet is named "Budget".
Sheet::SheetModel& build(Sheet::SheetModel& budget);
// Rows first..last were deleted from the budget: the actuals' same rows go too, so that
// every figure stays with its line, and the sheet is built again.
void budgetRowsDeleted(Sheet::SheetModel& budget, int first, int last);

// The budget against the actual spend for a chart, from the computed values of the
// workbook's Actual Spend sheet (its row headed "Total marketing budget"): empty when the
// workbook has no actuals or no such row.
ActualsChartData chartData(const Sheet::SheetModel& budget);

} // namespace Actuals
