// Speed of the spelling check on a long plan: a 1,000-page text (about 500 words a page) with
// no misspellings, checked by the program's speller the way the check drives it (slices and
// all), against Hunspell's own spell() called on the same words in the same run.

#include "controls/speller/speller.h"
#include "platform/folders.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <hunspell/hunspell.hxx>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <time.h>
#include <vector>

namespace {

constexpr int kPages = 1000;
constexpr int kWordsPerPage = 500;
const char* const kAff = "/usr/share/hunspell/en_GB.aff";
const char* const kDic = "/usr/share/hunspell/en_GB.dic";

struct Plan {
    QString text;
    std::vector<std::string> words; // every word of the text, as Hunspell gets it
    bool ok = false;
    std::string error;
};

// Plain lower-case words of the dictionary that it accepts as they stand, with the common
// words of English prose first so that a Zipf draw gives text with a natural mix.
std::vector<std::string> vocabulary(Hunspell& hunspell) {
    static const char* const common[] = {
        "the",      "of",       "and",   "to",          "a",      "in",        "for",      "is",
        "on",       "that",     "by",    "this",        "with",   "you",       "it",       "not",
        "or",       "be",       "are",   "from",        "at",     "as",        "your",     "all",
        "have",     "new",      "more",  "an",          "was",    "we",        "will",     "can",
        "us",       "about",    "if",    "our",         "market", "customers", "sales",    "plan",
        "business", "products", "price", "competitors", "growth", "strategy",  "services", "year",
        "budget",   "marketing"};
    std::vector<std::string> words(std::begin(common), std::end(common));
    QFile dic(QString::fromLatin1(kDic));
    if (!dic.open(QIODevice::ReadOnly | QIODevice::Text)) return words;
    int line = 0;
    while (!dic.atEnd()) {
        QByteArray entry = dic.readLine().trimmed();
        if (++line % 9 != 0) // a spread sample of the whole dictionary
            continue;
        const int slash = entry.indexOf('/');
        if (slash >= 0) entry.truncate(slash);
        if (entry.size() < 2 || entry.size() > 12) continue;
        if (!std::all_of(entry.begin(), entry.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
            continue;
        const std::string w = entry.toStdString();
        if (hunspell.spell(w)) words.push_back(w);
        if (words.size() >= 8000) break;
    }
    return words;
}

const Plan& plan() {
    static Plan p = [] {
        Plan out;
        Hunspell hunspell(kAff, kDic);
        const std::vector<std::string> vocab = vocabulary(hunspell);
        if (vocab.size() < 1000) {
            out.error = "the British English dictionary (hunspell-en-gb) is not installed";
            return out;
        }
        // Zipf's law: the word of rank r comes with a weight of 1 / r.
        std::vector<double> weights(vocab.size());
        for (size_t r = 0; r < vocab.size(); ++r)
            weights[r] = 1.0 / double(r + 1);
        std::discrete_distribution<size_t> pick(weights.begin(), weights.end());
        std::mt19937 rng(20261207);
        std::uniform_int_distribution<int> sentence(8, 22);
        QString text;
        text.reserve(kPages * kWordsPerPage * 8);
        out.words.reserve(size_t(kPages) * kWordsPerPage);
        int inSentence = 0, sentenceLength = sentence(rng), inParagraph = 0;
        for (int i = 0; i < kPages * kWordsPerPage; ++i) {
            std::string w = vocab[pick(rng)];
            if (inSentence == 0) w[0] = char(w[0] - 'a' + 'A');
            out.words.push_back(w);
            text += QString::fromStdString(w);
            ++inSentence;
            ++inParagraph;
            if (inSentence == sentenceLength) {
                text += QLatin1Char('.');
                inSentence = 0;
                sentenceLength = sentence(rng);
                if (inParagraph > 90) {
                    text += QChar::ParagraphSeparator;
                    inParagraph = 0;
                    continue;
                }
            } else if (rng() % 9 == 0) {
                text += QLatin1Char(',');
            }
            text += QLatin1Char(' ');
        }
        out.text = text;
        out.ok = true;
        return out;
    }();
    return p;
}

double g_hunspellWordsPerSecond = 0;

// Rates are reckoned on the thread's processor time, so that other programs sharing the
// machine do not skew the ratio; the slice lengths stay wall-clock, as the user feels them.
qint64 cpuNanoseconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Checks the whole text as the program does, resuming after each busy slice; returns the
// longest slice in milliseconds, or -1 when a word was questioned.
double checkAll(Speller& speller, const QString& text) {
    QElapsedTimer slice;
    slice.start();
    speller.setCheckText(text);
    int code = speller.ResultCode();
    double longest = double(slice.nsecsElapsed()) / 1e6;
    while (code == Speller::Busy) {
        slice.restart();
        code = speller.ResumeCheck();
        longest = std::max(longest, double(slice.nsecsElapsed()) / 1e6);
    }
    return code >= 0 ? longest : -1;
}

void BM_HunspellSpell(benchmark::State& state) {
    const Plan& p = plan();
    if (!p.ok) {
        state.SkipWithError(p.error.c_str());
        return;
    }
    Hunspell hunspell(kAff, kDic);
    qint64 ns = 0;
    size_t words = 0;
    for (auto _ : state) {
        const qint64 start = cpuNanoseconds();
        int wrong = 0;
        for (const std::string& w : p.words)
            wrong += hunspell.spell(w) ? 0 : 1;
        ns += cpuNanoseconds() - start;
        words += p.words.size();
        benchmark::DoNotOptimize(wrong);
        if (wrong) {
            state.SkipWithError("the generated plan has words Hunspell does not know");
            return;
        }
    }
    g_hunspellWordsPerSecond = double(words) / (double(ns) / 1e9);
    state.SetItemsProcessed(int64_t(words));
    state.counters["words_per_s"] = benchmark::Counter(g_hunspellWordsPerSecond);
}

// A fresh speller for every check: the first check of a session, nothing cached yet.
void BM_SpellerCheckFirst(benchmark::State& state) {
    const Plan& p = plan();
    if (!p.ok) {
        state.SkipWithError(p.error.c_str());
        return;
    }
    QTemporaryDir config;
    Folders::setConfigFolder(config.path());
    qint64 ns = 0;
    size_t words = 0;
    double longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto speller = std::make_unique<Speller>();
        speller->load();
        state.ResumeTiming();
        const qint64 start = cpuNanoseconds();
        const double slice = checkAll(*speller, p.text);
        ns += cpuNanoseconds() - start;
        if (slice < 0) {
            state.SkipWithError(qPrintable("the speller questioned " + speller->MisspelledWord()));
            return;
        }
        longest = std::max(longest, slice);
        words += p.words.size();
        state.PauseTiming();
        speller.reset();
        state.ResumeTiming();
    }
    const double rate = double(words) / (double(ns) / 1e9);
    state.SetItemsProcessed(int64_t(words));
    state.counters["words_per_s"] = benchmark::Counter(rate);
    state.counters["longest_slice_ms"] = benchmark::Counter(longest);
    if (g_hunspellWordsPerSecond > 0)
        state.counters["ratio_vs_hunspell"] = benchmark::Counter(rate / g_hunspellWordsPerSecond);
    Folders::setConfigFolder(QString());
}

// The same speller again: a second check in the same session.
void BM_SpellerCheckAgain(benchmark::State& state) {
    const Plan& p = plan();
    if (!p.ok) {
        state.SkipWithError(p.error.c_str());
        return;
    }
    QTemporaryDir config;
    Folders::setConfigFolder(config.path());
    Speller speller;
    speller.load();
    checkAll(speller, p.text);
    qint64 ns = 0;
    size_t words = 0;
    for (auto _ : state) {
        const qint64 start = cpuNanoseconds();
        if (checkAll(speller, p.text) < 0) {
            state.SkipWithError("the speller questioned a word");
            return;
        }
        ns += cpuNanoseconds() - start;
        words += p.words.size();
    }
    const double rate = double(words) / (double(ns) / 1e9);
    state.SetItemsProcessed(int64_t(words));
    state.counters["words_per_s"] = benchmark::Counter(rate);
    if (g_hunspellWordsPerSecond > 0)
        state.counters["ratio_vs_hunspell"] = benchmark::Counter(rate / g_hunspellWordsPerSecond);
    Folders::setConfigFolder(QString());
}

} // namespace

BENCHMARK(BM_HunspellSpell)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SpellerCheckFirst)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SpellerCheckAgain)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_MAIN();
