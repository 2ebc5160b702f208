// The budget in the main window on a long plan: moving from a section of text to the
// budget section and back (the view switch the navigator makes), and the budget preview
// drawing its page.

#include "support/programcopy.h"
#include "support/qtbenchmain.h"
#include "app/editfrm.h"
#include "budget/budgetview.h"
#include "budget/sprprev.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/text/textcontrol.h"
#include "plans/lifecycle.h"
#include "plans/navigator.h"
#include "plans/plansession.h"
#include "platform/folders.h"
#include "platform/printerinfo.h"
#include "support/plandoc.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// A program folder of its own with the shipped data and the original plan and budget, a
// plan loaded as the program loads it, and then a 1,000-page text in its place.
struct Program {
    QTemporaryDir dir;
    std::unique_ptr<TfrmEdit> win;
    int budgetItem = 0;

    Program() {
        useProgramCopy(dir.path());

        win = std::make_unique<TfrmEdit>();
        win->resize(1100, 800);
        win->show();
        QApplication::processEvents();
        PlanSession& s = planSession();
        s.CreatingPlan = false;
        s.CurrentPlanName = QStringLiteral("Bench");
        s.CurrentPlanFile = dir.path() + QStringLiteral("/userdata/1.mp");
        win->lifecycle()->LoadChosenPlan(QStringLiteral("Acme Ltd"), QStringLiteral("Retail"));
        // Details confirmed once: no window on the way in.
        win->spread->SetCellText(1, 1, BudgetView::confirmedTitle());

        win->ATX321->adoptDocument(makePlanDocument(1000));
        win->ATX321->setWriteProtect(0);
        QApplication::processEvents();
        Navigator* nav = win->navigator();
        for (int i = 1; i <= nav->itemCount(); ++i)
            if (nav->itemText(i) == Navigator::budgetItemText()) budgetItem = i;
    }

    void click(int item) {
        win->Outline1->setCurrentIndex(win->navigator()->indexOf(item));
        win->navigator()->Outline1Click();
    }
};

Program* g_program = nullptr;

Program& program() {
    if (!g_program) g_program = new Program;
    return *g_program;
}

void BM_ToBudgetView(benchmark::State& state) {
    Program& p = program();
    for (auto _ : state) {
        state.PauseTiming();
        p.click(p.budgetItem - 1);
        QApplication::processEvents();
        state.ResumeTiming();
        p.click(p.budgetItem);
        QApplication::processEvents();
    }
    if (!p.win->budgetView()->BudgetShown()) state.SkipWithError("the budget view did not show");
    state.counters["pages"] = 1000;
}

void BM_FromBudgetView(benchmark::State& state) {
    Program& p = program();
    for (auto _ : state) {
        state.PauseTiming();
        p.click(p.budgetItem);
        QApplication::processEvents();
        state.ResumeTiming();
        p.click(p.budgetItem - 1);
        QApplication::processEvents();
    }
    if (p.win->budgetView()->BudgetShown()) state.SkipWithError("the text view did not show");
}

void previewRedraw(benchmark::State& state, TfrmSpreadPrev::Zoom zoom) {
    Program& p = program();
    TfrmSpreadPrev prev(p.win.get());
    prev.setSheet(p.win->spread);
    prev.show();
    QApplication::processEvents();
    prev.SetZoom(zoom);
    for (auto _ : state) {
        prev.Redraw();
        prev.imgPreview->repaint();
    }
    state.counters["width"] = prev.imgPreview->width();
    prev.hide();
}

void BM_PreviewRedrawFit(benchmark::State& state) {
    previewRedraw(state, TfrmSpreadPrev::ZoomFit);
}

void BM_PreviewRedraw100(benchmark::State& state) {
    previewRedraw(state, TfrmSpreadPrev::Zoom100);
}

BENCHMARK(BM_ToBudgetView)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_FromBudgetView)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_PreviewRedrawFit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewRedraw100)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv, {}, [] { delete g_program; });
}
