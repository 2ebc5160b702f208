#include "support/rtfsave.h"

#include "controls/text/rtfwriter.h"

#include <QTextDocument>

#include <algorithm>
#include <chrono>

double seconds(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void measureRtfSave(benchmark::State& state, const QTextDocument& doc, int htmlRuns) {
    double html = 1e30;
    for (int i = 0; i < htmlRuns; ++i)
        html = std::min(html, seconds([&] { benchmark::DoNotOptimize(doc.toHtml()); }));
    double best = 1e30;
    qsizetype bytes = 0;
    for (auto _ : state) {
        const double t = seconds([&] {
            const QByteArray rtf = RtfWriter::write(doc);
            bytes = rtf.size();
            benchmark::DoNotOptimize(rtf.constData());
        });
        best = std::min(best, t);
        state.SetIterationTime(t);
    }
    state.counters["rtf_ms"] = best * 1e3;
    state.counters["html_ms"] = html * 1e3;
    state.counters["vs_html"] = best / html;
    state.counters["rtf_MB"] = double(bytes) / 1e6;
}
