#include "charts/chartdata.h"

#include "controls/sheet/formula.h"
#include "controls/sheet/sheetmodel.h"

#include <algorithm>
#include <set>

namespace {

QString cellText(const ChartGrid& grid, int row, int column) {
    if (row < 0 || row >= grid.size()) return QString();
    return grid[row].value(column).trimmed();
}

// A grid cell as a number; a cell the window could not fill with one (a stored value that
// is no number) counts as nothing.
double number(const ChartGrid& grid, int row, int column) {
    bool ok = false;
    const double v = cellText(grid, row, column).toDouble(&ok);
    return ok ? v : 0;
}

int integer(const ChartGrid& grid, int row, int column) {
    return qRound(number(grid, row, column));
}

// The factor score grid's columns: description, weighting, "X" under scores -5 to 5, total.
constexpr int kWeightColumn = 1;
constexpr int kFirstScoreColumn = 2; // score -5
constexpr int kLastScoreColumn = 12; // score 5
constexpr int kTotalColumn = 13;

// The SWOT grid: headings in rows 0 and 11, up to ten entries below each.
constexpr int kSwotEntries = 10;

QList<ChartFactor> swotColumn(const ChartGrid& grid, int headingRow, int column) {
    QList<ChartFactor> out;
    for (int j = 1; j <= kSwotEntries; ++j) {
        const QString name = cellText(grid, headingRow + j, column);
        if (name.isEmpty()) break;
        out.append({name, integer(grid, headingRow + j, column + 1)});
    }
    return out;
}

} // namespace

CompetitorChartData competitorChartData(const ChartGrid& grid) {
    CompetitorChartData d;
    d.parties = {QStringLiteral("Our company"), QStringLiteral("Competitor 'A'"),
                 QStringLiteral("Competitor 'B'"), QStringLiteral("Competitor 'C'")};
    d.scores.resize(d.parties.size());
    // Every row but the last is a factor; the last is the totals row.
    for (int row = 0; row < grid.size(); ++row) {
        const bool totals = row == grid.size() - 1;
        d.categories << (totals ? QStringLiteral("Totals") : cellText(grid, row, 0));
        for (int p = 0; p < d.parties.size(); ++p)
            d.scores[p] << number(grid, row, 3 + 2 * p);
    }
    return d;
}

QList<ChartFactor> rankedFactors(const ChartGrid& grid) {
    QList<ChartFactor> out;
    for (int row = 0; row < grid.size(); ++row)
        out.append({cellText(grid, row, 0), integer(grid, row, kTotalColumn)});
    std::stable_sort(out.begin(), out.end(),
                     [](const ChartFactor& a, const ChartFactor& b) { return a.value < b.value; });
    return out;
}

QList<RiskPoint> riskPoints(const ChartGrid& grid) {
    QList<RiskPoint> out;
    for (int row = 0; row < grid.size(); ++row) {
        RiskPoint p{cellText(grid, row, 0), integer(grid, row, kWeightColumn), 0};
        int column = -1;
        for (int c = kFirstScoreColumn; c <= kLastScoreColumn; ++c)
            if (cellText(grid, row, c).compare(QLatin1String("X"), Qt::CaseInsensitive) == 0)
                column = c;
        if (column >= 0)
            p.impact = column - kFirstScoreColumn - 5;
        else if (p.probability != 0)
            // A stored impact with no column of its own still shows in the total.
            p.impact = integer(grid, row, kTotalColumn) / p.probability;
        out.append(p);
    }
    return out;
}

SwotChartData swotChartData(const ChartGrid& grid) {
    SwotChartData d;
    d.strengths = swotColumn(grid, 0, 0);
    d.weaknesses = swotColumn(grid, 0, 2);
    d.opportunities = swotColumn(grid, 11, 0);
    d.threats = swotColumn(grid, 11, 2);
    return d;
}

// --- The budget ----------------------------------------------------------------------------

bool BudgetChartData::isEmpty() const {
    return periods.isEmpty();
}

