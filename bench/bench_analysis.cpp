// The analysis files at their largest: 2,000 plans of 20 factors each in "ca.ini",
// "sw.ini" and "ip.ini" (about 6 MB each). Times what the user waits for: a rating click
// in the competitor window (the value written to the file, the grid rebuilt from the file
// read afresh), a score change in the strength / weakness window, and opening the SWOT
// summary (both files read, ranked and shown). The parts are timed too: opening a file,
// and a write with its rebuild without any window.

#include "support/qtbenchmain.h"
#include "analysis/cafrm.h"
#include "analysis/factorfile.h"
#include "analysis/grids.h"
#include "analysis/swfrm.h"
#include "analysis/swotfrm.h"
#include "controls/text/textcontrol.h"
#include "platform/folders.h"
#include "platform/inifile.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

constexpr int kPlans = 2000;
constexpr int kFactors = 20;

QString planName(int i) {
    return QStringLiteral("Marketing plan %1 for Company %2").arg(i).arg(i * 7 % 1000);
}
QString factorName(int plan, int f) {
    return QStringLiteral("Key factor %1 of plan %2").arg(f).arg(plan);
}
// The plan the windows show: one in the middle of the files.
const QString kPlan = planName(kPlans / 2);

QByteArray analysisFile(bool competitor) {
    QByteArray out;
    out.reserve(8 << 20);
    for (int p = 1; p <= kPlans; ++p) {
        const QByteArray plan = planName(p).toUtf8();
        if (!out.isEmpty()) out += "\r\n";
        out += "[" + plan + " - Titles]\r\n";
        for (int f = 1; f <= kFactors; ++f) {
            const QByteArray name = factorName(p, f).toUtf8();
            out += name + "=" + name + "\r\n";
        }
        for (int f = 1; f <= kFactors; ++f) {
            const QByteArray name = factorName(p, f).toUtf8();
            out += "\r\n[" + plan + " - " + name + "]\r\n";
            if (competitor) {
                out += "KFS=" + name + "\r\nw=5\r\n";
                for (int s = 1; s <= 4; ++s)
                    out += "s" + QByteArray::number(s) + "=" + QByteArray::number((p + f + s) % 11) +
                           "\r\n";
            } else {
                out += "kfs=" + name + "\r\nw=" + QByteArray::number(1 + (p + f) % 10) + "\r\n";
                out += "i=" + QByteArray::number((p * f) % 11 - 5) + "\r\n";
            }
        }
    }
    return out;
}

struct Files {
    QTemporaryDir dir;
    Files() {
        QDir().mkpath(dir.path() + QStringLiteral("/data"));
        Folders::setProgramFolder(dir.path() + QLatin1Char('/'));
        Folders::setConfigFolder(dir.path() + QStringLiteral("/config"));
        const QByteArray ca = analysisFile(true);
        const QByteArray sw = analysisFile(false);
        for (const auto& [analysis, bytes] :
             {std::pair{Analysis::Competitor, &ca}, std::pair{Analysis::StrengthWeakness, &sw},
              std::pair{Analysis::ImpactProbability, &sw}}) {
            QFile f(FactorFile::path(analysis));
            if (f.open(QIODevice::WriteOnly)) f.write(*bytes);
        }
    }
};

Files& files() {
    static Files f;
    return f;
}

void BM_OpenAnalysisFile(benchmark::State& state) {
    const QString path = FactorFile::path(Analysis::Competitor);
    (void)files();
    for (auto _ : state) {
        const IniFile ini(path);
        benchmark::DoNotOptimize(FactorFile::names(ini, kPlan).size());
    }
    state.counters["bytes"] = double(QFile(path).size());
}
BENCHMARK(BM_OpenAnalysisFile)->Unit(benchmark::kMillisecond);

// The file work of a rating click without the window: open, write, rebuild.
void BM_RatingWriteAndRebuild(benchmark::State& state) {
    (void)files();
    const QString path = FactorFile::path(Analysis::Competitor);
    const QString section = FactorFile::factorSection(kPlan, factorName(kPlans / 2, 7));
    int i = 0;
    for (auto _ : state) {
        IniFile ini(path);
        ini.writeInteger(section, QStringLiteral("s2"), ++i % 11);
        const BuiltGrid g = buildCompetitorGrid(ini, kPlan, FactorFile::names(ini, kPlan));
        if (g.rows.size() != kFactors + 1) state.SkipWithError("wrong grid");
    }
}
BENCHMARK(BM_RatingWriteAndRebuild)->Unit(benchmark::kMillisecond);

// Runs `body` inside the window's modal loop, then closes the window.
template <typename Window, typename Body> void whileShown(Window& window, Body body) {
    QTimer::singleShot(0, &window, [&] {
        body();
        window.done(0);
    });
    window.execFor(kPlan);
}

void BM_CompetitorRatingClick(benchmark::State& state) {
    (void)files();
    TextControl text;
    Tfrmca window(text);
    whileShown(window, [&] {
        window.ComboBox1->setCurrentIndex(6);
        window.ComboBox1Change();
        for (auto _ : state) {
            if (window.gaugeRating(1) < 10)
                window.upClick(1);
            else
                window.downClick(1);
        }
        if (window.gridRows().size() != kFactors + 1) state.SkipWithError("wrong grid");
    });
}
BENCHMARK(BM_CompetitorRatingClick)->Unit(benchmark::kMillisecond);

void BM_StrengthScoreChange(benchmark::State& state) {
    (void)files();
    TextControl text;
    Tfrmsw window(text);
    whileShown(window, [&] {
        int i = 0;
        for (auto _ : state)
            window.SpinEdit2->setValue(++i % 11 - 5);
    });
}
BENCHMARK(BM_StrengthScoreChange)->Unit(benchmark::kMillisecond);

void BM_OpenSwotSummary(benchmark::State& state) {
    (void)files();
    TextControl text;
    Tfrmsummary window(text);
    for (auto _ : state) {
        QTimer::singleShot(0, &window, [&] { window.done(0); });
        window.execFor(kPlan);
    }
    if (window.gridRows().value(1).value(0).isEmpty()) state.SkipWithError("no strengths");
}
BENCHMARK(BM_OpenSwotSummary)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv);
}
