// Tables: inserting a table of 100 rows by 10 cells through the control's function, against
// Qt's own QTextCursor::insertTable of the same size measured in the same run ("vs_qt");
// saving and loading a plan holding 200 such tables (every cell with text), against Qt's
// HTML export and import of the same document ("vs_html"); typing into a cell of the large
// table. Times are the best run.

#include "support/qtbenchmain.h"
#include "controls/text/rtfreader.h"
#include "controls/text/rtfwriter.h"
#include "support/rtfsave.h"
#include "controls/text/tablefunctions.h"
#include "controls/text/textcontrol.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>
#include <memory>

namespace {

constexpr int kRows = 100;
constexpr int kColumns = 10;
constexpr int kTables = 200;


void BM_InsertTable100x10(benchmark::State& state) {
    // Qt's plain table in the same control, laid out the same way.
    double qt = 1e30;
    for (int i = 0; i < 3; ++i) {
        TextControl atx;
        atx.setDocWidth(9638);
        atx.setSelText("Before\nAfter");
        QTextCursor c(atx.document());
        c.setPosition(7);
        qt = std::min(qt, seconds([&] {
                          c.beginEditBlock();
                          benchmark::DoNotOptimize(c.insertTable(kRows, kColumns));
                          c.endEditBlock();
                      }));
    }
    double best = 1e30;
    for (auto _ : state) {
        TextControl atx;
        atx.setDocWidth(9638);
        atx.setSelText("Before\nAfter");
        atx.setCurPar(1);
        const double t = seconds([&] {
            if (ATX_INSERTTABLE(&atx, kRows, kColumns) != TableOk)
                state.SkipWithError("the table was not inserted");
        });
        if (ATX_TABLEROWS(&atx) != kRows)
            state.SkipWithError("the table has the wrong number of rows");
        best = std::min(best, t);
        state.SetIterationTime(t);
    }
    state.counters["ms"] = best * 1e3;
    state.counters["qt_ms"] = qt * 1e3;
    state.counters["vs_qt"] = best / qt;
}
BENCHMARK(BM_InsertTable100x10)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// One character typed into a cell in the middle of a 100 x 10 table, with the layout and
// repaint that follow: "cpu_us" is the median of the thread's CPU time.
void BM_TypeInLargeTable(benchmark::State& state) {
    TextControl atx;
    atx.resize(900, 700);
    atx.setDocWidth(9638);
    atx.setSelText("Before\nAfter");
    atx.setCurPar(1);
    if (ATX_INSERTTABLE(&atx, kRows, kColumns) != TableOk) {
        state.SkipWithError("the table was not inserted");
        return;
    }
    QTextTable* table = atx.textCursor().currentTable();
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c)
            table->cellAt(r, c).firstCursorPosition().insertText(QStringLiteral("%1.%2").arg(r).arg(c));
    atx.show();
    atx.setFocus();
    atx.setSelStart(table->cellAt(kRows / 2, kColumns / 2).firstPosition());
    QApplication::processEvents();
    std::vector<double> cpu;
    for (auto _ : state) {
        timespec a{}, b{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QApplication::sendEvent(&atx, &press);
        QApplication::sendEvent(&atx, &release);
        QApplication::processEvents();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
        cpu.push_back((b.tv_sec - a.tv_sec) * 1e6 + (b.tv_nsec - a.tv_nsec) / 1e3);
    }
    std::sort(cpu.begin(), cpu.end());
    state.counters["cpu_us"] = cpu.empty() ? 0 : cpu[cpu.size() / 2];
}
BENCHMARK(BM_TypeInLargeTable)->Iterations(100)->Unit(benchmark::kMicrosecond);

// A plan of 200 tables of 100 x 10 cells, each table after a heading paragraph, each cell
// holding a short text, built once.
const QTextDocument* tablePlan() {
    static std::unique_ptr<QTextDocument> doc = [] {
        TextControl atx;
        atx.setDocWidth(9638);
        for (int t = 0; t < kTables; ++t) {
            atx.setSelStart(atx.TextLength());
            atx.setSelText(QStringLiteral("Analysis table %1\n").arg(t + 1));
            ATX_INSERTTABLE(&atx, kRows, kColumns);
            QTextTable* table = atx.textCursor().currentTable();
            if (!table) return std::unique_ptr<QTextDocument>();
            QTextCursor edit(atx.document());
            edit.beginEditBlock(); // one layout for the table's text, not one per cell
            for (int r = 0; r < kRows; ++r)
                for (int c = 0; c < kColumns; ++c)
                    table->cellAt(r, c).firstCursorPosition().insertText(
                        QStringLiteral("%1.%2").arg(r).arg(c));
            edit.endEditBlock();
            ATX_TABLEBORDER(&atx, t % 4);
        }
        // The plan as it is after loading: built by the reader, as a saved plan is.
        auto copy = std::make_unique<QTextDocument>();
        copy->setDefaultFont(atx.document()->defaultFont());
        if (!RtfReader::read(RtfWriter::write(*atx.document()), copy.get()))
            return std::unique_ptr<QTextDocument>();
        return copy;
    }();
    return doc.get();
}

void BM_SaveTablePlan(benchmark::State& state) {
    if (!tablePlan()) {
        state.SkipWithError("the plan could not be built");
        return;
    }
    const QTextDocument& doc = *tablePlan();
    measureRtfSave(state, doc, 2);
}
BENCHMARK(BM_SaveTablePlan)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_LoadTablePlan(benchmark::State& state) {
    if (!tablePlan()) {
        state.SkipWithError("the plan could not be built");
        return;
    }
    const QTextDocument& doc = *tablePlan();
    const QString htmlText = doc.toHtml();
    const QByteArray rtf = RtfWriter::write(doc);
    double html = 1e30;
    for (int i = 0; i < 2; ++i) {
        QTextDocument target;
        html = std::min(html, seconds([&] { target.setHtml(htmlText); }));
    }
    double best = 1e30;
    for (auto _ : state) {
        QTextDocument target;
        const double t = seconds([&] {
            if (!RtfReader::read(rtf, &target)) state.SkipWithError("the plan did not load");
        });
        if (target.characterCount() != doc.characterCount())
            state.SkipWithError("the plan loaded with different text");
        best = std::min(best, t);
        state.SetIterationTime(t);
    }
    state.counters["rtf_ms"] = best * 1e3;
    state.counters["html_ms"] = html * 1e3;
    state.counters["vs_html"] = best / html;
}
BENCHMARK(BM_LoadTablePlan)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv);
}
