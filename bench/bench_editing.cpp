// The plan text's key rules on a 1,000-page plan, in the main window as the user has it.
//
// "EnterBlueText": a key released with the caret inside a blue prompt; the navigator
// follows the caret, selects the whole prompt and brings the toolbar and the ruler in line.
// "ToolbarFollowUp": a key released in the user's own text (the toolbar and ruler follow-up
// without a prompt to select). "TypeOverPrompt": a character typed over a selected prompt
// (the key-press rule and the replacement). Counter "median_us" is the median of the
// timed events; each iteration times one event, the caret being put back untimed.
//
// "Keystroke/TypeAtStart" and "Keystroke/TypeOverPrompt" time a whole keystroke as the
// user makes it, on plans of 10, 100 and 1,000 pages: the key pressed and released and the
// events that follow (layout and repaint) run, one character typed at the very start of the
// text, or over the plan's first prompt, selected. A keystroke should cost the same
// whatever the plan's length. "Keystroke/EnterAtStart" times Enter at the start of the
// text. "Keystroke/TypeBesidePicture" types beside a picture in the first paragraph of a
// 1,000-page plan holding twenty pictures. "cpu_us" is the median of the thread's CPU time for the
// same keystrokes, steadier than the clock on a busy machine.

#include "support/qtbenchmain.h"
#include "app/editfrm.h"
#include "controls/text/textcontrol.h"
#include "editor/bluetext.h"
#include "plans/navigator.h"
#include "platform/folders.h"
#include "platform/printerinfo.h"
#include "support/plandoc.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QThread>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <utility>
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

    int pages = kPages;

    explicit Window(int pageCount = kPages) : pages(pageCount) {
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
        t->adoptDocument(makePlanDocument(pages));
        t->setShowHidden(1);
        QApplication::processEvents();
        w->navigator()->btnFirstClick();

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

// CPU time of this thread: on a machine shared with other work, steadier than the clock.
double threadCpuMicros() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

// One keystroke and what follows it. Kept a function of its own so that a profiler can
// collect exactly this (valgrind --tool=callgrind --collect-atstart=no
// --toggle-collect='*typeKeystroke*').
[[gnu::noinline]] void typeKeystroke(Window& win) {
    win.press(Qt::Key_X, QStringLiteral("x"));
    win.release(Qt::Key_X);
    QApplication::processEvents();
}

[[gnu::noinline]] void enterKeystroke(Window& win) {
    win.press(Qt::Key_Return, QStringLiteral("\r"));
    win.release(Qt::Key_Return);
    QApplication::processEvents();
}

// The clock and CPU time of each timed keystroke, reported as medians.
struct KeystrokeTimes {
    std::vector<double> wall, cpu;
    template <class Keystroke>
    void time(Keystroke keystroke) {
        const double c0 = threadCpuMicros();
        const auto t0 = Clock::now();
        keystroke();
        wall.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        cpu.push_back(threadCpuMicros() - c0);
    }
    void report(benchmark::State& state) const {
        state.counters["median_us"] = median(wall);
        state.counters["cpu_us"] = median(cpu);
    }
};

// One window at a time, holding a plan of the pages asked for.
Window& window(int pages = kPages) {
    static Window* win = nullptr;
    if (!win || win->pages != pages) {
        delete win;
        win = new Window(pages);
        // The window's file dialogs list their folder in the background at start-up; let
        // that finish before anything is timed.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 1500) {
            QApplication::processEvents();
            QThread::msleep(10);
        }
    }
    return *win;
}

// The first prompt of the plan (the worst place for a change: all the text comes after it).
std::pair<int, int> firstPrompt(TextControl* t) {
    t->setSelStart(0);
    t->FIND_HTAG(GuidanceTag::BluePrompt, 1);
    return {t->SelStart(), t->SelLength()};
}

void BM_Keystroke_TypeAtStart(benchmark::State& state) {
    Window& win = window(int(state.range(0)));
    TextControl* t = win.t;
    t->setSelStart(0);
    QApplication::processEvents();
    KeystrokeTimes times;
    for (auto _ : state)
        times.time([&] { typeKeystroke(win); });
    times.report(state);
    // The plan as it was for the next benchmark.
    while (t->document()->isUndoAvailable())
        t->document()->undo();
}
BENCHMARK(BM_Keystroke_TypeAtStart)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->ArgName("pages")
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

void BM_Keystroke_TypeOverPrompt(benchmark::State& state) {
    Window& win = window(int(state.range(0)));
    TextControl* t = win.t;
    const auto [start, length] = firstPrompt(t);
    KeystrokeTimes times;
    for (auto _ : state) {
        t->setSelStart(start);
        t->setSelLength(length);
        QApplication::processEvents();
        const int steps = t->document()->availableUndoSteps();
        times.time([&] { typeKeystroke(win); });
        // One undo brings the prompt back.
        t->document()->undo();
        if (t->document()->availableUndoSteps() != steps)
            state.SkipWithError("typing over the prompt is not one undo step");
        while (t->document()->availableUndoSteps() > steps)
            t->document()->undo();
    }
    times.report(state);
}
BENCHMARK(BM_Keystroke_TypeOverPrompt)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->ArgName("pages")
    ->Iterations(100)
    ->Unit(benchmark::kMicrosecond);

// Enter at the start of the text: a new paragraph, the change that renumbers every
// paragraph after it.
void BM_Keystroke_EnterAtStart(benchmark::State& state) {
    Window& win = window(int(state.range(0)));
    TextControl* t = win.t;
    KeystrokeTimes times;
    for (auto _ : state) {
        t->setSelStart(0);
        QApplication::processEvents();
        times.time([&] { enterKeystroke(win); });
        t->document()->undo();
    }
    times.report(state);
    while (t->document()->isUndoAvailable())
        t->document()->undo();
}
BENCHMARK(BM_Keystroke_EnterAtStart)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->ArgName("pages")
    ->Iterations(100)
    ->Unit(benchmark::kMicrosecond);

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
    return runWidgetBenchmarks(argc, argv);
}

// A plan holding twenty photographs (a picture laid out takes its size from its format, and
// draws from a copy scaled once), one of them in the first paragraph: a character typed
// just after it.
void BM_Keystroke_TypeBesidePicture(benchmark::State& state) {
    Window& win = window(kPages);
    TextControl* t = win.t;
    QImage photo(1600, 1200, QImage::Format_RGB32);
    {
        QPainter p(&photo);
        for (int i = 0; i < 40; ++i)
            p.fillRect(i * 40, 0, 40, 1200, QColor::fromHsv(i * 9, 200, 220));
    }
    const int steps = t->document()->availableUndoSteps();
    for (int i = 19; i >= 0; --i) {
        t->setSelStart(i == 0 ? 1 : t->TextLength() * i / 20);
        t->insertPicture(photo, QSizeF(216, 162));
    }
    t->setSelStart(2);
    QApplication::processEvents();
    KeystrokeTimes times;
    for (auto _ : state)
        times.time([&] { typeKeystroke(win); });
    times.report(state);
    while (t->document()->availableUndoSteps() > steps)
        t->document()->undo();
}
BENCHMARK(BM_Keystroke_TypeBesidePicture)
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);
