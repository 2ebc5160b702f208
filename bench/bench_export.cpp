// Exporting a 300-page plan to PDF and as a Word document.
//
// BM_ExportPlanPdf: the whole export as File > Export gives it: the pages through the plan's
// print pass (footers, layout made afresh), the outline of 40 sections and the document's
// title and author added, the file written; against the same print pass to a PDF printer
// with no outline, timed in the same run. Counters: "pages", "bookmarks", "pages_per_s",
// "ratio" (export time / plain print time: what the outline and the atomic write cost).
// BM_ContentsPage: what the contents page after the title page (with its links) costs a
// PDF export: each round exports the plan without it and with it, the text laid out
// afresh each time, so that both meet the same load of the machine. Counters: "without",
// "with" (seconds, medians), "ratio" (with / without), "cpu_ratio" (the same in processor
// time, which other programs on the machine disturb less), "pages" (with), "added_pages"
// (the contents and the room the title page now leaves).
// BM_AddOutline: the outline pass alone on the made pages (ms).
// BM_ExportPlanDocx: the same plan as a Word document, written as File > Export writes it
// (s). Counters: "kB" (the file's size), "paragraphs_per_s".

#include "support/qtbenchmain.h"
#include "controls/text/textcontrol.h"
#include "printing/docxexport.h"
#include "printing/planexport.h"
#include "printing/planprint.h"
#include "support/paperplan.h"
#include "support/plandoc.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

namespace {

constexpr int kPages = 300;
constexpr double kMargin = 1.0;

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

QPageLayout a4() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0.2, 0.2, 0.2, 0.2),
                       QPageLayout::Inch);
}

struct Plan {
    TextControl text;
    TextControl footer;
    QWidget window;
    PlanPrinting printing{text, footer, &window};
    PageGeometry geometry;
    QList<PdfSection> sections;
    Plan() {
        geometry.left = geometry.right = geometry.top = geometry.bottom = kMargin;
        geometry.fitTo(a4().paintRect(QPageLayout::Inch).size());
        adoptPlanOfPaperPages(text, geometry, kPages);
        for (int n = 1; n <= kPlanSections; ++n)
            sections.append({QStringLiteral("Section %1").arg(n), n % 4 == 1 ? 0 : 1,
                             planSectionTag(n), false});
    }
};

Plan& plan() {
    static Plan* p = new Plan;
    return *p;
}

void BM_ExportPlanPdf(benchmark::State& state) {
    Plan& p = plan();
    QTemporaryDir dir;
    std::vector<double> ours, plain;
    int pages = 0, bookmarks = 0, round = 0;
    for (auto _ : state) {
        // A text area a twip narrower every other time: each run lays the text out afresh.
        PageGeometry g = p.geometry;
        g.textWidth -= (round++ % 2) / 1440.0;
        {
            const auto t0 = Clock::now();
            PdfExport pdf;
            pdf.addPlan(p.printing, p.text, g, a4(), p.sections);
            pdf.finish(dir.filePath(QStringLiteral("export.pdf")),
                       {QStringLiteral("Plan"), QStringLiteral("Acme Ltd"), QString()});
            ours.push_back(seconds(t0));
            pages = pdf.pageCount();
            bookmarks = int(pdf.bookmarks().size());
        }
        g.textWidth -= 2 / 1440.0;
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir.filePath(QStringLiteral("plain.pdf")));
            printer.setPageLayout(a4());
            const auto t0 = Clock::now();
            QPainter painter(&printer);
            p.printing.printPass(painter, g);
            painter.end();
            plain.push_back(seconds(t0));
        }
    }
    std::sort(ours.begin(), ours.end());
    std::sort(plain.begin(), plain.end());
    const double mine = ours[ours.size() / 2];
    state.counters["pages"] = pages;
    state.counters["bookmarks"] = bookmarks;
    state.counters["pages_per_s"] = pages / mine;
    state.counters["ratio"] = mine / plain[plain.size() / 2];
}
BENCHMARK(BM_ExportPlanPdf)->Unit(benchmark::kSecond)->Iterations(3);

void BM_ContentsPage(benchmark::State& state) {
    Plan& p = plan();
    p.printing.setSections([&p] { return p.sections; });
    QTemporaryDir dir;
    std::vector<double> wall[2], cpu[2];
    int pages[2] = {0, 0};
    int round = 0;
    for (auto _ : state) {
        for (int contents = 0; contents < 2; ++contents) {
            PageGeometry g = p.geometry;
            g.textWidth -= (round++ % 3) / 1440.0;
            p.printing.setContentsPage(contents != 0);
            const auto t0 = Clock::now();
            const std::clock_t c0 = std::clock();
            PdfExport pdf;
            pdf.addPlan(p.printing, p.text, g, a4(), p.sections);
            pdf.finish(dir.filePath(QStringLiteral("export.pdf")),
                       {QStringLiteral("Plan"), QStringLiteral("Acme Ltd"), QString()});
            cpu[contents].push_back(double(std::clock() - c0) / CLOCKS_PER_SEC);
            wall[contents].push_back(seconds(t0));
            pages[contents] = pdf.pageCount();
            if (contents && pdf.links().size() != p.sections.size() - 1)
                state.SkipWithError("the contents do not list every section");
        }
    }
    p.printing.setContentsPage(false);
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    state.counters["without"] = median(wall[0]);
    state.counters["with"] = median(wall[1]);
    state.counters["ratio"] = median(wall[1]) / median(wall[0]);
    state.counters["cpu_ratio"] = median(cpu[1]) / median(cpu[0]);
    state.counters["pages"] = pages[1];
    state.counters["added_pages"] = pages[1] - pages[0];
}
BENCHMARK(BM_ContentsPage)->Unit(benchmark::kSecond)->Iterations(5);

void BM_AddOutline(benchmark::State& state) {
    Plan& p = plan();
    QTemporaryDir dir;
    PdfExport pdf;
    pdf.addPlan(p.printing, p.text, p.geometry, a4(), p.sections);
    pdf.finish(dir.filePath(QStringLiteral("made.pdf")), {});
    QFile f(dir.filePath(QStringLiteral("made.pdf")));
    f.open(QIODevice::ReadOnly);
    const QByteArray made = f.readAll();
    for (auto _ : state) {
        QByteArray out;
        addPdfOutline(made, pdf.bookmarks(), {QStringLiteral("Plan"), QStringLiteral("Acme"), {}},
                      &out);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["kB"] = made.size() / 1024.0;
}
BENCHMARK(BM_AddOutline)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ExportPlanDocx(benchmark::State& state) {
    Plan& p = plan();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("export.docx"));
    const DocxSetup setup{a4(), p.geometry, p.sections,
                          {QStringLiteral("Plan"), QStringLiteral("Acme Ltd"), QString()}};
    for (auto _ : state) {
        if (!writePlanDocx(p.text, setup, file)) state.SkipWithError("the document was not written");
    }
    state.counters["kB"] = QFileInfo(file).size() / 1024.0;
    state.counters["paragraphs_per_s"] = benchmark::Counter(
        p.text.document()->blockCount(), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ExportPlanDocx)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv);
}
