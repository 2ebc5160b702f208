#include "analysis/analysisrun.h"

#include "analysis/analysistables.h"
#include "analysis/cafrm.h"
#include "analysis/swfrm.h"
#include "analysis/swotfrm.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"

namespace {

bool runFactorScore(TfrmFactorScore* window, TextControl& text, const QString& plan) {
    if (!window) return false;
    const bool ok = window->execFor(plan) == mrOk;
    if (ok) insertFactorScoreTable(text, window->gridRows(), QLatin1String(window->config().tableLetter));
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
        const bool ok = windows.ca->execFor(plan) == mrOk;
        if (ok) insertCompetitorTable(text, windows.ca->gridRows());
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
        const bool ok = windows.summary->execFor(plan) == mrOk;
        if (ok) insertSwotTable(text, windows.summary->gridRows());
        return ok;
    }
    default:
        return false;
    }
}
