// Tag look-ups and typing in the text control on a 1,000-page plan.
//
// Each look-up runs against a linear walk over the document that finds the same run, timed
// in the same process. Counters: "median_us" the median FIND_* call (selecting the run and
// scrolling to it included), "walk_us" the walk's median and "ratio" walk / call;
// "search_us" the index search alone and "search_ratio" walk / search. The typing figure
// is the median keystroke, index upkeep, layout and repaint included; "upkeep_us" is the
// index's share of a keystroke on its own.

#include "support/qtbenchmain.h"
#include "controls/text/tagindex.h"
#include "controls/text/screenlayout.h"
#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"
#include "support/plandoc.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kPages = 1000;
// A tag value put once on the last paragraph, so that a forward search from the start
// has to cross the whole document.
constexpr int kLastTag = 1001;

using Clock = std::chrono::steady_clock;

double microseconds(const std::function<void()>& f) {
    const auto t0 = Clock::now();
    f();
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

TextControl& control() {
    static TextControl* t = [] {
        auto* c = new TextControl;
        c->resize(900, 700);
        c->setShowHidden(1); // as the plan runs while it is edited
        c->adoptDocument(makePlanDocument(kPages));
        c->setSelStart(c->TextLength());
        c->setHTag(kLastTag);
        c->setSelText(QStringLiteral("end"));
        c->setHTag(0);
        c->setSelStart(0);
        c->show();
        QApplication::processEvents();
        return c;
    }();
    return *t;
}

// What a search without an index does: walk back over the paragraphs from the caret.
int walkPtagBack(const QTextDocument& doc, int value, int before) {
    for (QTextBlock b = doc.findBlock(before); b.isValid(); b = b.previous())
        if (b.position() < before && b.blockFormat().intProperty(TextFormat::PTagProperty) == value)
            return b.blockNumber();
    return -1;
}

// Walk forward over the fragments from a position to the first run start of the value.
int walkHtagForward(const QTextDocument& doc, int value, int from) {
    int previous = -1;
    for (QTextBlock b = doc.findBlock(from); b.isValid(); b = b.next()) {
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const int v = f.charFormat().intProperty(TextFormat::HTagProperty);
            if (v == value && previous != value && f.position() >= from) return f.position();
            previous = v;
        }
    }
    return -1;
}

// An index of its own over the control's text, for timing the search without the
// selecting and scrolling that a FIND_* call adds (the text does not change meanwhile).
TagIndex& searchIndex() {
    static TagIndex index(control().document());
    return index;
}

// Times `search` alone against the walk's median: "search_us" and "search_ratio".
void reportSearch(benchmark::State& state, const std::function<void()>& search, double walk) {
    std::vector<double> v;
    for (int i = 0; i < 2001; ++i)
        v.push_back(microseconds(search));
    const double m = median(v);
    state.counters["search_us"] = m;
    state.counters["search_ratio"] = m > 0 ? walk / m : 0;
}

void report(benchmark::State& state, const std::vector<double>& ours,
            const std::vector<double>& walk) {
    const double m = median(ours);
    state.counters["median_us"] = m;
    if (!walk.empty()) {
        const double w = median(walk);
        state.counters["walk_us"] = w;
        state.counters["ratio"] = m > 0 ? w / m : 0;
    }
}

// The navigator's move: caret at the end, back to the first section's heading.
void BM_FindPtagBackToFirstSection(benchmark::State& state) {
    TextControl& t = control();
    const int end = t.TextLength();
    std::vector<double> ours, walk;
    int found = -1;
    for (auto _ : state) {
        state.PauseTiming();
        t.setSelStart(end);
        state.ResumeTiming();
        const double us = microseconds([&] { found = t.FIND_PTAG(planSectionTag(1), -1); });
        ours.push_back(us);
        benchmark::DoNotOptimize(found);
    }
    if (found != 0) state.SkipWithError("first section not found");
    for (int i = 0; i < 15; ++i)
        walk.push_back(
            microseconds([&] { benchmark::DoNotOptimize(walkPtagBack(*t.document(), 99, end)); }));
    report(state, ours, walk);
    reportSearch(
        state,
        [&] { benchmark::DoNotOptimize(searchIndex().findBackward(TagIndex::PTag, 99, end)); },
        median(walk));
}
BENCHMARK(BM_FindPtagBackToFirstSection)->Unit(benchmark::kMicrosecond);

