#include "analysis/analysisrun.h"

#include "analysis/analysistables.h"
#include "analysis/cafrm.h"
#include "analysis/swfrm.h"
#include "analysis/swotfrm.h"
#include "charts/chartdata.h"
#include "charts/chartfigure.h"
#include "charts/chartinsert.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"

namespace {

// The chart goes where the table would; true when it went in.
bool insertAnalysisChart(TextControl& text, const ChartFigure& figure) {
    QString error;
    if (insertChart(text, figure, &error)) return true;
    ShowError(QStringLiteral("The chart could not be put into the plan.\n\n%1").arg(error));
    return false;
}

bool runFactorScore(TfrmFactorScore* window, TextControl& text, const QString& plan) {
    if (!window) return false;
    const int result = window->execFor(plan);
    bool ok = result == mrOk;
    if (ok) insertFactorScoreTable(text, window->gridRows(), QLatin1String(window->config().tableLetter));
    if (result == mrInsertChart) {
        const Grid grid = window->gridRows();
        ok = insertAnalysisChart(text, window->analysis() == Analysis::ImpactProbability
                                           ? impactProbabilityChart(riskPoints(grid))
                                           : strengthWeaknessChart(rankedFactors(grid)));
    }
    text.setFocus();
    return ok;
}

} // namespace

bool RunSectionAnalysis(int section, TextControl& text, const QString& plan,
                        const AnalysisWindows& windows) {
    // The section stays where the navigator scrolled it, its new table below its heading.
    struct KeepScroll {
        TextControl& text;
        const int scroll = text.ScrollVert();
        ~KeepScroll() { text.setScrollVert(scroll); }
    } keep{text};
    switch (section) {
    case CompetitorSection: {
        if (!windows.ca) return false;
        const int result = windows.ca->execFor(plan);
        bool ok = result == mrOk;
        if (ok) insertCompetitorTable(text, windows.ca->gridRows());
        if (result == mrInsertChart)
            ok = insertAnalysisChart(text, competitorChart(competitorChartData(windows.ca->gridRows())));
        text.setSelLength(0);
        text.setFocus();
        return ok;
    }
    case ImpactSection:
        return runFactorScore(windows.ip, text, plan);
    case StrengthSection:
        return runFactorScore(windows.sw, text, plan);
    case SwotSection: {
        if (!windows.summary) return false;
        const int result = windows.summary->execFor(plan);
        if (result == mrInsertChart)
            return insertAnalysisChart(text, swotChart(swotChartData(windows.summary->gridRows())));
        const bool ok = result == mrOk;
        if (ok) insertSwotTable(text, windows.summary->gridRows());
        return ok;
    }
    default:
        return false;
    }
}
