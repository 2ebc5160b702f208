// A recovery copy of a 1,000-page plan with its budget: what the user-interface thread
// spends on it (the longest piece, when a key waits at most that long, and all pieces
// together) and what the whole copy takes until both files are on disk, against a copy of
// the whole document in one go (QTextDocument::clone), the snapshot a simpler program takes.

#include "app/editfrm.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/text/rtfreader.h"
#include "controls/text/rtfwriter.h"
#include "controls/text/textcontrol.h"
#include "plans/autosave.h"
#include "plans/lifecycle.h"
#include "plans/recovery.h"
#include "platform/folders.h"
#include "platform/printerinfo.h"
#include "support/plandoc.h"
#include "support/programcopy.h"
#include "support/qtbenchmain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int kPages = 1000;

struct Program {
    QTemporaryDir dir;
    std::unique_ptr<TfrmEdit> win;
    AutoSave* autoSave = nullptr;

    Program() {
        useProgramCopy(dir.path());

        win = std::make_unique<TfrmEdit>();
        win->resize(1100, 800);
        win->show();
        QApplication::processEvents();
        win->spread->Read(dir.path() + QStringLiteral("/userdata/1.mps"));
        win->ATX321->adoptDocument(makePlanDocument(kPages));
        win->ATX321->setWriteProtect(0);
        win->ATX321->setFileName(dir.path() + QStringLiteral("/userdata/5.mp"));
        win->lifecycle()->setPlanLoaded(true);
        QApplication::processEvents();
        autoSave = win->autoSave();
    }

    void type() {
        QTextCursor c(win->ATX321->document());
        c.setPosition(win->ATX321->document()->characterCount() / 2);
        c.insertText(QStringLiteral("x"));
        win->PlanModified = true;
    }
};

Program* g_program = nullptr;

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

Program& program() {
    if (!g_program) g_program = new Program;
    return *g_program;
}

void BM_RecoveryCopy(benchmark::State& state) {
    Program& p = program();
    double clone = 1e30;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        std::unique_ptr<QTextDocument> copy(p.win->ATX321->document()->clone());
        clone = std::min(clone, t.nsecsElapsed() / 1e6);
    }
    // Medians over the iterations: the machine's other work lengthens a piece now and
    // then, which says nothing about the piece.
    std::vector<double> longest, longestCpu, ui, uiCpu, worker, whole, pieces;
    for (auto _ : state) {
        p.type();
        p.autoSave->changed();
        QElapsedTimer t;
        t.start();
        if (!p.autoSave->copyNow()) state.SkipWithError("no copy was taken");
        p.autoSave->waitForWrites();
        const double ms = t.nsecsElapsed() / 1e6;
        QApplication::processEvents(); // the worker's report
        const AutoSave::Figures f = p.autoSave->lastFigures();
        state.SetIterationTime(ms / 1e3);
        whole.push_back(ms);
        longest.push_back(f.longestPieceNs / 1e6);
        longestCpu.push_back(f.longestPieceCpuNs / 1e6);
        ui.push_back(f.uiNs / 1e6);
        uiCpu.push_back(f.uiCpuNs / 1e6);
        worker.push_back(f.workerNs / 1e6);
        pieces.push_back(f.pieces);
    }
    // The copy is the plan: checked once, outside the timing.
    QFile file(Recovery::textCopyOf(5));
    QTextDocument copy;
    if (!file.open(QIODevice::ReadOnly) || !RtfReader::read(file.readAll(), &copy) ||
        !copy.toPlainText().endsWith(p.win->ATX321->document()->toPlainText()))
        state.SkipWithError("the copy differs from the plan");
    state.counters["piece_ms"] = median(longest);
    state.counters["piece_cpu_ms"] = median(longestCpu);
    state.counters["ui_ms"] = median(ui);
    state.counters["ui_cpu_ms"] = median(uiCpu);
    state.counters["pieces"] = median(pieces);
    state.counters["worker_ms"] = median(worker);
    state.counters["whole_ms"] = median(whole);
    state.counters["clone_ms"] = clone;
    state.counters["piece_vs_clone"] = median(longest) / clone;
}
BENCHMARK(BM_RecoveryCopy)->UseManualTime()->Iterations(9)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv, {}, [] { delete g_program; });
}
