// Start-up to the open window, as a user waits for it: the splash, the main window and
// every other window made, then the "Open a plan" window (the tips switched off, as a
// returning user has them). Timed from the first step of start-up to the moment the open
// window is up, on a program folder of its own with the shipped data.
//
//   startUpToOpenWindow/1500  the start-up as it was: the splash held for at least 1.5 s
//   startUpToOpenWindow/0     the start-up as it is: the splash only while the work lasts

#include "support/qtbenchmain.h"
#include "app/startup.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/printerinfo.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

QString binFolder() {
    // bench/ sits beside bin/ in the build folder.
    return QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin")).absolutePath() +
           QLatin1Char('/');
}

void copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& f : QDir(from).entryList(QDir::Files))
        QFile::copy(from + QLatin1Char('/') + f, to + QLatin1Char('/') + f);
}

void startUpToOpenWindow(benchmark::State& state) {
    const int hold = int(state.range(0));
    for (auto _ : state) {
        QTemporaryDir program;
        QTemporaryDir config;
        copyFolder(binFolder() + QStringLiteral("data"), program.path() + QStringLiteral("/data"));
        copyFolder(binFolder() + QStringLiteral("userdata"),
                   program.path() + QStringLiteral("/userdata"));
        Folders::setProgramFolder(program.path());
        Folders::setConfigFolder(config.path());
        IniFile(Folders::settingsFile()).writeInteger(QStringLiteral("bps"), QStringLiteral("tips"), 0);

        QElapsedTimer clock;
        qint64 upAfter = -1;
        QTimer watch;
        watch.setInterval(1);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (upAfter < 0 && modal && modal->inherits("Tfrmopen") && modal->isVisible()) {
                upAfter = clock.nsecsElapsed();
                if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
            }
        });
        watch.start();
        clock.start();
        Application::startUp({hold});
        watch.stop();
        Application::shutDown();
        if (upAfter < 0) {
            state.SkipWithError("the open window never came up");
            break;
        }
        state.SetIterationTime(double(upAfter) / 1e9);
    }
    Folders::setProgramFolder(QString());
    Folders::setConfigFolder(QString());
}
BENCHMARK(startUpToOpenWindow)->Arg(1500)->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return runWidgetBenchmarks(argc, argv, [] { PrinterInfo::setNoPrinterForTesting(); });
}
