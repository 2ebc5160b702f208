// Replace All over a long plan, and entering blue guidance text after a key release.
//
// Replace All must be linear in the text: BM_ReplaceAll runs 10,000 matches in a
// 1,000-page plan and 5,000 in a 500-page plan of the same make-up (the same density), and
// 5,000 in the 1,000-page plan; "ms" is the best run in CPU time of the thread (the layout
// that follows included), "wall_ms" on the clock. The ratio "vs_half" of the first two
// should be about 2.
// BM_EnterBlueText: the prompt selection that follows each key release, on a 1,000-page
// plan, with the caret inside a prompt (the work is done) and in user text (nothing to do).

#include "support/qtbenchmain.h"
#include "controls/text/rtfwriter.h"
#include "controls/text/textcontrol.h"
#include "editor/bluetext.h"
#include "editor/findreplace.h"
#include "support/plandoc.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <memory>

namespace {

const QString kToken = QStringLiteral("zqxjv");
const QString kSwapped = QStringLiteral("vjxqz");

// A shown plan text holding the plan of `pages` pages with `matches` tokens spread evenly
// through it.
std::unique_ptr<TextControl> planText(int pages, int matches) {
    std::unique_ptr<QTextDocument> doc(makePlanDocument(pages));
    if (matches > 0) {
        QTextCursor c(doc.get());
        c.beginEditBlock();
        const int length = doc->characterCount() - 1;
        const int step = length / matches;
        for (int i = matches - 1; i >= 0; --i) {
            c.setPosition(i * step + step / 2);
            c.insertText(QLatin1Char(' ') + kToken + QLatin1Char(' '));
        }
        c.endEditBlock();
    }
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan%1-%2.mp").arg(pages).arg(matches));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return nullptr;
    f.write(RtfWriter::write(*doc));
    f.close();
    auto text = std::make_unique<TextControl>();
    text->resize(800, 600);
    text->show();
    if (!text->loadFile(path, TextControl::NativeRtf)) return nullptr;
    QApplication::processEvents();
    return text;
}

// The time this thread spent on the CPU: on a machine shared with other work the wall
// clock also counts the time the thread waited for a core.
double threadSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

struct Timing {
    double wall = 0;
    double cpu = 0;
};

Timing measure(const std::function<void()>& f) {
    const double c0 = threadSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    f();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return {wall, threadSeconds() - c0};
}

std::map<std::pair<int, int>, double>& bestTimes() {
    static std::map<std::pair<int, int>, double> times;
    return times;
}

void BM_ReplaceAll(benchmark::State& state) {
    const int pages = int(state.range(0));
    const int matches = int(state.range(1));
    std::unique_ptr<TextControl> text = planText(pages, matches);
    if (!text) {
        state.SkipWithError("could not load the plan");
        return;
    }
    double best = 1e30;
    double bestWall = 1e30;
    double bestReplace = 1e30;
    bool forward = true;
    for (auto _ : state) {
        int count = 0;
        Timing replace;
        const Timing t = measure([&] {
            replace = measure([&] {
                ReplaceAllMatches(text.get(), forward ? kToken : kSwapped,
                                  forward ? kSwapped : kToken, false, &count);
            });
            QApplication::processEvents(); // the layout catches up, as it would on screen
        });
        bestReplace = std::min(bestReplace, replace.cpu);
        if (count != matches) {
            state.SkipWithError("wrong number of replacements");
            return;
        }
        forward = !forward;
        best = std::min(best, t.cpu);
        bestWall = std::min(bestWall, t.wall);
        state.SetIterationTime(t.cpu);
    }
    bestTimes()[{pages, matches}] = best;
    state.counters["ms"] = best * 1e3;
    state.counters["wall_ms"] = bestWall * 1e3;
    state.counters["call_ms"] = bestReplace * 1e3; // the replacing alone, before the layout
    state.counters["us_per_match"] = best * 1e6 / matches;
    state.counters["chars"] = text->TextLength();
    const auto half = bestTimes().find({pages / 2, matches / 2});
    if (half != bestTimes().end()) state.counters["vs_half"] = best / half->second;
}
BENCHMARK(BM_ReplaceAll)
    ->Args({500, 5000})
    ->Args({1000, 10000})
    ->Args({1000, 5000})
    ->UseManualTime()
    ->Iterations(4)
    ->Unit(benchmark::kMillisecond);

// One search through the whole plan that finds nothing: the floor under Replace All.
void BM_SearchWholePlan(benchmark::State& state) {
    std::unique_ptr<TextControl> text = planText(1000, 0);
    if (!text) {
        state.SkipWithError("could not load the plan");
        return;
    }
    double best = 1e30;
    for (auto _ : state) {
        text->setSelStart(0);
        const Timing t = measure(
            [&] { benchmark::DoNotOptimize(text->find_phrase(QStringLiteral("qqzzxx"), -1, 0)); });
        best = std::min(best, t.cpu);
        state.SetIterationTime(t.cpu);
    }
    state.counters["ms"] = best * 1e3;
}
BENCHMARK(BM_SearchWholePlan)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_EnterBlueText(benchmark::State& state) {
    const bool inPrompt = state.range(0) != 0;
    std::unique_ptr<TextControl> text = planText(1000, 0);
    if (!text) {
        state.SkipWithError("could not load the plan");
        return;
    }
    // Caret spots spread through the plan: inside prompts, or in the user text after them.
    std::vector<int> spots;
    for (const auto& run : text->tagRuns(0)) {
        if (run[2] == GuidanceTag::BluePrompt)
            spots.push_back(inPrompt ? (run[0] + run[1]) / 2 : run[1] + 3);
    }
    if (spots.empty()) {
        state.SkipWithError("the plan has no prompts");
        return;
    }
    std::size_t next = 0;
    std::vector<double> cpu;
    double worstWall = 0;
    for (auto _ : state) {
        const int spot = spots[(next += 97) % spots.size()];
        text->setSelStart(spot); // the key moved the caret
        const Timing t = measure([&] { benchmark::DoNotOptimize(EnterBlueText(text.get())); });
        cpu.push_back(t.cpu);
        worstWall = std::max(worstWall, t.wall);
        state.SetIterationTime(t.cpu);
    }
    std::sort(cpu.begin(), cpu.end());
    double total = 0;
    for (double t : cpu)
        total += t;
    state.counters["mean_ms"] = total / double(std::max<std::size_t>(cpu.size(), 1)) * 1e3;
    state.counters["p99_ms"] = cpu.empty() ? 0 : cpu[cpu.size() * 99 / 100] * 1e3;
    state.counters["worst_ms"] = cpu.empty() ? 0 : cpu.back() * 1e3;
    state.counters["worst_wall_ms"] = worstWall * 1e3;
}
BENCHMARK(BM_EnterBlueText)
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv);
}