// F12 through the blue prompts, one after the other, from the start to the end.
void BM_FindHtagForwardNextPrompt(benchmark::State& state) {
    TextControl& t = control();
    t.setSelStart(0);
    std::vector<double> ours, walk;
    for (auto _ : state) {
        const int from = t.SelStart();
        int r = 0;
        ours.push_back(microseconds([&] { r = t.FIND_HTAG(1, 1); }));
        state.PauseTiming();
        walk.push_back(microseconds(
            [&] { benchmark::DoNotOptimize(walkHtagForward(*t.document(), 1, from + 1)); }));
        if (r <= 0) t.setSelStart(0);
        state.ResumeTiming();
    }
    report(state, ours, walk);
    // The search alone, from places spread over the whole text.
    std::vector<double> walks, searches;
    const int length = t.TextLength();
    for (int i = 0; i < 2001; ++i) {
        const int from = int((long long)i * 7919 % length);
        walks.push_back(microseconds(
            [&] { benchmark::DoNotOptimize(walkHtagForward(*t.document(), 1, from + 1)); }));
        searches.push_back(microseconds([&] {
            benchmark::DoNotOptimize(searchIndex().findForward(TagIndex::HTag, 1, from, false));
        }));
    }
    state.counters["search_us"] = median(searches);
    state.counters["search_ratio"] = median(walks) / std::max(1e-9, median(searches));
}
BENCHMARK(BM_FindHtagForwardNextPrompt)->Unit(benchmark::kMicrosecond);

// From the start to a run at the very end: the walk crosses the whole document.
void BM_FindHtagForwardAcrossDocument(benchmark::State& state) {
    TextControl& t = control();
    std::vector<double> ours, walk;
    int found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        t.setSelStart(0);
        state.ResumeTiming();
        ours.push_back(microseconds([&] { found = t.FIND_HTAG(kLastTag, 1); }));
    }
    if (found <= 0) state.SkipWithError("last run not found");
    for (int i = 0; i < 15; ++i)
        walk.push_back(microseconds(
            [&] { benchmark::DoNotOptimize(walkHtagForward(*t.document(), kLastTag, 0)); }));
    report(state, ours, walk);
    reportSearch(
        state,
        [&] {
            benchmark::DoNotOptimize(searchIndex().findForward(TagIndex::HTag, kLastTag, 0, true));
        },
        median(walk));
}
BENCHMARK(BM_FindHtagForwardAcrossDocument)->Unit(benchmark::kMicrosecond);

// One character typed at the start of the plan: key event, index upkeep, layout and the
// repaint that follows.
void BM_TypeCharacterAtStart(benchmark::State& state) {
    TextControl& t = control();
    t.setShowHidden(int(state.range(0)));
    // Showing or hiding hidden text lays the plan out afresh, in the background; timed
    // here is typing once that is done, as after the moment the user takes to look.
    if (auto* layout = qobject_cast<ScreenLayout*>(t.document()->documentLayout()))
        layout->layoutAll();
    t.setSelStart(0);
    t.setFocus();
    QApplication::processEvents();
    std::vector<double> ours;
    for (auto _ : state) {
        ours.push_back(microseconds([&] {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
            QApplication::sendEvent(&t, &press);
            QApplication::sendEvent(&t, &release);
            QApplication::processEvents();
        }));
    }
    // The index is still right after all that typing.
    if (t.tagRuns(0) != t.tagRuns(0, false) || t.tagRuns(1) != t.tagRuns(1, false) ||
        t.tagRuns(2) != t.tagRuns(2, false))
        state.SkipWithError("tag index out of step");
    report(state, ours, {});
    t.setShowHidden(1);
}
BENCHMARK(BM_TypeCharacterAtStart)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("ShowHidden")
    ->Unit(benchmark::kMicrosecond);

// Index upkeep for one character typed at the start, on a document without a view (so
// that no layout is in the figure): the insertion itself, with and without the index.
void BM_IndexUpkeepPerCharacter(benchmark::State& state) {
    std::unique_ptr<QTextDocument> doc(makePlanDocument(kPages));
    doc->setUndoRedoEnabled(true); // as in the control
    TagIndex index(doc.get());
    const bool withIndex = state.range(0) != 0;
    if (withIndex) index.runs(TagIndex::HTag); // built before typing starts
    QTextCursor c(doc.get());
    std::vector<double> ours, upkeep;
    for (auto _ : state) {
        ours.push_back(microseconds([&] {
            // Typed as a user types: the caret moves on after each character.
            const int at = c.position();
            c.insertText(QStringLiteral("x"));
            // (a document without a view does not signal its changes; the control's does)
            if (withIndex) upkeep.push_back(microseconds([&] { index.contentsChange(at, 0, 1); }));
        }));
    }
    if (withIndex) state.counters["upkeep_us"] = median(upkeep);
    if (withIndex && index.runs(TagIndex::HTag) != TagIndex::scan(*doc, TagIndex::HTag))
        state.SkipWithError("tag index out of step");
    report(state, ours, {});
}
BENCHMARK(BM_IndexUpkeepPerCharacter)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("index")
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv);
}
