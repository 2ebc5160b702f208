// The navigator on a long plan: the original plan 1.mp repeated 60 times (about 1,000
// A4 pages). Only the first copy keeps its section-start paragraph tags (PTag); every copy
// keeps its section text tags (NTag), so a caret anywhere still names its section and
// the section starts are found where the plan has them.

#include "support/qtbenchmain.h"
#include "app/editfrm.h"
#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"
#include "plans/lifecycle.h"
#include "plans/navigator.h"
#include "plans/plansession.h"
#include "platform/folders.h"
#include "platform/printerinfo.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kCopies = 60;

QString binFolder() {
    // bench/ sits beside bin/ in the build folder.
    return QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin")).absolutePath() +
           QLatin1Char('/');
}

// A program folder of its own (the shipped data, a copy of the original plan), so that
// the load's closing save never touches the build's files.
struct Program {
    QTemporaryDir dir;
    std::unique_ptr<TfrmEdit> win;
    QString original;

    Program() {
        const QString bin = binFolder();
        QDir().mkpath(dir.path() + QStringLiteral("/data"));
        QDir().mkpath(dir.path() + QStringLiteral("/userdata"));
        for (const QString& f : QDir(bin + QStringLiteral("data")).entryList(QDir::Files))
            QFile::copy(bin + QStringLiteral("data/") + f,
                        dir.path() + QStringLiteral("/data/") + f);
        original = dir.path() + QStringLiteral("/userdata/1.mp");
        QFile::copy(bin + QStringLiteral("userdata/1.mp"), original);
        // A plan loads with its budget beside it.
        QFile::copy(bin + QStringLiteral("userdata/1.mps"), dir.path() + QStringLiteral("/userdata/1.mps"));
        Folders::setProgramFolder(dir.path() + QLatin1Char('/'));
        Folders::setConfigFolder(dir.path() + QStringLiteral("/config"));
        PrinterInfo::setNoPrinterForTesting();

        win = std::make_unique<TfrmEdit>();
        win->resize(1100, 800);
        win->show();
        QApplication::processEvents();
        win->PanelAll->show();
        win->SetPlanControls(true);
        QApplication::processEvents();
    }

    // The original plan loaded as the program loads it, with section 1 shown.
    void loadOriginal() {
        PlanSession& s = planSession();
        s.CreatingPlan = false;
        s.CurrentPlanName = QStringLiteral("Bench");
        s.CurrentPlanFile = original;
        win->lifecycle()->LoadChosenPlan(QStringLiteral("Acme Ltd"), QStringLiteral("Retail"));
    }

    // The loaded plan repeated to about 1,000 pages.
    void makeLong() {
        TextControl* text = win->ATX321;
        const QTextDocumentFragment once(text->document());
        auto* doc = new QTextDocument;
        QTextCursor c(doc);
        for (int copy = 0; copy < kCopies; ++copy) {
            const int from = c.position();
            if (copy > 0) c.insertBlock();
            c.insertFragment(once);
            if (copy == 0) continue;
            for (QTextBlock b = doc->findBlock(from); b.isValid(); b = b.next()) {
                QTextBlockFormat f = b.blockFormat();
                if (!f.hasProperty(TextFormat::PTagProperty)) continue;
                f.clearProperty(TextFormat::PTagProperty);
                QTextCursor(b).setBlockFormat(f);
            }
        }
        text->adoptDocument(doc);
        text->setWriteProtect(0);
        QApplication::processEvents();
    }

    int pages() const {
        const QTextDocument* doc = win->ATX321->document();
        std::unique_ptr<QTextDocument> copy(doc->clone());
        // An A4 page less one-inch margins, at 96 pixels an inch.
        copy->setPageSize(QSizeF(6.27 * 96, 9.69 * 96));
        return copy->pageCount();
    }
};

Program* g_program = nullptr;

Program& program() {
    if (!g_program) {
        g_program = new Program;
        g_program->loadOriginal();
        g_program->makeLong();
    }
    return *g_program;
}

// What the event loop does between two clicks, untimed: the guidance text each section
// change replaces is deleted. Left to pile up as children of the guidance pane, thousands
// of them slowed every later benchmark down, the more the faster the one before ran.
void afterClick(benchmark::State& state) {
    state.PauseTiming();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.ResumeTiming();
}

// A caret put into a paragraph of the given section by a click, then the sync.
int positionInSection(TextControl* text, int section, int copy) {
    const int tag = section == 1 ? 99 : section - 1;
    // The section's text in the wanted copy: find its runs from the start.
    int seen = 0;
    for (const auto& run : text->tagRuns(1)) {
        if (run[2] != tag) continue;
        if (seen++ == copy) return run[0] + 1;
    }
    return 0;
}

void BM_SectionSyncCaretInSameSection(benchmark::State& state) {
    Program& p = program();
    TextControl* text = p.win->ATX321;
    const int a = positionInSection(text, 10, 12);
    p.win->navigator()->SectionSync(text, Navigator::CaretMoved);
    int i = 0;
    for (auto _ : state) {
        text->setSelStart(a + (i++ % 2));
        p.win->navigator()->SectionSync(text, Navigator::CaretMoved);
    }
    state.counters["pages"] = p.pages();
}

void BM_SectionSyncCaretIntoOtherSection(benchmark::State& state) {
    Program& p = program();
    TextControl* text = p.win->ATX321;
    const int a = positionInSection(text, 10, 12);
    const int b = positionInSection(text, 12, 12);
    int i = 0;
    for (auto _ : state) {
        text->setSelStart((i++ % 2) ? a : b);
        p.win->navigator()->SectionSync(text, Navigator::CaretMoved);
        afterClick(state);
    }
}

void BM_NextWithGuidance(benchmark::State& state) {
    Program& p = program();
    Navigator* nav = p.win->navigator();
    p.win->navigator()->btnFirstClick();
    for (auto _ : state) {
        if (nav->selectedItem() >= nav->itemCount() - 1) {
            state.PauseTiming();
            p.win->navigator()->btnFirstClick();
            state.ResumeTiming();
        }
        p.win->navigator()->btnNextClick();
        afterClick(state);
    }
}

void BM_LoadOriginalPlanToFirstSection(benchmark::State& state) {
    Program& p = program();
    for (auto _ : state)
        p.loadOriginal();
    state.counters["pages"] = p.pages();
    p.makeLong();
}

BENCHMARK(BM_SectionSyncCaretInSameSection)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SectionSyncCaretIntoOtherSection)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NextWithGuidance)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadOriginalPlanToFirstSection)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv, {}, [] { delete g_program; });
}
