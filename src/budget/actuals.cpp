#include "budget/actuals.h"

#include "charts/chartdata.h"
#include "controls/sheet/formula.h"
#include "controls/sheet/sheetmodel.h"

#include <QHash>
#include <QStringList>

using namespace Sheet;

namespace Actuals {

QString sheetName() {
    return QStringLiteral("Actual Spend");
}
QString budgetName() {
    return QStringLiteral("Budget");
}

namespace {

constexpr int kBudgetFirstPeriodCol = 2;                          // B
constexpr int kBudgetTotalCol = kBudgetFirstPeriodCol + kPeriods; // N
constexpr int kFigureWidth = 84;
constexpr int kSummaryWidth = 110;
const QRgb kGrey = 0xFF606060;
// Budget less actual: an overspend is negative, shown in red and marked in words, so that
// it shows on a black and white page and to a reader who cannot tell red apart.
const QString kVarianceFormat = QStringLiteral("£#,##0;[Red]-£#,##0\" over\";£0");

QString budgetRef(int row, int col, bool absolute = false) {
    return budgetName() + u'!' + cellName(row, col, absolute, absolute);
}

// The budget's formula for a group or total, moved onto the actual columns; empty when it
// reads more than the same period of other rows (a share of the year, a running total
// across periods stays the budget's own).
QString mappedFormula(const Cell& c) {
    if (c.kind != Cell::Formula || !c.expr) return QString();
    QStringList sheets;
    collectSheetNames(*c.expr, &sheets);
    if (!sheets.isEmpty()) return QString();
    std::vector<CellRange> refs;
    collectReferences(*c.expr, &refs);
    for (const CellRange& r : refs)
        if (r.col1 != r.col2 || r.col1 < kBudgetFirstPeriodCol || r.col1 >= kBudgetTotalCol)
            return QString();
    const auto moved =
        mapColumns(*c.expr, [](int col) { return actualColumn(col - kBudgetFirstPeriodCol + 1); });
    return formulaText(*moved);
}

// "IF($E$2>=1,B6,0)+IF($E$2>=2,D6,0)+...": the periods counted so far of one row.
QString toDateSum(int row, int (*column)(int)) {
    const QString counted = cellName(kMonthsRow, kPeriodsCountedCol, true, true);
    QStringList terms;
    for (int p = 1; p <= kPeriods; ++p)
        terms
            << QStringLiteral("IF(%1>=%2,%3,0)").arg(counted).arg(p).arg(cellName(row, column(p)));
    return terms.join(u'+');
}

int budgetColumnOf(int p) {
    return budgetColumn(p);
}
int actualColumnOf(int p) {
    return actualColumn(p);
}

CellFormat headingFormat(bool bold) {
    CellFormat f;
    f.bold = bold;
    f.hAlign = AlignCentre;
    f.vAlign = AlignMiddle;
    f.wrap = true;
    return f;
}

} // namespace

bool exists(const SheetModel& budget) {
    return budget.sheet(sheetName()) != nullptr && budget.sheet(sheetName()) != &budget;
}

SheetModel& build(SheetModel& budget) {
    if (budget.name() == SheetModel::defaultName()) budget.setName(budgetName());
    SheetModel* sheet = budget.sheet(sheetName());
    if (!sheet) sheet = budget.addSheet(sheetName());
    SheetModel& a = *sheet;

    // What the user typed: the months to date and every actual figure.
    QHash<quint64, QString> typed;
    for (const auto& [key, c] : a.cells()) {
        if (c.kind != Cell::Number && c.kind != Cell::Text) continue;
        const int row = keyRow(key), col = keyCol(key);
        const bool months = row == kMonthsRow && col == kMonthsChosenCol;
        const bool figure = row >= kFirstLineRow && col >= actualColumn(1) &&
                            col <= actualColumn(kPeriods) && (col % 2) == 1;
        if (months || figure) typed.insert(key, a.entry(row, col));
    }

    int firstEntryRow = 0;
    {
        SheetModel::Batch batch(a);
        const CellRange old = a.formattedRange();
        if (old.row2 > 0) a.clearAll(CellRange{1, 1, old.row2, qMax(old.col2, kLastCol)});

        const CellRange used = budget.usedRange();
        const int lastRow = qMax(used.row2, kFirstLineRow);

        // ---- Sizes, view and paper.
        a.setColumnWidth(1, budget.columnWidth(1));
        for (int col = 2; col <= kLastCol; ++col)
            a.setColumnWidth(col, col >= kLatestVarianceCol ? kSummaryWidth : kFigureWidth);
        a.setRowHeight(1, 28);
        a.setRowHeight(3, 36);
        for (int row = kFirstLineRow; row <= lastRow; ++row)
            a.setRowHeight(row, budget.explicitRowHeight(row));

        // ---- Headings.
        a.setText(1, 1, sheetName());
        CellFormat title;
        title.bold = true;
        title.fontSize = 14;
        a.setFormat(1, 1, title);

        a.setText(kMonthsRow, 1, QStringLiteral("Months to date (blank: from today)"));
        CellFormat italic;
        italic.italic = true;
        a.setFormat(kMonthsRow, 1, italic);
        CellFormat chosen;
        chosen.locked = false;
        chosen.hAlign = AlignCentre;
        chosen.numberFormat = QStringLiteral("0");
        a.setFormat(kMonthsRow, kMonthsChosenCol, chosen);
        CellFormat counted;
        counted.italic = true;
        counted.color = kGrey;
        // Months from the budget's first period to the start of this month: on 3 June a budget
        // starting in April has two months to date. At most the budget's span.
        const QString start = budgetRef(4, kBudgetFirstPeriodCol, true);
        const QString quarterly =
            QStringLiteral("RIGHT(%1,9)=\"Quarterly\"").arg(budgetRef(2, 1, true));
        const QString chosenCell = cellName(kMonthsRow, kMonthsChosenCol);
        a.setFormula(
            kMonthsRow, kMonthsCountedCol,
            QStringLiteral("IF(ISBLANK(%1),MIN(MAX((YEAR(TODAY())-YEAR(%2))*12+MONTH(TODAY())"
                           "-MONTH(%2),0),IF(%3,36,12)),MAX(0,INT(%1)))")
                .arg(chosenCell, start, quarterly));
        CellFormat months = counted;
        months.hAlign = AlignCentre;
        months.numberFormat = QStringLiteral("0");
        a.setFormat(kMonthsRow, kMonthsCountedCol, months);
        const QString monthsCell = cellName(kMonthsRow, kMonthsCountedCol);
        a.setFormula(
            kMonthsRow, kMonthsCountedCol + 1,
            QStringLiteral("IF(%1=1,\"month counted\",\"months counted\")").arg(monthsCell));
        a.setFormat(kMonthsRow, kMonthsCountedCol + 1, counted);
        // A quarter counts as soon as one of its months does.
        a.setFormula(kMonthsRow, kPeriodsCountedCol,
                     QStringLiteral("MIN(%1,IF(%2,ROUNDUP(%3/3,0),%3))")
                         .arg(kPeriods)
                         .arg(quarterly, cellName(kMonthsRow, kMonthsCountedCol)));
        CellFormat periods = months;
        periods.numberFormat = QStringLiteral("\"Period \"0");
        a.setFormat(kMonthsRow, kPeriodsCountedCol, periods);

        a.setFormula(4, 1, budgetRef(3, 1) + QStringLiteral("&\"\""));
        CellFormat rowHeading = budget.format(3, 1);
        a.setFormat(4, 1, rowHeading);
        CellFormat sub = headingFormat(false);
        sub.wrap = false;
        sub.italic = true;
        sub.color = kGrey;
        QStringList periodNames;
        for (int p = 1; p <= kPeriods; ++p) {
            const int bcol = kBudgetFirstPeriodCol + p - 1;
            a.setFormula(3, budgetColumn(p), budgetRef(3, bcol) + QStringLiteral("&\"\""));
            a.setFormat(3, budgetColumn(p), headingFormat(true));
            a.setFormat(3, actualColumn(p), headingFormat(true));
            a.setText(4, budgetColumn(p), QStringLiteral("Budget"));
            a.setText(4, actualColumn(p), QStringLiteral("Actual"));
            a.setFormat(4, budgetColumn(p), sub);
            CellFormat actualSub = sub;
            actualSub.italic = false;
            actualSub.bold = true;
            actualSub.color = 0xFF000000;
            a.setFormat(4, actualColumn(p), actualSub);
            periodNames << budgetRef(3, bcol, true);
        }
        const QStringList summary = {
            QStringLiteral("Variance, latest period"), QStringLiteral("Budget to date"),
            QStringLiteral("Actual to date"),          QStringLiteral("Variance to date"),
            QStringLiteral("Year's budget"),           QStringLiteral("Share used")};
        for (int i = 0; i < summary.size(); ++i) {
            a.setText(3, kLatestVarianceCol + i, summary[i]);
            a.setFormat(3, kLatestVarianceCol + i, headingFormat(true));
            a.setFormat(4, kLatestVarianceCol + i, sub);
        }
        const QString periodsCounted = cellName(kMonthsRow, kPeriodsCountedCol, true, true);
        a.setFormula(4, kLatestVarianceCol,
                     QStringLiteral("IF(%1=0,\"none yet\",CHOOSE(%1,%2)&\"\")")
                         .arg(periodsCounted, periodNames.join(u',')));
        a.setText(4, kVarianceToDateCol, QStringLiteral("budget less actual"));
        a.setFormula(
            4, kActualToDateCol,
            QStringLiteral("%1&\" of \"&%2&\" periods\"").arg(periodsCounted).arg(kPeriods));

        // ---- The budget's rows: lines typed, groups and totals worked out as the budget does.
        for (int row = kFirstLineRow; row <= lastRow; ++row) {
            const Value label = budget.cellValue(row, 1);
            if (label.type != Value::Text || label.text.trimmed().isEmpty()) continue;
            a.setFormula(row, 1, budgetRef(row, 1) + QStringLiteral("&\"\""));
            a.setFormat(row, 1, budget.format(row, 1));
            bool figures = false;
            for (int p = 1; p <= kPeriods; ++p) {
                const int bcol = kBudgetFirstPeriodCol + p - 1;
                const Cell* bc = budget.cell(row, bcol);
                CellFormat figure = budget.format(row, bcol);
                figure.locked = true;
                a.setFormula(row, budgetColumn(p), budgetRef(row, bcol));
                CellFormat planned = figure;
                planned.color = kGrey;
                a.setFormat(row, budgetColumn(p), planned);

                const int acol = actualColumn(p);
                if (bc && bc->kind == Cell::Formula) {
                    const QString formula = mappedFormula(*bc);
                    if (formula.isEmpty()) continue;
                    a.setFormula(row, acol, formula);
                    a.setFormat(row, acol, figure);
                } else {
                    figure.locked = false;
                    a.setFormat(row, acol, figure);
                    const QString entry = typed.value(cellKey(row, acol));
                    if (!entry.isEmpty()) a.setEntry(row, acol, entry);
                    if (firstEntryRow == 0) firstEntryRow = row;
                }
                figures = true;
            }
            const Cell* total = budget.cell(row, kBudgetTotalCol);
            if (!figures || !total || total->kind == Cell::Blank) continue;

            // Figures bold on the groups and totals, as their names are.
            CellFormat money = budget.format(row, kBudgetTotalCol);
            money.locked = true;
            money.bold = budget.format(row, 1).bold;
            CellFormat variance = money;
            variance.numberFormat = kVarianceFormat;
            QStringList latest;
            for (int p = 1; p <= kPeriods; ++p)
                latest << cellName(row, budgetColumn(p)) + u'-' + cellName(row, actualColumn(p));
            a.setFormula(
                row, kLatestVarianceCol,
                QStringLiteral("IF(%1=0,0,CHOOSE(%1,%2))").arg(periodsCounted, latest.join(u',')));
            a.setFormat(row, kLatestVarianceCol, variance);
            a.setFormula(row, kBudgetToDateCol, toDateSum(row, budgetColumnOf));
            a.setFormat(row, kBudgetToDateCol, money);
            a.setFormula(row, kActualToDateCol, toDateSum(row, actualColumnOf));
            a.setFormat(row, kActualToDateCol, money);
            a.setFormula(row, kVarianceToDateCol,
                         cellName(row, kBudgetToDateCol) + u'-' + cellName(row, kActualToDateCol));
            a.setFormat(row, kVarianceToDateCol, variance);
            a.setFormula(row, kYearBudgetCol, budgetRef(row, kBudgetTotalCol));
            a.setFormat(row, kYearBudgetCol, money);
            a.setFormula(row, kShareUsedCol,
                         QStringLiteral("IF(%1=0,0,%2/%1)")
                             .arg(cellName(row, kYearBudgetCol), cellName(row, kActualToDateCol)));
            CellFormat share = money;
            share.numberFormat = QStringLiteral("0%");
            a.setFormat(row, kShareUsedCol, share);
        }
        // Months typed earlier stay.
        if (const QString m = typed.value(cellKey(kMonthsRow, kMonthsChosenCol)); !m.isEmpty())
            a.setEntry(kMonthsRow, kMonthsChosenCol, m);

        ViewSettings v = a.view();
        v.maxRow = lastRow;
        v.maxCol = kLastCol;
        v.fixedRows = 4;
        v.fixedCols = 1;
        v.protection = true;
        a.setView(v);
        PrintSettings print = budget.print();
        print.landscape = true;
        print.fitToPages = true;
        // Two pages across keep the figures readable; the line names repeat on both.
        print.pagesWide = 2;
        print.pagesHigh = 1;
        a.setPrint(print);
    }

    // The user starts on the first line's actual for the latest period counted: the month
    // just ended is the one to type in.
    ViewSettings v = a.view();
    const int latest = qBound(1, int(a.cellValue(kMonthsRow, kPeriodsCountedCol).number), kPeriods);
    v.activeRow = firstEntryRow ? firstEntryRow : kMonthsRow;
    v.activeCol = firstEntryRow ? actualColumn(latest) : kMonthsChosenCol;
    v.selection = CellRange::cell(v.activeRow, v.activeCol);
    a.setView(v);
    return a;
}

void budgetRowsDeleted(SheetModel& budget, int first, int last) {
    SheetModel* a = budget.sheet(sheetName());
    if (!a || a == &budget) return;
    first = qMax(first, kFirstLineRow);
    if (last >= first) a->deleteRows(first, last);
    // The references to the budget's rows below follow them up.
    build(budget);
}

ActualsChartData chartData(const SheetModel& budget) {
    ActualsChartData d;
    if (!exists(budget)) return d;
    const SheetModel& a = *budget.sheet(sheetName());
    const CellRange used = a.usedRange();
    int totalRow = 0;
    for (int row = kFirstLineRow; row <= used.row2 && !totalRow; ++row)
        if (a.shownText(row, 1).trimmed().compare(QLatin1String("Total marketing budget"),
                                                  Qt::CaseInsensitive) == 0)
            totalRow = row;
    if (!totalRow) return d;
    auto number = [&](int row, int col) {
        const Value v = a.cellValue(row, col);
        return v.type == Value::Number ? v.number : 0.0;
    };
    d.quarterly =
        budget.shownText(2, 1).trimmed().endsWith(QLatin1String("Quarterly"), Qt::CaseInsensitive);
    const QString format = a.format(totalRow, budgetColumn(1)).numberFormat;
    for (QChar symbol : {QChar(0x00A3), QChar('$'), QChar(0x20AC)})
        if (format.contains(symbol)) {
            d.currency = symbol;
            break;
        }
    d.periodsCounted = qBound(0, int(number(kMonthsRow, kPeriodsCountedCol)), kPeriods);
    double budgetSoFar = 0, actualSoFar = 0;
    for (int p = 1; p <= kPeriods; ++p) {
        const QString heading = a.shownText(3, budgetColumn(p)).trimmed();
        d.periods << (heading.isEmpty() ? QString::number(p) : heading);
        const double planned = number(totalRow, budgetColumn(p));
        budgetSoFar += planned;
        d.budget << planned;
        d.cumulativeBudget << budgetSoFar;
        if (p <= d.periodsCounted) {
            const double spent = number(totalRow, actualColumn(p));
            actualSoFar += spent;
            d.actual << spent;
            d.cumulativeActual << actualSoFar;
        }
    }
    return d;
}

} // namespace Actuals
