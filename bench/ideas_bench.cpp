#include <benchmark/benchmark.h>

#include <string>

#include "ideas/eval.h"
#include "ideas/pert.h"

namespace {

struct QuietEval : EvalHost {
    void error_msg(const std::string&) override {}
};

// n formula objects, each summing the one before it plus one; `reverse` stores them sink first,
// so every input is still to be computed when it is needed.
Document chain_doc(int n, bool reverse) {
    Document d;
    for (int k = 1; k <= n; ++k) {
        Obj o;
        o.key = static_cast<Key>(reverse ? n + 1 - k : k);
        o.id = "N" + std::to_string(o.key);
        o.ext = o.key == 1 ? "=1" : "=sum()+1";
        d.add_obj(o);
    }
    for (int k = 2; k <= n; ++k) {
        Link l;
        l.from = static_cast<Key>(k - 1);
        l.to = static_cast<Key>(k);
        d.links.push_back(l);
    }
    return d;
}

void BM_Recompute(benchmark::State& state) {
    Document d = chain_doc(static_cast<int>(state.range(0)), state.range(1) != 0);
    QuietEval host;
    Eval e(d, host);
    for (auto _ : state) {
        e.recompute();
        benchmark::DoNotOptimize(d.values.size());
    }
}
BENCHMARK(BM_Recompute)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond);

// Formulas that name other objects and aggregate a fan-in of 100.
void BM_RecomputeNamesAndFanIn(benchmark::State& state) {
    Document d;
    const int n = 10000;
    for (int k = 1; k <= n; ++k) {
        Obj o;
        o.key = static_cast<Key>(k);
        o.id = "V" + std::to_string(k);
        o.ext = k % 100 == 0 ? "=ave()+max()" : "=V" + std::to_string(k % 100 + 1) + "*2+" + std::to_string(k);
        if (k <= 100) o.ext = std::to_string(k);
        d.add_obj(o);
    }
    for (int k = 100; k <= n; k += 100)
        for (int j = 1; j <= 100 && j < k; ++j) {
            Link l;
            l.from = static_cast<Key>(k - j);
            l.to = static_cast<Key>(k);
            d.links.push_back(l);
        }
    QuietEval host;
    Eval e(d, host);
    for (auto _ : state) e.recompute();
}
BENCHMARK(BM_RecomputeNamesAndFanIn)->Unit(benchmark::kMillisecond);

struct QuietPert : PertHost {
    std::string report;
    void note(const std::string&) override {}
    void error(const std::string&) override {}
    std::string document_name() override { return "bench.vrn"; }
    bool write_report(const std::string&, const std::string& text) override {
        report = text;
        return true;
    }
    void recompute_objects() override {}
};

// 10,000 activities between 5,000 events: each event leads to the next and to one further on.
Document network_doc() {
    Document d;
    const int events = 5000;
    for (int k = 1; k <= events; ++k) {
        Obj o;
        o.key = static_cast<Key>(k);
        o.id = "Event " + std::to_string(k);
        o.level = 1;
        o.y = (k * 37) % 3000;
        d.add_obj(o);
    }
    for (int k = 1; k < events; ++k) {
        Link l;
        l.from = static_cast<Key>(k);
        l.to = static_cast<Key>(k + 1);
        l.label = std::to_string(k % 9 + 1);
        d.links.push_back(l);
        l.to = static_cast<Key>(std::min(events, k + 1 + k % 17));
        l.label = std::to_string(k % 23);
        d.links.push_back(l);
    }
    return d;
}

void BM_CriticalPath(benchmark::State& state) {
    const Document base = network_doc();
    QuietPert host;
    for (auto _ : state) {
        state.PauseTiming();
        Document d = base;
        state.ResumeTiming();
        pert_recompute(d, 2, host);
        benchmark::DoNotOptimize(d.objs.size());
    }
}
BENCHMARK(BM_CriticalPath)->Unit(benchmark::kMillisecond);

// A second run also clears the first run's chart.
void BM_CriticalPathAgain(benchmark::State& state) {
    Document d = network_doc();
    QuietPert host;
    pert_recompute(d, 2, host);
    for (auto _ : state) pert_recompute(d, 2, host);
}
BENCHMARK(BM_CriticalPathAgain)->Unit(benchmark::kMillisecond);

}  // namespace
