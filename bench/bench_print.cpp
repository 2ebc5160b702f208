// Printing a 300-page plan.
//
// BM_FirstLayout: laying the plan out for paper and cutting it into pages, as the first
// print or preview of a text does ("pages" counter).
// BM_PreviewPage150: the preview showing page 150 once the layout is made: the page image
// cleared, the page and its footer drawn (target: well under 100 ms).
// BM_PrintToPdf: the whole plan to a PDF file through the plan's print pass, footers and
// page events included, layout included; against QTextDocument::print of the same text
// (without its hidden notes) on the same printer with the same text area, timed in the
// same run. Counters: "pages_per_s" ours, "qt_pages_per_s" Qt's, "ratio" our time / Qt's.

#include "support/qtbenchmain.h"
#include "controls/text/printfunctions.h"
#include "controls/text/textcontrol.h"
#include "printing/planprint.h"
#include "support/paperplan.h"
#include "support/plandoc.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace {

constexpr int kPages = 300;
// A4 with Qt's own 2 cm print margins all round, so that both print the same text area.
constexpr double kMargin = 2 / 2.54;
constexpr double kPaperWidth = 8.27;
constexpr double kPaperHeight = 11.69;

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

struct Plan {
    TextControl text;
    TextControl footer;
    QWidget window;
    PlanPrinting printing{text, footer, &window};
    PageGeometry geometry;
    Plan() {
        text.setShowHidden(1); // as the plan runs while it is edited
        geometry.left = geometry.right = geometry.top = geometry.bottom = kMargin;
        geometry.fitTo(QSizeF(kPaperWidth, kPaperHeight));
        adoptPlanOfPaperPages(text, geometry, kPages);
    }
};

Plan& plan() {
    static Plan* p = new Plan;
    return *p;
}

// The pages of a PDF file as its page objects count them.
int pdfPages(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray data = f.readAll();
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    int count = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(data)); it.hasNext(); it.next())
        ++count;
    return count;
}

// Counts the pages of a pass and draws none of them.
int layOut(Plan& p, int width) {
    int pages = 0;
    auto counter = QObject::connect(&p.text, &TextControl::OnPrintThisPage,
                                    [&pages](int page, bool& skip) {
                                        pages = page;
                                        skip = true;
                                    });
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter painter(&image);
    ATX_PRINT_START(0, &painter, 1, 1);
    int y = 0;
    ATX_PRINT(&p.text, y, twips(kMargin), twips(p.geometry.textHeight), twips(kMargin), width, 0,
              -1, 0);
    ATX_PRINT_FINISH();
    QObject::disconnect(counter);
    return pages;
}

void BM_FirstLayout(benchmark::State& state) {
    Plan& p = plan();
    const int width = twips(p.geometry.textWidth);
    int round = 0;
    int pages = 0;
    for (auto _ : state)
        // Another width each time: nothing of the last layout can serve.
        pages = layOut(p, width + (round++ % 2));
    state.counters["pages"] = pages;
}
BENCHMARK(BM_FirstLayout)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PreviewPage150(benchmark::State& state) {
    Plan& p = plan();
    layOut(p, twips(p.geometry.textWidth));
    const int layouts = paperLayoutCount(&p.text);
    // The preview's page image: A4 at 96 dots per inch.
    QImage image(int(kPaperWidth * 96), int(kPaperHeight * 96), QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    p.printing.setMode(PlanPrinting::Mode::Previewing);
    p.printing.setPreviewPage(150);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        p.printing.printPass(painter, p.geometry);
    }
    if (paperLayoutCount(&p.text) != layouts) state.SkipWithError("the text was laid out again");
    state.counters["pages"] = p.printing.lastPageSeen();
}
BENCHMARK(BM_PreviewPage150)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_PrintToPdf(benchmark::State& state) {
    Plan& p = plan();
    QTemporaryDir dir;
    std::vector<double> ours, qt;
    int pages = 0, qtPages = 0;
    int round = 0;
    for (auto _ : state) {
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir.filePath(QStringLiteral("ours.pdf")));
            printer.setPageSize(QPageSize(QPageSize::A4));
            printer.setFullPage(true);
            // A text area a twip narrower every other time: the layout is made afresh.
            PageGeometry g = p.geometry;
            g.textWidth -= (round++ % 2) / 1440.0;
            p.printing.setMode(PlanPrinting::Mode::Printing);
            const auto t0 = Clock::now();
            QPainter painter(&printer);
            p.printing.printPass(painter, g);
            painter.end();
            ours.push_back(seconds(t0));
            pages = p.printing.lastPageSeen();
        }
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir.filePath(QStringLiteral("qt.pdf")));
            printer.setPageSize(QPageSize(QPageSize::A4));
            const std::unique_ptr<QTextDocument> doc = p.text.paperDocument();
            const auto t0 = Clock::now();
            doc->print(&printer);
            qt.push_back(seconds(t0));
            qtPages = pdfPages(dir.filePath(QStringLiteral("qt.pdf")));
        }
    }
    std::sort(ours.begin(), ours.end());
    std::sort(qt.begin(), qt.end());
    const double mine = ours[ours.size() / 2];
    const double theirs = qt[qt.size() / 2];
    state.counters["pages"] = pages;
    state.counters["qt_pages"] = qtPages;
    state.counters["pages_per_s"] = pages / mine;
    state.counters["qt_pages_per_s"] = qtPages / theirs;
    state.counters["ratio"] = mine / theirs;
}
BENCHMARK(BM_PrintToPdf)->Unit(benchmark::kSecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv);
}
