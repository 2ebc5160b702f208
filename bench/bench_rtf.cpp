// Load and save of a 1,000-page plan in the control's own format, each against Qt's HTML
// import and export of the same document measured in the same run. The counter
// "vs_html" is our time divided by Qt's (best of the runs for both).

#include "controls/text/rtfreader.h"
#include "controls/text/rtfwriter.h"
#include "support/rtfsave.h"
#include "support/plandoc.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>

namespace {

constexpr int kPages = 1000;

QTextDocument& planDocument() {
    static std::unique_ptr<QTextDocument> doc(makePlanDocument(kPages));
    return *doc;
}


void BM_RtfSave(benchmark::State& state) {
    const QTextDocument& doc = planDocument();
    measureRtfSave(state, doc, 3);
}
BENCHMARK(BM_RtfSave)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_RtfLoad(benchmark::State& state) {
    const QTextDocument& doc = planDocument();
    const QString htmlText = doc.toHtml();
    const QByteArray rtf = RtfWriter::write(doc);
    double html = 1e30;
    for (int i = 0; i < 3; ++i) {
        QTextDocument target;
        html = std::min(html, seconds([&] { target.setHtml(htmlText); }));
    }
    double best = 1e30;
    for (auto _ : state) {
        QTextDocument target;
        const double t = seconds([&] {
            if (!RtfReader::read(rtf, &target)) state.SkipWithError("the plan did not load");
        });
        if (target.blockCount() != doc.blockCount() ||
            target.characterCount() != doc.characterCount())
            state.SkipWithError("the plan loaded with different text");
        best = std::min(best, t);
        state.SetIterationTime(t);
    }
    state.counters["rtf_ms"] = best * 1e3;
    state.counters["html_ms"] = html * 1e3;
    state.counters["vs_html"] = best / html;
}
BENCHMARK(BM_RtfLoad)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
