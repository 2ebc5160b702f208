// The plan text's key rules on a 1,000-page plan, in the main window as the user has it.
//
// "EnterBlueText": a key released with the caret inside a blue prompt; the navigator
// follows the caret, selects the whole prompt and brings the toolbar and the ruler in line.
// "ToolbarFollowUp": a key released in the user's own text (the toolbar and ruler follow-up
// without a prompt to select). "TypeOverPrompt": a character typed over a selected prompt
// (the key-press rule and the replacement). Counter "median_us" is the median of the
// timed events; each iteration times one event, the caret being put back untimed.

#include "app/editfrm.h"
#include "controls/text/textcontrol.h"
#include "editor/bluetext.h"
#include "plans/navigator.h"
#include "platform/folders.h"
#include "platform/printerinfo.h"
#include "support/plandoc.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

constexpr int kPages = 1000;
using Clock = std::chrono::steady_clock;

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void copyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(path);
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else
            QFile::copy(path, target);
    }
}

struct Window {
    QTemporaryDir program;
    QTemporaryDir config;
    TfrmEdit* w = nullptr;
    TextControl* t = nullptr;
    int promptStart = 0;
    int promptLength = 0;
    int userText = 0;

    Window() {
        // The shipped data beside the built program, in a folder of our own.
        copyTree(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/data"),
                 program.path() + QStringLiteral("/data"));
        Folders::setProgramFolder(program.path());
        Folders::setConfigFolder(config.path());
        PrinterInfo::setNoPrinterForTesting();
        w = new TfrmEdit;
        w->show();
        w->PanelAll->setVisible(true);
        w->SetPlanControls(true);
        t = w->ATX321;
        t->setWriteProtect(0);
        t->adoptDocument(makePlanDocument(kPages));
        t->setShowHidden(1);
        QApplication::processEvents();
        w->btnFirstClick();

        // A prompt and a stretch of user text halfway through the plan.
        t->setSelStart(t->TextLength() / 2);
        t->FIND_HTAG(GuidanceTag::BluePrompt, 1);
        promptStart = t->SelStart();
        promptLength = t->SelLength();
        for (int p = promptStart + promptLength + 1; p < t->TextLength(); ++p) {
            t->setSelStart(p);
            if (t->HTag() == 0 && t->FontHidden() == 0) {
                userText = p;
                break;
            }
        }
        t->setFocus();
    }
    ~Window() { delete w; }

    void release(int key) {
        QKeyEvent e(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(t, &e);
    }
    void press(int key, const QString& text) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(t, &e);
    }
};

Window& window() {
    static Window* win = new Window;
    return *win;
}

void BM_EnterBlueText(benchmark::State& state) {
    Window& win = window();
    std::vector<double> times;
    for (auto _ : state) {
        win.t->setSelStart(win.promptStart + win.promptLength / 2);
        const auto t0 = Clock::now();
        win.release(Qt::Key_Right);
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        if (win.t->SelLength() != win.promptLength) state.SkipWithError("prompt not selected");
    }
    state.counters["median_us"] = median(times);
}
BENCHMARK(BM_EnterBlueText)->Iterations(200)->Unit(benchmark::kMicrosecond);

void BM_ToolbarFollowUp(benchmark::State& state) {
    Window& win = window();
    std::vector<double> times;
    for (auto _ : state) {
        win.t->setSelStart(win.userText);
        const auto t0 = Clock::now();
        win.release(Qt::Key_Right);
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    state.counters["median_us"] = median(times);
}
BENCHMARK(BM_ToolbarFollowUp)->Iterations(200)->Unit(benchmark::kMicrosecond);

void BM_TypeOverPrompt(benchmark::State& state) {
    Window& win = window();
    std::vector<double> times;
    for (auto _ : state) {
        win.t->setSelStart(win.promptStart);
        win.t->setSelLength(win.promptLength);
        const int steps = win.t->document()->availableUndoSteps();
        const auto t0 = Clock::now();
        win.press(Qt::Key_X, QStringLiteral("x"));
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        // The prompt back for the next round.
        while (win.t->document()->availableUndoSteps() > steps)
            win.t->document()->undo();
    }
    state.counters["median_us"] = median(times);
}
BENCHMARK(BM_TypeOverPrompt)->Iterations(100)->Unit(benchmark::kMicrosecond);

// The parts of typing over a prompt: the key-press rule's two attribute writes on the
// selection, and the control putting the character in place of the selection.
void BM_TypeOverPromptParts(benchmark::State& state) {
    Window& win = window();
    std::vector<double> rule, insert;
    for (auto _ : state) {
        win.t->setSelStart(win.promptStart);
        win.t->setSelLength(win.promptLength);
        const int steps = win.t->document()->availableUndoSteps();
        auto t0 = Clock::now();
        win.t->setHTag(GuidanceTag::UserText);
        win.t->setFontColor(kBlackText);
        auto t1 = Clock::now();
        win.t->setSelText(QStringLiteral("x"));
        auto t2 = Clock::now();
        rule.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        insert.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
        while (win.t->document()->availableUndoSteps() > steps)
            win.t->document()->undo();
    }
    state.counters["rule_us"] = median(rule);
    state.counters["insert_us"] = median(insert);
}
BENCHMARK(BM_TypeOverPromptParts)->Iterations(50)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
