#pragma once

#include <functional>

// The body of a widget benchmark's main(): a QApplication on the offscreen platform (unless
// the environment names another), then Google Benchmark over the command line. `beforeRun`
// and `afterRun` run inside the application's lifetime, for set-up and for what must be torn
// down before it goes.
int runWidgetBenchmarks(int argc, char** argv, const std::function<void()>& beforeRun = {},
                        const std::function<void()>& afterRun = {});
