#include "support/qtbenchmain.h"

#include <QApplication>
#include <benchmark/benchmark.h>

int runWidgetBenchmarks(int argc, char** argv, const std::function<void()>& beforeRun,
                        const std::function<void()>& afterRun) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (beforeRun) beforeRun();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (afterRun) afterRun();
    return 0;
}
