// The budget sheet: one entry recalculated (and repainted on screen), chains of dependent
// formulas set cell by cell (the time per cell must not grow with the sheet), the budget
// file loaded and saved, and one print page drawn. The Actual Spend sheet: an actual
// figure entered and repainted, and a budget entry that the actuals read.
//
// Counters: "us_per_cell" for the chains (compare 1,000 with 10,000), "repaint_us" the
// repaint alone after an entry.

#include "support/qtbenchmain.h"
#include "budget/actuals.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/sheet/sheetfile.h"
#include "controls/sheet/sheetmodel.h"
#include "controls/sheet/sheetview.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

const QByteArray& budgetFile() {
    static const QByteArray bytes = [] {
        QFile f(QStringLiteral(TANDEL_BENCH_BIN_DIR "/userdata/1.mps"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    return bytes;
}

// The budget with every entry cell filled, as a user's would be.
void loadFilledBudget(Sheet::SheetModel* m) {
    QString error;
    if (!Sheet::readNative(budgetFile(), m, &error)) qFatal("%s", qPrintable(error));
    Sheet::SheetModel::Batch batch(*m);
    for (int r = 6; r <= 24; ++r)
        for (int c = 2; c <= 13; ++c)
            if (!m->isLocked(r, c)) m->setEntry(r, c, QString::number(r * 37 + c * 11));
}

void BM_BudgetRecalcOneEntry(benchmark::State& state) {
    Sheet::SheetModel m;
    loadFilledBudget(&m);
    int i = 0;
    for (auto _ : state) m.setEntry(11, 5, QString::number(++i));
    if (m.cellValue(26, 14).type != Sheet::Value::Number) state.SkipWithError("totals are not numbers");
}
BENCHMARK(BM_BudgetRecalcOneEntry)->Unit(benchmark::kMicrosecond);

void BM_BudgetEntryAndRepaint(benchmark::State& state) {
    SheetControl sheet;
    sheet.resize(1100, 640);
    sheet.show();
    loadFilledBudget(&sheet.model());
    QApplication::processEvents();
    auto* view = sheet.findChild<Sheet::SheetView*>(QStringLiteral("sheetView"));
    QImage screen(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    double repaint = 0;
    int i = 0;
    for (auto _ : state) {
        sheet.SetCellText(11, 5, QString::number(++i));
        const auto t0 = std::chrono::steady_clock::now();
        view->viewport()->render(&screen);
        repaint += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
    }
    state.counters["repaint_us"] = repaint / double(state.iterations());
}
BENCHMARK(BM_BudgetEntryAndRepaint)->Unit(benchmark::kMicrosecond);

// The filled budget with its Actual Spend sheet, every month's actual typed.
Sheet::SheetModel& addFilledActuals(Sheet::SheetModel* budget) {
    Sheet::SheetModel& a = Actuals::build(*budget);
    Sheet::SheetModel::Batch batch(a);
    a.setNumber(Actuals::kMonthsRow, Actuals::kMonthsChosenCol, 12);
    for (int r = 6; r <= 24; ++r)
        for (int p = 1; p <= Actuals::kPeriods; ++p)
            if (!a.isLocked(r, Actuals::actualColumn(p)))
                a.setNumber(r, Actuals::actualColumn(p), r * 31 + p * 7);
    return a;
}

// An actual typed in the Actual Spend window: its group, the totals, the year to date and
// the variances recalculated, and the window repainted.
void BM_ActualEntryAndRepaint(benchmark::State& state) {
    Sheet::SheetModel budget;
    loadFilledBudget(&budget);
    SheetControl sheet(&addFilledActuals(&budget));
    sheet.resize(1100, 640);
    sheet.show();
    QApplication::processEvents();
    auto* view = sheet.findChild<Sheet::SheetView*>(QStringLiteral("sheetView"));
    QImage screen(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    double repaint = 0;
    int i = 0;
    for (auto _ : state) {
        sheet.SetCellText(11, Actuals::actualColumn(3), QString::number(++i));
        const auto t0 = std::chrono::steady_clock::now();
        view->viewport()->render(&screen);
        repaint += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
    }
    state.counters["repaint_us"] = repaint / double(state.iterations());
    if (sheet.model().cellValue(26, Actuals::kVarianceToDateCol).type != Sheet::Value::Number)
        state.SkipWithError("the variance is not a number");
}
BENCHMARK(BM_ActualEntryAndRepaint)->Unit(benchmark::kMicrosecond);

// A budget entry with actuals: the budget and every actuals formula reading it.
void BM_BudgetEntryWithActuals(benchmark::State& state) {
    Sheet::SheetModel budget;
    loadFilledBudget(&budget);
    addFilledActuals(&budget);
    int i = 0;
    for (auto _ : state) budget.setEntry(11, 5, QString::number(++i));
}
BENCHMARK(BM_BudgetEntryWithActuals)->Unit(benchmark::kMicrosecond);

// Building the Actual Spend sheet from the budget, as opening the window does.
void BM_BuildActuals(benchmark::State& state) {
    Sheet::SheetModel budget;
    loadFilledBudget(&budget);
    addFilledActuals(&budget);
    for (auto _ : state) Actuals::build(budget);
}
BENCHMARK(BM_BuildActuals)->Unit(benchmark::kMicrosecond);

// A chain A1 = 1, A2 = A1+1, ... set in order; each entry recalculates its own cell.
void BM_SetDependentChain(benchmark::State& state) {
    const int n = int(state.range(0));
    double us = 0;
    for (auto _ : state) {
        Sheet::SheetModel m;
        const auto t0 = std::chrono::steady_clock::now();
        m.setEntry(1, 1, QStringLiteral("1"));
        for (int r = 2; r <= n; ++r) m.setEntry(r, 1, QStringLiteral("=A%1+1").arg(r - 1));
        us += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
        benchmark::DoNotOptimize(m.cellValue(n, 1).number);
    }
    state.counters["us_per_cell"] = us / (double(n) * double(state.iterations()));
}
BENCHMARK(BM_SetDependentChain)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Changing the head of a chain recalculates every link: linear in its length.
void BM_RecalcChainFromHead(benchmark::State& state) {
    const int n = int(state.range(0));
    Sheet::SheetModel m;
    m.setEntry(1, 1, QStringLiteral("1"));
    for (int r = 2; r <= n; ++r) m.setEntry(r, 1, QStringLiteral("=A%1+1").arg(r - 1));
    int i = 0;
    double us = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        m.setEntry(1, 1, QString::number(++i));
        us += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
    }
    state.counters["us_per_cell"] = us / (double(n) * double(state.iterations()));
}
BENCHMARK(BM_RecalcChainFromHead)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LoadBudget(benchmark::State& state) {
    Sheet::SheetModel filled;
    loadFilledBudget(&filled);
    const QByteArray bytes = Sheet::writeNative(filled);
    for (auto _ : state) {
        Sheet::SheetModel m;
        QString error;
        if (!Sheet::readNative(bytes, &m, &error)) state.SkipWithError("not read");
    }
    state.counters["bytes"] = double(bytes.size());
}
BENCHMARK(BM_LoadBudget)->Unit(benchmark::kMicrosecond);

void BM_SaveBudget(benchmark::State& state) {
    Sheet::SheetModel m;
    loadFilledBudget(&m);
    for (auto _ : state) benchmark::DoNotOptimize(Sheet::writeNative(m));
}
BENCHMARK(BM_SaveBudget)->Unit(benchmark::kMicrosecond);

// Page 1 of the budget on A4 landscape at 150 pixels per inch.
void BM_DrawPrintPage(benchmark::State& state) {
    SheetControl sheet;
    loadFilledBudget(&sheet.model());
    QImage page(1754, 1240, QImage::Format_RGB32);
    for (auto _ : state) {
        page.fill(Qt::white);
        QPainter p(&page);
        benchmark::DoNotOptimize(sheet.DrawPage(&p, QRectF(0, 0, page.width(), page.height()), 1));
    }
}
BENCHMARK(BM_DrawPrintPage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return runWidgetBenchmarks(argc, argv);
}
