// The Analyzer's Statistics over a 1 MB text: the scanner and the report; the syllable split.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "ideas/analyze.h"

namespace {

std::string megabyte_text() {
    const std::string para =
        "The committee reviewed the proposal carefully. Several members, however, wanted more "
        "detail about the timetable; others asked whether the budget (about $40,000) was enough.\n"
        "A simple table shows the window of time available - once the paper is printed.\n";
    std::string t;
    t.reserve((1 << 20) + para.size());
    while (t.size() < (1u << 20)) t += para;
    return t;
}

void BM_AnalyzeStatistics1MB(benchmark::State& state) {
    const std::string text = megabyte_text();
    long long words = 0;
    for (auto _ : state) {
        TextStatistics s = analyze_statistics_of(text, 1);
        std::string r = analyze_statistics_report(s);
        benchmark::DoNotOptimize(r);
        words += s.words;
    }
    state.counters["words_per_second"] = benchmark::Counter(static_cast<double>(words), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_AnalyzeStatistics1MB)->Unit(benchmark::kMillisecond);

void BM_AnalyzeSyllableLines1MB(benchmark::State& state) {
    const std::string text = megabyte_text();
    for (auto _ : state) {
        SyllableSplit s = analyze_split_syllables(text);
        benchmark::DoNotOptimize(s);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_AnalyzeSyllableLines1MB)->Unit(benchmark::kMillisecond);

// GNU style (Debian's diction) over the same megabyte, for its words per second beside ours.
void BM_GnuStyle1MB(benchmark::State& state) {
    if (std::system("command -v style >/dev/null 2>&1") != 0) {
        state.SkipWithError("style (Debian package diction) is not installed");
        return;
    }
    const std::string text = megabyte_text();
    const std::string file = "/tmp/vorn_analyze_bench.txt";
    std::ofstream(file, std::ios::binary) << text;
    const long long words = analyze_count_text(text).words;
    for (auto _ : state) {
        int rc = std::system(("style " + file + " >/dev/null").c_str());
        benchmark::DoNotOptimize(rc);
    }
    std::remove(file.c_str());
    state.counters["words_per_second"] =
        benchmark::Counter(static_cast<double>(words * static_cast<long long>(state.iterations())), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GnuStyle1MB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
