#pragma once

#include <benchmark/benchmark.h>

#include <functional>

class QTextDocument;

// Wall-clock seconds one call of f takes.
double seconds(const std::function<void()>& f);

// Times saving a document through our RTF writer against Qt's HTML export of the same
// document (best of htmlRuns), reporting both and their ratio as counters.
void measureRtfSave(benchmark::State& state, const QTextDocument& doc, int htmlRuns);
