// Plot Points over 10,000 values of J with the real calculator, as the dialog runs it (one batch,
// J read through the plot's index), and painting those points through the recording canvas.
#include <benchmark/benchmark.h>

#include "document/document.h"
#include "elements/point.h"
#include "ideas/eval.h"

namespace {

struct Host : EvalHost {
    void error_msg(const std::string&) override {}
    double current_j() override { return point_current_j(); }
};

void BM_PlotTenThousandPoints(benchmark::State& state) {
    Document d;
    d.add_obj({.key = 1, .id = "x", .ext = "=J/25-200"});
    d.add_obj({.key = 2, .id = "y", .ext = "=(J/25-200)*(J/25-200)/100"});
    Host host;
    Eval calc(d, host);
    const std::string xs = d.obj(1)->ext, ys = d.obj(2)->ext;
    auto value = [&](const std::string& text, Key key) {
        return [&text, key, &calc](int j) -> std::optional<double> {
            point_set_current_j(j);
            auto r = calc.expression(text, key);
            if (!r) return std::nullopt;
            return r->value;
        };
    };
    for (auto _ : state) {
        EvalBatch batch(calc);
        auto pts = point_plot_values({10000, -600, 600, -600, 600}, value(xs, 1), value(ys, 2));
        benchmark::DoNotOptimize(pts);
    }
}
BENCHMARK(BM_PlotTenThousandPoints)->Unit(benchmark::kMillisecond);

void BM_PaintTenThousandPoints(benchmark::State& state) {
    std::vector<PlotPoint> pts;
    for (int i = 0; i < 10000; ++i) pts.push_back({1 + i % 7, 1, i % 1200 - 600, (i * 7) % 1200 - 600, 0xFF});
    for (auto _ : state) {
        RecordingCanvas c;
        for (const auto& p : pts) point_paint(c, p, 4);
        benchmark::DoNotOptimize(c.calls.size());
    }
}
BENCHMARK(BM_PaintTenThousandPoints)->Unit(benchmark::kMillisecond);

}  // namespace
