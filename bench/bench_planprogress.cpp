// The plan's progress on a 1,000-page plan: what a keystroke costs the marks in the
// navigator, and the first look at a whole plan when it is opened.
//
// The template is the plan itself, so that no paragraph holds the owner's own words: every
// look walks all of a section's paragraphs, the slowest case there is.

#include "support/qtbenchmain.h"
#include "controls/text/textcontrol.h"
#include "controls/speller/speller.h"
#include "plans/plancheck.h"
#include "plans/planprogress.h"
#include "support/plandoc.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int kPages = 1000;

struct LongPlan {
    TextControl text;
    PlanProgress progress{text};

    LongPlan() {
        std::unique_ptr<QTextDocument> original(makePlanDocument(kPages));
        progress.setTemplate(PlanTemplate(*original));
        text.adoptDocument(makePlanDocument(kPages));
        progress.setSectionCount(kPlanSections);
        progress.setActive(true);
        progress.refresh();
    }
};

LongPlan& plan() {
    static LongPlan p;
    return p;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// A character typed into (and taken out of) a paragraph in the middle of section 20, then
// the refresh that follows it: only the refresh is timed (median in median_us).
void BM_RefreshAfterKeystroke(benchmark::State& state) {
    LongPlan& p = plan();
    const TextPiece e = p.progress.extent(20);
    const int at = e.start + (e.end - e.start) / 2;
    QTextCursor c(p.text.document());
    bool insert = true;
    std::vector<double> micros;
    for (auto _ : state) {
        state.PauseTiming();
        c.setPosition(at);
        if (insert) {
            c.insertText(QStringLiteral("x"));
        } else {
            c.setPosition(at + 1, QTextCursor::KeepAnchor);
            c.removeSelectedText();
        }
        insert = !insert;
        state.ResumeTiming();
        QElapsedTimer t;
        t.start();
        const QList<int> looked = p.progress.refresh();
        micros.push_back(t.nsecsElapsed() / 1000.0);
        // Typing looks at its own section; taking a character out also at the next one,
        // whose start it might have moved.
        if (!looked.contains(20) || looked.size() > (insert ? 2 : 1)) {
            state.SkipWithError("looked at the wrong sections");
            break;
        }
    }
    if (!insert) {
        // The plan as it was for the next benchmark.
        c.setPosition(at);
        c.setPosition(at + 1, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        p.progress.refresh();
    }
    state.counters["median_us"] = median(micros);
    state.counters["paragraphs"] = double(p.text.document()->findBlock(e.end).blockNumber() -
                                          p.text.document()->findBlock(e.start).blockNumber());
}
BENCHMARK(BM_RefreshAfterKeystroke)->Unit(benchmark::kMicrosecond);

// Every section looked at again (as after a large paste), the paragraphs' marks still good.
void BM_RefreshWholePlan(benchmark::State& state) {
    LongPlan& p = plan();
    for (auto _ : state) {
        p.progress.invalidateAll();
        benchmark::DoNotOptimize(p.progress.refresh());
    }
}
BENCHMARK(BM_RefreshWholePlan)->Unit(benchmark::kMillisecond);

// The first look at a plan just opened: every paragraph read and compared with the template.
void BM_FirstLookAtPlan(benchmark::State& state) {
    LongPlan& p = plan();
    for (auto _ : state) {
        p.progress.setPlaceholderNames(QStringLiteral("Bright Bakery"), QStringLiteral("Retail"));
        benchmark::DoNotOptimize(p.progress.refresh());
    }
    if (p.progress.doneCount() != 0 || p.progress.state(20) != PlanProgress::NotStarted)
        state.SkipWithError("the untouched plan is not untouched");
}
BENCHMARK(BM_FirstLookAtPlan)->Unit(benchmark::kMillisecond);

// Reading the template from a document of the same length.
void BM_ReadTemplate(benchmark::State& state) {
    std::unique_ptr<QTextDocument> original(makePlanDocument(kPages));
    for (auto _ : state)
        benchmark::DoNotOptimize(PlanTemplate(*original));
}
BENCHMARK(BM_ReadTemplate)->Unit(benchmark::kMillisecond);

// What the Check Plan window does for a section after an edit: its entries, with every
// word of its 25 pages the owner's own and spell-checked.
void BM_CheckEntriesOfLongSection(benchmark::State& state) {
    TextControl text;
    text.adoptDocument(makePlanDocument(kPages));
    PlanProgress progress(text); // no template: every word is the owner's
    progress.setSectionCount(kPlanSections);
    progress.setActive(true);
    progress.refresh();
    Speller speller;
    speller.setStandardDictionary(QStringLiteral("british.vtd"));
    if (!speller.load()) {
        state.SkipWithError("no British dictionary");
        return;
    }
    PlanCheck check(progress, text);
    check.setSpeller(&speller);
    int entries = 0;
    for (auto _ : state)
        entries = int(check.entriesOf(20).size());
    state.counters["entries"] = entries;
}
BENCHMARK(BM_CheckEntriesOfLongSection)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv);
}