namespace {

int findRowHeaded(const Sheet::SheetModel& sheet, const Sheet::CellRange& used, QLatin1String heading) {
    for (int row = used.row1; row <= used.row2; ++row)
        if (sheet.shownText(row, 1).trimmed().compare(heading, Qt::CaseInsensitive) == 0)
            return row;
    return 0;
}

double numberAt(const Sheet::SheetModel& sheet, int row, int col) {
    const Sheet::Value v = sheet.cellValue(row, col);
    return v.type == Sheet::Value::Number ? v.number : 0;
}

QString currencyOf(const Sheet::SheetModel& sheet, int row, int col) {
    const QString format = sheet.format(row, col).numberFormat;
    for (QChar symbol : {QChar(0x00A3), QChar('$'), QChar(0x20AC)})
        if (format.contains(symbol)) return symbol;
    return QString();
}

} // namespace

BudgetChartData budgetChartData(const Sheet::SheetModel& sheet) {
    BudgetChartData d;
    const Sheet::CellRange used = sheet.usedRange();
    if (used.row2 == 0) return d;
    const int totalRow = findRowHeaded(sheet, used, QLatin1String("Total marketing budget"));
    if (totalRow == 0) return d;

    // The periods: from column B up to the "Total" heading above the costs.
    int headingRow = 0, lastPeriod = 0;
    for (int row = used.row1; row < totalRow && !headingRow; ++row)
        for (int col = 2; col <= used.col2; ++col)
            if (sheet.shownText(row, col).trimmed().compare(QLatin1String("Total"), Qt::CaseInsensitive) == 0) {
                headingRow = row;
                lastPeriod = col - 1;
                break;
            }
    if (!headingRow) {
        for (int col = 2; col <= used.col2; ++col)
            if (sheet.cellValue(totalRow, col).type == Sheet::Value::Number) lastPeriod = col;
    }
    for (int col = 2; col <= lastPeriod; ++col) {
        QString label = headingRow ? sheet.shownText(headingRow, col).trimmed() : QString();
        if (label.isEmpty()) label = QString::number(col - 1);
        d.periods << label;
    }
    if (d.periods.isEmpty()) return d;
    d.quarterly = sheet.shownText(2, 1).trimmed().endsWith(QLatin1String("Quarterly"), Qt::CaseInsensitive);
    d.currency = currencyOf(sheet, totalRow, 2);

    // The groups: the rows the budget total adds up, in sheet order.
    std::set<int> groupRows;
    if (const Sheet::Cell* c = sheet.cell(totalRow, 2); c && c->expr) {
        std::vector<Sheet::CellRange> refs;
        Sheet::collectReferences(*c->expr, &refs);
        for (const Sheet::CellRange& r : refs)
            for (int row = r.row1; row <= r.row2; ++row)
                if (row != totalRow) groupRows.insert(row);
    }
    for (int row : groupRows) {
        QString name = sheet.shownText(row, 1).trimmed();
        if (name.isEmpty()) name = QStringLiteral("Row %1").arg(row);
        d.groups << name;
        QList<double> amounts;
        for (int col = 2; col <= lastPeriod; ++col)
            amounts << numberAt(sheet, row, col);
        d.spend << amounts;
    }
    // A total typed in or built otherwise: the total itself is the one group.
    if (d.groups.isEmpty()) {
        d.groups << sheet.shownText(totalRow, 1).trimmed();
        QList<double> amounts;
        for (int col = 2; col <= lastPeriod; ++col)
            amounts << numberAt(sheet, totalRow, col);
        d.spend << amounts;
    }

    const int cumulativeRow = findRowHeaded(sheet, used, QLatin1String("Cumulative spend"));
    double running = 0;
    for (int col = 2; col <= lastPeriod; ++col) {
        running += numberAt(sheet, totalRow, col);
        d.cumulative << (cumulativeRow ? numberAt(sheet, cumulativeRow, col) : running);
    }
    return d;
}
