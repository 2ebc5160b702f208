#include "budget/budgetchart.h"

#include "budget/actuals.h"
#include "charts/chartdata.h"
#include "charts/chartfigure.h"
#include "charts/chartinsert.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"

#include <algorithm>

bool InsertBudgetChart(SheetControl& sheet, TextControl& plan, int sectionTag) {
    sheet.Finish();
    const BudgetChartData data = budgetChartData(sheet.model());
    if (data.isEmpty()) {
        ShowInformation(QStringLiteral("The budget has no row headed \"Total marketing budget\" "
                                       "with its months, so there is nothing to chart."));
        return false;
    }
    const bool anySpend = std::any_of(data.spend.begin(), data.spend.end(), [](const QList<double>& g) {
        return std::any_of(g.begin(), g.end(), [](double v) { return v != 0; });
    });
    if (!anySpend) {
        ShowInformation(QStringLiteral("The budget holds no amounts yet. Fill in its costs, then "
                                       "insert its chart."));
        return false;
    }
    // The text is hidden while the sheet shows, its caret wherever the user left it: the
    // chart goes into the budget's section (at the end of the text when it has none).
    plan.setSelLength(0);
    plan.setSelStart(plan.TextLength());
    plan.FIND_PTAG(sectionTag, -1);
    plan.setSelLength(0);
    QString error;
    if (!insertChart(plan, budgetChart(data), &error)) {
        ShowError(QStringLiteral("The chart could not be put into the plan.\n\n%1").arg(error));
        return false;
    }
    ShowInformation(QStringLiteral("The chart of the budget is in the plan, at the start of the "
                                   "budget section."));
    return true;
}

bool InsertActualsChart(const Sheet::SheetModel& budget, TextControl& plan, int sectionTag) {
    const ActualsChartData data = Actuals::chartData(budget);
    if (data.isEmpty()) {
        ShowInformation(QStringLiteral("The actual spend has no row headed \"Total marketing "
                                       "budget\" with its months, so there is nothing to chart."));
        return false;
    }
    auto nonZero = [](const QList<double>& values) {
        return std::any_of(values.begin(), values.end(), [](double v) { return v != 0; });
    };
    if (!nonZero(data.budget) && !nonZero(data.actual)) {
        ShowInformation(QStringLiteral("The budget holds no amounts yet. Fill in its costs, then "
                                       "insert the chart of the actual spend."));
        return false;
    }
    // The user is working in the budget: the caret goes back where it was afterwards, so
    // that the plan text shows the same place as before.
    const int caret = plan.SelStart();
    const int caretLength = plan.SelLength();
    const int lengthBefore = plan.TextLength();
    plan.setSelLength(0);
    plan.setSelStart(plan.TextLength());
    const bool found = sectionTag >= 0 && plan.FIND_PTAG(sectionTag, -1) >= 0;
    plan.setSelLength(0);
    const int at = plan.SelStart();
    QString error;
    if (!insertChart(plan, actualsChart(data), &error)) {
        plan.setSelStart(caret);
        plan.setSelLength(caretLength);
        ShowError(QStringLiteral("The chart could not be put into the plan.\n\n%1").arg(error));
        return false;
    }
    plan.setSelStart(caret < at ? caret : caret + plan.TextLength() - lengthBefore);
    plan.setSelLength(caretLength);
    const QString section = QString::fromLatin1(kMonitoringSection);
    ShowInformation(found ? QStringLiteral("The chart of the budget against the actual spend is in "
                                           "the plan, at the start of the %1 section.")
                                .arg(section)
                          : QStringLiteral("The plan has no %1 section, so the chart of the budget "
                                           "against the actual spend is at the end of the plan.")
                                .arg(section));
    return true;
}
